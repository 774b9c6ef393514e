#include "temp_folder_base.h"

#include <gtest/gtest.h>

namespace {

TEST(TempFolderBaseTest, BaseBesideApplicationData) {
  const struct {
    const char* appData;
    bool found;
    const char* base;
  } rows[] = {
      {"C:\\WINDOWS\\Application Data", true, "C:\\WINDOWS"},
      {"C:\\WINDOWS\\APPLICATION DATA", true, "C:\\WINDOWS"},
      {"C:\\Documents and Settings\\u\\Application Data", true, "C:\\Documents and Settings\\u"},
      {"Application Data", true, ""},       // shorter than 17: an empty base
      {"\\Application Data", true, ""},     // exactly 17
      {"C:\\xApplication Data", true, "C:\\"},  // the character before the suffix is always cut
      {"C:\\WINDOWS\\Application Data\\", false, ""},
      {"C:\\Users\\u\\AppData\\Roaming", false, ""},
      {"Data", false, ""},
      {"", false, ""},
  };
  for (const auto& row : rows) {
    CString base = "untouched";
    EXPECT_EQ(row.found, TempBaseFromAppData(row.appData, base)) << row.appData;
    EXPECT_STREQ(row.found ? row.base : "untouched", base) << row.appData;
  }
}

}  // namespace
