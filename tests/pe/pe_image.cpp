#include "pe_image.h"

#include <fstream>
#include <iterator>
#include <utility>

namespace {

class Reader {
 public:
  explicit Reader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}

  bool U16(std::size_t at, std::uint16_t& v) const {
    if (at > bytes_.size() || bytes_.size() - at < 2) return false;
    v = static_cast<std::uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
    return true;
  }
  bool U32(std::size_t at, std::uint32_t& v) const {
    if (at > bytes_.size() || bytes_.size() - at < 4) return false;
    v = static_cast<std::uint32_t>(bytes_[at]) | static_cast<std::uint32_t>(bytes_[at + 1]) << 8 |
        static_cast<std::uint32_t>(bytes_[at + 2]) << 16 |
        static_cast<std::uint32_t>(bytes_[at + 3]) << 24;
    return true;
  }
  bool Bytes(std::size_t at, std::size_t count, std::vector<std::uint8_t>& out) const {
    if (at > bytes_.size() || bytes_.size() - at < count) return false;
    out.assign(bytes_.begin() + static_cast<std::ptrdiff_t>(at),
               bytes_.begin() + static_cast<std::ptrdiff_t>(at + count));
    return true;
  }
  bool CString(std::size_t at, std::string& s) const {
    s.clear();
    for (std::size_t i = at; i < bytes_.size(); ++i) {
      if (bytes_[i] == 0) return true;
      s += static_cast<char>(bytes_[i]);
    }
    return false;
  }

 private:
  const std::vector<std::uint8_t>& bytes_;
};

struct Section {
  std::uint32_t rva, size, fileOffset, fileSize;
};

bool RvaToOffset(const std::vector<Section>& sections, std::uint32_t rva, std::size_t& offset) {
  for (const Section& s : sections) {
    const std::uint32_t extent = s.size > s.fileSize ? s.size : s.fileSize;
    if (rva >= s.rva && rva - s.rva < extent) {
      if (rva - s.rva >= s.fileSize) return false;
      offset = static_cast<std::size_t>(s.fileOffset) + (rva - s.rva);
      return true;
    }
  }
  return false;
}


// One entry's identifier: "#<id>", or the ASCII text of its name (stored relative to `root`).
bool ResourceId(const Reader& r, std::size_t root, std::uint32_t raw, std::string& out) {
  if ((raw & 0x80000000u) == 0) {
    out = "#" + std::to_string(raw);
    return true;
  }
  const std::size_t at = root + (raw & 0x7FFFFFFFu);
  std::uint16_t length = 0;
  if (!r.U16(at, length)) return false;
  out.clear();
  for (std::size_t i = 0; i < length; ++i) {
    std::uint16_t c = 0;
    if (!r.U16(at + 2 + 2 * i, c)) return false;
    out += c < 0x80 ? static_cast<char>(c) : '?';
  }
  return true;
}

// The entries of the directory table at `at`: {raw identifier, raw offset} pairs.
bool ResourceEntries(const Reader& r, std::size_t at,
                     std::vector<std::pair<std::uint32_t, std::uint32_t>>& out) {
  std::uint16_t named = 0, ids = 0;
  if (!r.U16(at + 12, named) || !r.U16(at + 14, ids)) return false;
  out.clear();
  for (std::size_t i = 0; i < std::size_t{named} + ids; ++i) {
    std::uint32_t id = 0, offset = 0;
    if (!r.U32(at + 16 + 8 * i, id) || !r.U32(at + 20 + 8 * i, offset)) return false;
    out.push_back({id, offset});
  }
  return true;
}

// Type, name and language levels below the root at file offset `root`; each level must
// point to the next (a leaf where a directory belongs, or the reverse, is malformed).
bool ReadResources(const Reader& r, const std::vector<Section>& sections, std::size_t root,
                   std::vector<PeResource>& out) {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> types, names, languages;
  if (!ResourceEntries(r, root, types)) return false;
  for (const auto& type : types) {
    if ((type.second & 0x80000000u) == 0) return false;
    if (!ResourceEntries(r, root + (type.second & 0x7FFFFFFFu), names)) return false;
    for (const auto& name : names) {
      if ((name.second & 0x80000000u) == 0) return false;
      if (!ResourceEntries(r, root + (name.second & 0x7FFFFFFFu), languages)) return false;
      for (const auto& language : languages) {
        if ((language.second & 0x80000000u) != 0) return false;
        PeResource res;
        std::uint32_t dataRva = 0, size = 0;
        std::size_t dataAt = 0;
        if (!ResourceId(r, root, type.first, res.type) ||
            !ResourceId(r, root, name.first, res.name) ||
            !r.U32(root + language.second, dataRva) || !r.U32(root + language.second + 4, size) ||
            !RvaToOffset(sections, dataRva, dataAt) || !r.Bytes(dataAt, size, res.data)) {
          return false;
        }
        res.language = static_cast<std::uint16_t>(language.first);
        out.push_back(std::move(res));
      }
    }
  }
  return true;
}

}  // namespace

bool ParsePeImage(const std::vector<std::uint8_t>& bytes, PeImage& image, std::string& error) {
  const Reader r(bytes);
  std::uint16_t mz = 0;
  std::uint32_t peAt = 0, signature = 0;
  if (!r.U16(0, mz) || mz != 0x5A4D || !r.U32(0x3C, peAt) || !r.U32(peAt, signature) ||
      signature != 0x00004550) {
    error = "no PE signature";
    return false;
  }
  const std::size_t coff = std::size_t{peAt} + 4;
  std::uint16_t sectionCount = 0, optionalSize = 0;
  if (!r.U16(coff, image.machine) || !r.U16(coff + 2, sectionCount) ||
      !r.U16(coff + 16, optionalSize) || !r.U16(coff + 18, image.characteristics)) {
    error = "truncated COFF header";
    return false;
  }
  const std::size_t opt = coff + 20;
  if (!r.U16(opt, image.optionalMagic) || !r.U16(opt + 68, image.subsystem)) {
    error = "truncated optional header";
    return false;
  }
  // Data directories begin at 96 (PE32) or 112 (PE32+) bytes into the optional header.
  const std::size_t dirs = opt + (image.optionalMagic == 0x20b ? 112 : 96);
  std::uint32_t exportRva = 0, importRva = 0, resourceRva = 0, dirCount = 0;
  r.U32(dirs - 4, dirCount);
  if (dirCount >= 1) r.U32(dirs, exportRva);
  if (dirCount >= 2) r.U32(dirs + 8, importRva);
  if (dirCount >= 3) r.U32(dirs + 16, resourceRva);

  std::vector<Section> sections;
  const std::size_t table = opt + optionalSize;
  for (std::size_t i = 0; i < sectionCount; ++i) {
    Section s{};
    const std::size_t at = table + i * 40;
    if (!r.U32(at + 8, s.size) || !r.U32(at + 12, s.rva) || !r.U32(at + 16, s.fileSize) ||
        !r.U32(at + 20, s.fileOffset)) {
      error = "truncated section table";
      return false;
    }
    sections.push_back(s);
  }

  image.exports.clear();
  if (exportRva != 0) {
    std::size_t dir = 0, names = 0, ordinals = 0;
    std::uint32_t base = 0, nameCount = 0, namesRva = 0, ordinalsRva = 0;
    if (!RvaToOffset(sections, exportRva, dir) || !r.U32(dir + 16, base) ||
        !r.U32(dir + 24, nameCount) || !r.U32(dir + 32, namesRva) ||
        !r.U32(dir + 36, ordinalsRva) || !RvaToOffset(sections, namesRva, names) ||
        !RvaToOffset(sections, ordinalsRva, ordinals)) {
      error = "bad export directory";
      return false;
    }
    for (std::uint32_t i = 0; i < nameCount; ++i) {
      std::uint32_t nameRva = 0;
      std::uint16_t index = 0;
      std::size_t nameAt = 0;
      PeExport e;
      if (!r.U32(names + 4 * i, nameRva) || !r.U16(ordinals + 2 * i, index) ||
          !RvaToOffset(sections, nameRva, nameAt) || !r.CString(nameAt, e.name)) {
        error = "bad export name";
        return false;
      }
      e.ordinal = base + index;
      image.exports.push_back(e);
    }
  }

  image.imports.clear();
  if (importRva != 0) {
    std::size_t at = 0;
    if (!RvaToOffset(sections, importRva, at)) {
      error = "bad import directory";
      return false;
    }
    for (;; at += 20) {
      std::uint32_t nameRva = 0, thunk = 0;
      if (!r.U32(at + 12, nameRva) || !r.U32(at + 16, thunk)) {
        error = "truncated import directory";
        return false;
      }
      if (nameRva == 0 && thunk == 0) break;
      std::size_t nameAt = 0;
      std::string name;
      if (!RvaToOffset(sections, nameRva, nameAt) || !r.CString(nameAt, name)) {
        error = "bad import name";
        return false;
      }
      image.imports.push_back(name);
    }
  }

  image.resources.clear();
  if (resourceRva != 0) {
    std::size_t root = 0;
    if (!RvaToOffset(sections, resourceRva, root)) {
      error = "resource directory outside the sections";
      return false;
    }
    if (!ReadResources(r, sections, root, image.resources)) {
      error = "malformed resource directory";
      return false;
    }
  }
  return true;
}

bool ReadPeImage(const std::string& path, PeImage& image, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
  return ParsePeImage(bytes, image, error);
}
