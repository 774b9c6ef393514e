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

}  // namespace
