// CFileFind: whether a file or folder matching a path exists.
#pragma once

#include <windows.h>

class CFileFind {
 public:
  CFileFind() = default;
  ~CFileFind() { Close(); }
  CFileFind(const CFileFind&) = delete;
  CFileFind& operator=(const CFileFind&) = delete;

  // TRUE when something matches `path` (wildcards allowed).
  BOOL FindFile(const char* path);
  void Close();

 private:
  HANDLE search_ = INVALID_HANDLE_VALUE;
};
