#include "startup_decisions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(StartupDecisionsTest, TraceModeOnlyForTheWholeTailMinusShow) {
  const struct {
    const char* tail;
    bool trace;
  } rows[] = {
      {"-show", true}, {"-SHOW", true}, {"-Show", true},
      {"-show ", false}, {"-show x", false}, {"/show", false}, {"", false}, {" -show", false},
  };
  for (const auto& row : rows) EXPECT_EQ(row.trace, IsTraceModeTail(row.tail)) << row.tail;
}

TEST(StartupDecisionsTest, LanguageCodeFromTheWholeIdentifier) {
  const struct {
    std::uint16_t id;
    const char* code;
  } rows[] = {
      {1028, "TCH"}, {1041, "JAP"}, {2052, "SCH"},
      {3076, "ENG"},   // Chinese, Hong Kong SAR
      {4100, "ENG"},   // Chinese, Singapore
      {0x0004, "ENG"}, // primary language alone
      {1033, "ENG"},   {0, "ENG"},
  };
  for (const auto& row : rows) EXPECT_STREQ(row.code, ChooseLanguageCode(row.id)) << row.id;
}

TEST(StartupDecisionsTest, ModuleDirCutsAtTheLastBackslash) {
  const struct {
    const char* path;
    const char* dir;
  } rows[] = {
      {"D:\\setup.exe", "D:"},
      {"C:\\Medium\\Disk 1\\setup.exe", "C:\\Medium\\Disk 1"},
      {"\\\\server\\share\\setup.exe", "\\\\server\\share"},
      {"setup.exe", ""},
  };
  for (const auto& row : rows) {
    EXPECT_STREQ(row.dir, ModuleDirFromModulePath(row.path, std::strlen(row.path))) << row.path;
  }
}

TEST(StartupDecisionsTest, ModuleDirIsEmptyWhenThePathCannotBeDetermined) {
  char buffer[kModulePathCapacity] = {};
  EXPECT_STREQ("", ModuleDirFromModulePath(buffer, 0));  // the call failed
  // A path of 260 characters or more fills the buffer and is cut: never use what is left.
  std::memset(buffer, 'a', sizeof buffer);
  buffer[2] = '\\';
  EXPECT_STREQ("", ModuleDirFromModulePath(buffer, kModulePathCapacity));
  const std::string longest = "C:\\" + std::string(kModulePathCapacity - 4, 'x');
  EXPECT_STREQ("C:", ModuleDirFromModulePath(longest.c_str(), longest.size()));
}

}  // namespace
