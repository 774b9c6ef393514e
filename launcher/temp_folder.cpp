// The per-user "Temp" folder, found by a search of its base folder and created when no
// folder of that name is there. Every failure is silent.
#include "temp_folder.h"

#include <windows.h>

#include "framework/cstring.h"
#include "registry_record.h"
#include "temp_folder_base.h"

namespace {

constexpr char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Closes a file search when it goes out of scope.
class ScopedSearch {
 public:
  explicit ScopedSearch(HANDLE search) : search_(search) {}
  ~ScopedSearch() {
    if (search_ != INVALID_HANDLE_VALUE) FindClose(search_);
  }
  ScopedSearch(const ScopedSearch&) = delete;
  ScopedSearch& operator=(const ScopedSearch&) = delete;
  HANDLE get() const { return search_; }

 private:
  HANDLE search_;
};

bool IsTempFolderEntry(const WIN32_FIND_DATAA& entry) {
  const CString name = entry.cFileName;
  if (name == "." || name == "..") return false;
  if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return false;
  return name.CompareNoCase("Temp") == 0;
}

bool HasTempFolder(const CString& base) {
  WIN32_FIND_DATAA entry;
  const ScopedSearch search(FindFirstFileA(base + "\\*.*", &entry));
  if (search.get() == INVALID_HANDLE_VALUE) return false;
  do {
    if (IsTempFolderEntry(entry)) return true;
  } while (FindNextFileA(search.get(), &entry));
  return false;
}

void EnsureTempBelow(const CString& base) {
  if (!HasTempFolder(base)) CreateDirectoryA(base + "\\Temp", nullptr);
}

}  // namespace

void EnsureLocalSettingsTemp() {
  CString base;
  if (!TryReadRegistryText(HKEY_CURRENT_USER, kShellFoldersKey, "Local Settings", base)) return;
  EnsureTempBelow(base);
}

void EnsureAppDataTemp() {
  CString appData;
  if (!TryReadRegistryText(HKEY_CURRENT_USER, kShellFoldersKey, "AppData", appData)) return;
  CString base;
  if (TempBaseFromAppData(appData, base)) EnsureTempBelow(base);
}
