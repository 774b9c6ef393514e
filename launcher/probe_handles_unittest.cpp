// Every probe closes what it opens (keys, snapshots, files, searches) on every path: after
// many calls on success and failure paths alike, the process's handle table has the same
// free slots as before. (The platform gives new handles the lowest free slots, so the first
// 64 handles made show which slots are free; its handle count is not kept up to date.)
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

#include "engine_checker.h"
#include "registry_record.h"
#include "saved_registry_value.h"
#include "setup_app.h"
#include "temp_folder.h"
#include "temp_tree.h"

namespace {

std::set<HANDLE> FreeSlots() {
  std::set<HANDLE> slots;
  HANDLE events[64];
  for (HANDLE& event : events) {
    event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    slots.insert(event);
  }
  for (HANDLE event : events) CloseHandle(event);
  return slots;
}

LONG APIENTRY OpenButFail(HKEY root, LPCSTR keyName, DWORD options, REGSAM access, PHKEY key) {
  // Opens the key for real, then reports a failure: the reader must still close it.
  RegOpenKeyExA(root, keyName, options, access, key);
  return ERROR_ACCESS_DENIED;
}

TEST(ProbeHandlesTest, NoHandleStaysOpen) {
  const std::string root = MakeFreshFolder("vanu-handles-");
  const std::string engine = root + "\\InstallShield\\Engine\\6\\Intel 32";
  for (const std::string& folder : {root + "\\InstallShield", root + "\\InstallShield\\Engine",
                                    root + "\\InstallShield\\Engine\\6", engine}) {
    CreateDirectoryA(folder.c_str(), nullptr);
  }
  std::ofstream(engine + "\\ctor.dll", std::ios::binary) << "wrong size";
  std::ofstream(engine + "\\iuser.dll", std::ios::binary) << "wrong size";
  SetFileAttributesA((engine + "\\iuser.dll").c_str(), FILE_ATTRIBUTE_READONLY);
  SavedRegistryValue commonFiles(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                 "CommonFilesDir");
  SavedRegistryValue installDir(HKEY_CLASSES_ROOT, "halvicor", "install_dir");
  SavedRegistryValue localSettings(HKEY_CURRENT_USER,
                                   "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                   "Local Settings");
  ASSERT_TRUE(commonFiles.Set(root) && installDir.Set(root) && localSettings.Set(root));
  SetupApp& app = TheSetupApp();

  auto probeEverything = [&] {
    EngineChecker checker;
    checker.Init();
    checker.CheckEngineLock();
    checker.CheckEngineDamage();
    app.GetInstallDir();
    app.GetOldInstallDir();  // absent key
    app.IsProductInstalled();
    app.HasSystemIniFiles();
    app.IsInstallLogIntact();
    app.GetProductCaption(root.c_str(), "x");
    app.IsProcessRunning("no such program.exe");
    app.IsProcessRunning("wine");  // found at once: the walk ends early
    EnsureLocalSettingsTemp();
    EnsureAppDataTemp();
    const RegistryOpenFunction previous = SetRegistryOpenFunction(OpenButFail);
    ReadRegistryText(HKEY_CURRENT_USER, "Software", "x");
    SetRegistryOpenFunction(previous);
  };
  probeEverything();  // first calls may load libraries or make caches
  const std::set<HANDLE> before = FreeSlots();
  for (int round = 0; round < 5; ++round) probeEverything();
  EXPECT_EQ(before, FreeSlots());

  // The free slots do show a handle left open.
  HKEY leaked = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &leaked));
  EXPECT_NE(before, FreeSlots());
  RegCloseKey(leaked);
  EXPECT_EQ(before, FreeSlots());

  SetFileAttributesA((engine + "\\iuser.dll").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_TRUE(RemoveTree(root));
}

}  // namespace
