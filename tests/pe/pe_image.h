// A reader of the headers of a PE image file: machine, subsystem, exports, imports and
// resources.
// It reads only from the bytes it was given and reports a malformed image as an error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PeExport {
  std::string name;
  std::uint32_t ordinal;
};

// One resource: type and name as "#<id>" or the name's ASCII text, with its language and data.
struct PeResource {
  std::string type;
  std::string name;
  std::uint16_t language = 0;
  std::vector<std::uint8_t> data;
};

struct PeImage {
  std::uint16_t machine = 0;         // 0x14c for i386
  std::uint16_t optionalMagic = 0;   // 0x10b for PE32 (32-bit)
  std::uint16_t subsystem = 0;       // 2 GUI, 3 console
  std::uint16_t characteristics = 0; // 0x2000 marks a DLL
  std::vector<PeExport> exports;     // named exports with their ordinals
  std::vector<std::string> imports;  // imported DLL names, as written
  std::vector<PeResource> resources; // every resource of the three-level directory
};

// Parses `bytes`; on failure returns false and sets `error`.
bool ParsePeImage(const std::vector<std::uint8_t>& bytes, PeImage& image, std::string& error);

// Reads the file at `path` and parses it.
bool ReadPeImage(const std::string& path, PeImage& image, std::string& error);
