// Checks the headers of the built deliverables: 32-bit images, a GUI program, the DLL's
// exact export table, and imports from system DLLs only.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

#include "pe_image.h"

namespace {

const std::string kBinDir = VANU_WIN32_BIN_DIR;

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

PeImage Load(const char* name) {
  PeImage image;
  std::string error;
  EXPECT_TRUE(ReadPeImage(kBinDir + "/" + name, image, error)) << name << ": " << error;
  return image;
}

void ExpectSystemImportsOnly(const PeImage& image, const char* name) {
  static const std::set<std::string> kSystem = {
      "kernel32.dll", "user32.dll",   "gdi32.dll",   "advapi32.dll", "shell32.dll",
      "ole32.dll",    "oleaut32.dll", "msvcrt.dll",  "comctl32.dll", "comdlg32.dll",
      "shlwapi.dll",  "version.dll",  "rpcrt4.dll",  "ntdll.dll",    "ws2_32.dll"};
  EXPECT_FALSE(image.imports.empty()) << name;
  for (const std::string& dll : image.imports) {
    EXPECT_EQ(1u, kSystem.count(Lower(dll))) << name << " imports " << dll;
  }
}

void Expect32Bit(const PeImage& image, const char* name) {
  EXPECT_EQ(0x14c, image.machine) << name << " is not an i386 image";
  EXPECT_EQ(0x10b, image.optionalMagic) << name << " is not PE32";
}

TEST(DeliverablesPeTest, SetupIsA32BitGuiProgram) {
  const PeImage image = Load("setup.exe");
  Expect32Bit(image, "setup.exe");
  EXPECT_EQ(2, image.subsystem) << "setup.exe must be a GUI-subsystem program";
  EXPECT_EQ(0, image.characteristics & 0x2000) << "setup.exe is marked as a DLL";
  ExpectSystemImportsOnly(image, "setup.exe");
}

TEST(DeliverablesPeTest, VanuExportsExactlyTheFiveEntryPoints) {
  const PeImage image = Load("Vanu.dll");
  Expect32Bit(image, "Vanu.dll");
  EXPECT_NE(0, image.characteristics & 0x2000) << "Vanu.dll is not marked as a DLL";
  std::set<std::pair<std::string, std::uint32_t>> exports;
  for (const PeExport& e : image.exports) exports.insert({e.name, e.ordinal});
  const std::set<std::pair<std::string, std::uint32_t>> expected = {
      {"InitServices", 1},      {"DllCanUnloadNow", 2},     {"DllGetClassObject", 3},
      {"DllRegisterServer", 4}, {"DllUnregisterServer", 5}};
  EXPECT_EQ(expected, exports);
  EXPECT_EQ(expected.size(), image.exports.size());
  ExpectSystemImportsOnly(image, "Vanu.dll");
}

// The resource of `type` and `name`, or null.
const PeResource* FindResource(const PeImage& image, const std::string& type,
                               const std::string& name) {
  for (const PeResource& r : image.resources) {
    if (r.type == type && r.name == name) return &r;
  }
  return nullptr;
}

// UTF-16LE bytes of an ASCII text.
std::string Utf16(const std::string& ascii) {
  std::string out;
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

TEST(DeliverablesPeTest, VanuCarriesItsTypeLibraryVersionStringAndManifest) {
  const PeImage image = Load("Vanu.dll");
  const PeResource* typelib = FindResource(image, "TYPELIB", "#1");
  ASSERT_NE(nullptr, typelib);
  ASSERT_GE(typelib->data.size(), 4u);
  EXPECT_EQ("MSFT", std::string(typelib->data.begin(), typelib->data.begin() + 4));

  // String 100 is the fifth string of block 7 (ids 96 to 111): lengths-prefixed UTF-16.
  const PeResource* strings = FindResource(image, "#6", "#7");
  ASSERT_NE(nullptr, strings);
  std::size_t at = 0;
  for (int i = 0; i < 4 && at + 2 <= strings->data.size(); ++i) {
    at += 2 + 2 * (strings->data[at] | strings->data[at + 1] << 8);
  }
  ASSERT_LE(at + 2 + 8, strings->data.size());
  EXPECT_EQ(4, strings->data[at] | strings->data[at + 1] << 8);
  EXPECT_EQ(Utf16("VaNu"), std::string(strings->data.begin() + at + 2,
                                        strings->data.begin() + at + 10));

  const PeResource* manifest = FindResource(image, "#24", "#2");
  ASSERT_NE(nullptr, manifest);
  const std::string xml(manifest->data.begin(), manifest->data.end());
  EXPECT_NE(std::string::npos, xml.find("level=\"asInvoker\"")) << xml;
  EXPECT_NE(std::string::npos, xml.find("uiAccess=\"false\"")) << xml;

  const PeResource* version = FindResource(image, "#16", "#1");
  ASSERT_NE(nullptr, version);
  EXPECT_EQ(0x0409, version->language);
  const std::string block(version->data.begin(), version->data.end());
  // VS_FIXEDFILEINFO: signature, structure version, then file version MS and LS.
  const std::string fixed = block.substr(block.find("\xBD\x04\xEF\xFE"));
  ASSERT_GE(fixed.size(), 24u);
  EXPECT_EQ(std::string("\x00\x00\x01\x00\x01\x00\x00\x00", 8), fixed.substr(8, 8))
      << "file version 1.0.0.1";
  EXPECT_EQ(std::string("\x00\x00\x01\x00\x01\x00\x00\x00", 8), fixed.substr(16, 8))
      << "product version 1.0.0.1";
  for (const char* text : {"040904B0", "VaNu Module", "VaNu.DLL", "InternalName"}) {
    EXPECT_NE(std::string::npos, block.find(Utf16(text))) << text;
  }
  // Translation: language 0x0409, code page 1200, after the key, its terminator and padding.
  const std::size_t key = block.find(Utf16("Translation"));
  ASSERT_NE(std::string::npos, key);
  EXPECT_EQ(key + 26, block.find("\x09\x04\xB0\x04", key));
}

}  // namespace
