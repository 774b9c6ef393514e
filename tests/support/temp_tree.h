// Fresh folders for one test and their removal, with retries for files that programs a
// test started may still hold for a moment.
#pragma once

#include <windows.h>

#include <string>

// Removes `path` and everything below it; true when it is gone.
inline bool RemoveTree(const std::string& path) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        const std::string child = path + "\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(child);
        } else {
          SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileA(child.c_str());
        }
      } while (FindNextFileA(search, &data));
      FindClose(search);
    }
    if (RemoveDirectoryA(path.c_str()) || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
      return true;
    }
    Sleep(20);
  }
  return false;
}

// A new, empty folder in the temporary folder, named after `prefix`, the process and a
// counter; whatever an earlier process left under the same name is removed first.
inline std::string MakeFreshFolder(const char* prefix) {
  static int next = 0;
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string path = std::string(temp) + prefix + std::to_string(GetCurrentProcessId()) +
                           "-" + std::to_string(GetTickCount()) + "-" + std::to_string(next++);
  RemoveTree(path);
  CreateDirectoryA(path.c_str(), nullptr);
  return path;
}
