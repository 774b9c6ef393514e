// The per-user Temp folder against the real registry and file system: the Shell Folders
// values of a test point into its own fresh folder and are put back afterwards.
#include "temp_folder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "saved_registry_value.h"
#include "temp_tree.h"

namespace {

constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Attributes of a path, or INVALID_FILE_ATTRIBUTES when it is absent.
DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }
bool IsFolder(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The names in `folder` but "." and "..", in the order the search gives them.
std::string Names(const std::string& folder) {
  std::string names;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return "(none)";
  do {
    const std::string name = entry.cFileName;
    if (name != "." && name != "..") names += (names.empty() ? "" : ",") + name;
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return names;
}

class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = MakeFreshFolder("vanu-temp-");
    ASSERT_TRUE(localSettings_.IsOpen() && appData_.IsOpen());
  }
  void TearDown() override { EXPECT_TRUE(RemoveTree(root_)); }

  std::string Folder(const std::string& name) {
    const std::string path = root_ + "\\" + name;
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
  }

  std::string root_;
  SavedRegistryValue localSettings_{HKEY_CURRENT_USER, kShellFolders, "Local Settings"};
  SavedRegistryValue appData_{HKEY_CURRENT_USER, kShellFolders, "AppData"};
};

TEST_F(TempFolderTest, LocalSettingsGetsATempFolderWhenNoneIsThere) {
  const std::string base = Folder("Local Settings");
  ASSERT_TRUE(localSettings_.Set(base));
  CreateDirectoryA((base + "\\Other").c_str(), nullptr);
  EnsureLocalSettingsTemp();
  EXPECT_TRUE(IsFolder(base + "\\Temp"));
  EXPECT_TRUE(IsFolder(base + "\\Other"));
  // A second call finds it and leaves everything as it is.
  std::ofstream(base + "\\Temp\\kept.txt") << "k";
  EnsureLocalSettingsTemp();
  EXPECT_EQ("kept.txt", Names(base + "\\Temp"));
}

TEST_F(TempFolderTest, ExistingEntriesNamedTemp) {
  const struct {
    const char* name;
    bool folder;       // the entry is a folder (else a file)
    const char* entry;
  } rows[] = {
      {"a folder TEMP in capitals counts", true, "TEMP"},
      {"a folder temp counts", true, "temp"},
      {"a file named Temp does not count; the creation fails silently", false, "Temp"},
  };
  int next = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string base = Folder("base" + std::to_string(next++));
    const std::string entry = base + "\\" + row.entry;
    if (row.folder) {
      ASSERT_TRUE(CreateDirectoryA(entry.c_str(), nullptr));
    } else {
      std::ofstream(entry) << "a file";
    }
    ASSERT_TRUE(localSettings_.Set(base));
    EnsureLocalSettingsTemp();
    EXPECT_EQ(row.entry, Names(base));
    EXPECT_EQ(row.folder, IsFolder(entry));
  }
}

TEST_F(TempFolderTest, MissingBaseOrValueMakesNothing) {
  const std::string missing = root_ + "\\Local Settings";
  ASSERT_TRUE(localSettings_.Set(missing));
  EnsureLocalSettingsTemp();
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, Attributes(missing));
  ASSERT_TRUE(localSettings_.Remove());
  EnsureLocalSettingsTemp();
  ASSERT_TRUE(appData_.Remove());
  EnsureAppDataTemp();
  EXPECT_EQ("", Names(root_));
}

TEST_F(TempFolderTest, AppDataTempGoesBesideApplicationData) {
  const struct {
    const char* name;
    const char* appData;  // below the test folder
    const char* made;     // the folder expected below the test folder, or "" for none
  } rows[] = {
      {"ends in Application Data", "w1\\Application Data", "w1\\Temp"},
      {"ends in application data, other case", "w2\\application data", "w2\\Temp"},
      {"another ending", "w3\\Roaming", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string appData = root_ + "\\" + row.appData;
    const std::string parent = appData.substr(0, appData.rfind('\\'));
    CreateDirectoryA(parent.c_str(), nullptr);
    CreateDirectoryA(appData.c_str(), nullptr);
    ASSERT_TRUE(appData_.Set(appData));
    EnsureAppDataTemp();
    if (*row.made != '\0') {
      EXPECT_TRUE(IsFolder(root_ + "\\" + row.made));
    } else {
      EXPECT_EQ(INVALID_FILE_ATTRIBUTES, Attributes(parent + "\\Temp"));
    }
  }
}

}  // namespace
