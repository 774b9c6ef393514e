// Puts the program stub in the place of the system folder's regsvr32.exe for the life of
// the object, forced native with a DLL override in the prefix's registry (Wine otherwise
// runs its built-in program for that path), so that the launcher's registration runs are
// logged (to VANU_STUB_REGSVR32_LOG) instead of re-registering the prefix's libraries.
// The prefix's own regsvr32.exe and override setting come back when the object goes.
#pragma once

#include <windows.h>

#include <string>

#include "own_folder.h"

class Regsvr32StandIn {
 public:
  // `replacement`: the program to put in place (default: the windowed program stub); `log`: where
  // the stub logs its runs.
  explicit Regsvr32StandIn(const std::string& log, std::string replacement = std::string())
      : path_(SystemFolder() + "\\regsvr32.exe"), original_(path_ + ".vanu-original") {
    if (replacement.empty()) replacement = OwnFolder() + "\\windowed_stub.exe";
    // A run that ended abnormally may have left the stand-in in place: the copy kept first
    // is the prefix's own program.
    if (GetFileAttributesA(original_.c_str()) == INVALID_FILE_ATTRIBUTES) {
      CopyFileA(path_.c_str(), original_.c_str(), TRUE);
    }
    installed_ = CopyFileA(replacement.c_str(), path_.c_str(), FALSE) != 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kOverridesKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &overrides_, nullptr) != ERROR_SUCCESS) {
      overrides_ = nullptr;
      installed_ = false;
    } else {
      char previous[256] = {};
      DWORD size = sizeof previous - 1;
      hadOverride_ = RegQueryValueExA(overrides_, "regsvr32.exe", nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(previous), &size) == ERROR_SUCCESS;
      if (hadOverride_) previousOverride_ = previous;
      installed_ = installed_ && RegSetValueExA(overrides_, "regsvr32.exe", 0, REG_SZ,
                                                reinterpret_cast<const BYTE*>("native"), 7) ==
                                     ERROR_SUCCESS;
    }
    SetEnvironmentVariableA("VANU_STUB_REGSVR32_LOG", log.c_str());
  }
  ~Regsvr32StandIn() {
    SetEnvironmentVariableA("VANU_STUB_REGSVR32_LOG", nullptr);
    if (overrides_ != nullptr) {
      if (hadOverride_) {
        RegSetValueExA(overrides_, "regsvr32.exe", 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(previousOverride_.c_str()),
                       static_cast<DWORD>(previousOverride_.size() + 1));
      } else {
        RegDeleteValueA(overrides_, "regsvr32.exe");
      }
      RegCloseKey(overrides_);
    }
    // A stand-in still running keeps its file busy for a moment.
    for (int attempt = 0; attempt < 100; ++attempt) {
      if (CopyFileA(original_.c_str(), path_.c_str(), FALSE)) {
        DeleteFileA(original_.c_str());
        break;
      }
      Sleep(20);
    }
  }
  Regsvr32StandIn(const Regsvr32StandIn&) = delete;
  Regsvr32StandIn& operator=(const Regsvr32StandIn&) = delete;

  bool Installed() const { return installed_; }
  const std::string& Path() const { return path_; }

  static std::string SystemFolder() {
    char folder[MAX_PATH] = {};
    GetSystemDirectoryA(folder, MAX_PATH);
    return folder;
  }

 private:
  std::string path_, original_;
  bool installed_ = false;
  static constexpr const char* kOverridesKey = "Software\\Wine\\DllOverrides";
  HKEY overrides_ = nullptr;
  bool hadOverride_ = false;
  std::string previousOverride_;
};
