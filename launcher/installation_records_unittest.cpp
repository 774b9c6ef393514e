// The installation records against the real registry and file system: every record of a
// test is its own (values saved and put back, a fresh folder for the files).
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "file_exists.h"
#include "registry_record.h"
#include "saved_registry_value.h"
#include "setup_app.h"
#include "temp_tree.h"

namespace {

constexpr char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr char kLogFolder[] =
    "\\InstallShield Installation Information\\{902CCC39-02E3-4814-AF71-C25E6C685CB2}";

class InstallationRecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = MakeFreshFolder("vanu-records-");
    ASSERT_TRUE(installDir_.IsOpen() && version_.IsOpen() && oldInstallDir_.IsOpen() &&
                programFiles_.IsOpen());
    ASSERT_TRUE(installDir_.Remove() && version_.Remove() && oldInstallDir_.Remove());
    savedModuleDir_ = app_.moduleDir;
  }
  void TearDown() override {
    app_.moduleDir = savedModuleDir_;
    EXPECT_TRUE(RemoveTree(root_));
  }

  // Makes `relative` below the test folder, with its parent folders, holding `size` bytes.
  std::string WriteFile(const std::string& relative, std::size_t size = 1) {
    std::string path = root_;
    for (std::size_t slash = relative.find('\\'); slash != std::string::npos;
         slash = relative.find('\\', slash + 1)) {
      CreateDirectoryA((root_ + "\\" + relative.substr(0, slash)).c_str(), nullptr);
    }
    path += "\\" + relative;
    std::ofstream(path, std::ios::binary) << std::string(size, 'r');
    return path;
  }
  std::string WriteText(const std::string& relative, const std::string& text) {
    const std::string path = WriteFile(relative, 0);
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  SetupApp& app_ = TheSetupApp();
  std::string root_;
  CString savedModuleDir_;
  SavedRegistryValue installDir_{HKEY_CLASSES_ROOT, "halvicor", "install_dir"};
  SavedRegistryValue version_{HKEY_CLASSES_ROOT, "halvicor", "vanu_version"};
  SavedRegistryValue oldInstallDir_{HKEY_CLASSES_ROOT, "kestrune", "install_dir"};
  SavedRegistryValue programFiles_{HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir"};
};

TEST_F(InstallationRecordsTest, RegistryRecordsAreReadAfreshAndBoundedByTheBuffer) {
  const std::string longest(259, 'v');
  const struct {
    const char* name;
    SavedRegistryValue* value;
    CString (SetupApp::*read)();
  } records[] = {
      {"install folder", &installDir_, &SetupApp::GetInstallDir},
      {"installed version", &version_, &SetupApp::GetInstalledVersion},
      {"earlier install folder", &oldInstallDir_, &SetupApp::GetOldInstallDir},
      {"Program Files folder", &programFiles_, &SetupApp::GetProgramFilesDir},
  };
  const struct {
    const char* name;
    std::string bytes;
    std::string expected;
  } rows[] = {
      {"plain text", std::string("D:\\Suite\0", 9), "D:\\Suite"},
      {"259 characters and the zero byte", longest + std::string(1, '\0'), longest},
      {"260 bytes without a zero byte", std::string(260, 'w'), ""},
      {"longer than 260 bytes", std::string(300, 'x') + std::string(1, '\0'), ""},
      {"changed since the last read", std::string("5.1.0\0", 6), "5.1.0"},
  };
  for (const auto& record : records) {
    ASSERT_TRUE(record.value->Remove());
    EXPECT_STREQ("", (app_.*record.read)()) << record.name << ": absent";
    for (const auto& row : rows) {
      ASSERT_TRUE(record.value->SetBytes(row.bytes));
      EXPECT_EQ(row.expected, (app_.*record.read)().str()) << record.name << ": " << row.name;
    }
  }
}

// A key that the user may not open with full access reads as absent; the platform grants
// full access here, so the open is replaced.
LONG APIENTRY DenyFullAccess(HKEY, LPCSTR, DWORD, REGSAM access, PHKEY key) {
  *key = nullptr;
  return access == KEY_ALL_ACCESS ? ERROR_ACCESS_DENIED : ERROR_INVALID_PARAMETER;
}

TEST_F(InstallationRecordsTest, KeyWithoutFullAccessReadsAsAbsent) {
  const std::string suite = root_ + "\\Suite";
  ASSERT_TRUE(installDir_.Set(suite));
  WriteFile("Suite\\Vanu_Duvude.jar");
  ASSERT_TRUE(app_.IsProductInstalled());
  const RegistryOpenFunction previous = SetRegistryOpenFunction(DenyFullAccess);
  EXPECT_STREQ("", app_.GetInstallDir());
  EXPECT_FALSE(app_.IsProductInstalled());
  SetRegistryOpenFunction(previous);
}

TEST_F(InstallationRecordsTest, ProductPresenceNeedsTheRecordAndOneOfItsFiles) {
  const struct {
    const char* name;
    SavedRegistryValue* record;
    const char* jar;
    const char* ese;
    BOOL (SetupApp::*installed)();
  } products[] = {
      {"current suite", &installDir_, "Vanu_Duvude.jar", "Vanu_Duvude.ese", &SetupApp::IsProductInstalled},
      {"earlier product", &oldInstallDir_, "VIVarara.jar", "VIVarara.ese", &SetupApp::IsOldProductInstalled},
  };
  const struct {
    const char* name;
    bool record, jar, ese;
    BOOL expected;
  } rows[] = {
      {"no record, both files", false, true, true, FALSE},
      {"record, no files", true, false, false, FALSE},
      {"record, only the .jar", true, true, false, TRUE},
      {"record, only the .ese", true, false, true, TRUE},
      {"record, both files", true, true, true, TRUE},
  };
  int next = 0;
  for (const auto& product : products) {
    for (const auto& row : rows) {
      const std::string folder = "p" + std::to_string(next++);
      if (row.jar) WriteFile(folder + "\\" + product.jar);
      if (row.ese) WriteFile(folder + "\\" + product.ese);
      CreateDirectoryA((root_ + "\\" + folder).c_str(), nullptr);
      ASSERT_TRUE(row.record ? product.record->Set(root_ + "\\" + folder) : product.record->Remove());
      EXPECT_EQ(row.expected, (app_.*product.installed)()) << product.name << ": " << row.name;
    }
  }
}

TEST_F(InstallationRecordsTest, SystemIniFilesAreBothNeeded) {
  const struct {
    const char* name;
    bool fileIni, regIni;
    BOOL expected;
  } rows[] = {
      {"neither", false, false, FALSE},
      {"only VanuFile.ini", true, false, FALSE},
      {"only VanuReg.ini", false, true, FALSE},
      {"both", true, true, TRUE},
  };
  int next = 0;
  for (const auto& row : rows) {
    const std::string folder = "s" + std::to_string(next++);
    CreateDirectoryA((root_ + "\\" + folder).c_str(), nullptr);
    if (row.fileIni) WriteFile(folder + "\\System\\VanuFile.ini");
    if (row.regIni) WriteFile(folder + "\\System\\VanuReg.ini");
    ASSERT_TRUE(installDir_.Set(root_ + "\\" + folder));
    EXPECT_EQ(row.expected, app_.HasSystemIniFiles()) << row.name;
  }
  ASSERT_TRUE(installDir_.Remove());
  EXPECT_FALSE(app_.HasSystemIniFiles()) << "no record";
}

TEST_F(InstallationRecordsTest, InstallLogIsIntactFrom307200Bytes) {
  ASSERT_TRUE(programFiles_.Set(root_));
  const std::string log = std::string(kLogFolder + 1) + "\\setup.ilg";
  EXPECT_FALSE(app_.IsInstallLogIntact()) << "absent";
  const struct {
    std::size_t size;
    BOOL expected;
  } rows[] = {{307200, TRUE}, {307199, FALSE}, {307201, TRUE}, {0, FALSE}};
  for (const auto& row : rows) {
    WriteFile(log, row.size);
    EXPECT_EQ(row.expected, app_.IsInstallLogIntact()) << row.size << " bytes";
  }
}

TEST_F(InstallationRecordsTest, InstallLogThatCannotBeOpenedIsNotIntact) {
  ASSERT_TRUE(programFiles_.Set(root_));
  const std::string log = WriteFile(std::string(kLogFolder + 1) + "\\setup.ilg", 400000);
  ASSERT_TRUE(app_.IsInstallLogIntact());
  {
    // Another program holds it open: the exclusive open fails.
    HANDLE held = CreateFileA(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_FALSE(app_.IsInstallLogIntact());
    CloseHandle(held);
  }
  // Every open was closed again: the file can be opened exclusively and deleted.
  EXPECT_TRUE(app_.IsInstallLogIntact());
  EXPECT_TRUE(DeleteFileA(log.c_str()));
  // A folder of that name is present but is no log.
  ASSERT_TRUE(CreateDirectoryA(log.c_str(), nullptr));
  EXPECT_FALSE(app_.IsInstallLogIntact());
}

TEST_F(InstallationRecordsTest, OfferedVersionComesFromTheSetupFolder) {
  app_.moduleDir = root_.c_str();
  EXPECT_STREQ("", app_.GetOfferedVersion()) << "no InstallInfo.ini";
  const struct {
    const char* name;
    const char* text;
    const char* expected;
  } rows[] = {
      {"version given", "[property]\r\nversion_code=2.0.3\r\n", "2.0.3"},
      {"no property section", "[other]\r\nversion_code=2.0.3\r\n", ""},
      {"empty version", "[property]\r\nversion_code=\r\n", ""},
  };
  for (const auto& row : rows) {
    WriteText("InstallInfo.ini", row.text);
    EXPECT_STREQ(row.expected, app_.GetOfferedVersion()) << row.name;
  }
}

TEST_F(InstallationRecordsTest, ProductCaptionFallsBackToTheDefault) {
  const CString folder = root_.c_str();
  EXPECT_STREQ("Default", app_.GetProductCaption(folder, "Default")) << "no InstallInfo.ini";
  const struct {
    const char* name;
    const char* text;
    const char* expected;
  } rows[] = {
      {"caption given", "[property]\r\nfull_caption=Vanu Office 2\r\n", "Vanu Office 2"},
      {"no property section", "[general]\r\nfull_caption=Other\r\n", "Default"},
      {"empty caption", "[property]\r\nfull_caption=\r\n", "Default"},
  };
  for (const auto& row : rows) {
    WriteText("Config\\InstallInfo.ini", row.text);
    EXPECT_STREQ(row.expected, app_.GetProductCaption(folder, "Default")) << row.name;
  }
}

TEST(FileExistsTest, FilesAndFoldersArePresent) {
  const std::string root = MakeFreshFolder("vanu-exists-");
  const std::string file = root + "\\present.txt";
  std::ofstream(file) << "x";
  EXPECT_TRUE(FileExists(file.c_str()));
  EXPECT_TRUE(FileExists(root.c_str()));
  EXPECT_FALSE(FileExists((root + "\\absent.txt").c_str()));
  EXPECT_FALSE(FileExists((root + "\\no folder\\absent.txt").c_str()));
  EXPECT_TRUE(RemoveTree(root));
}

}  // namespace
