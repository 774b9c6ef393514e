#include "framework/file_find.h"

BOOL CFileFind::FindFile(const char* path) {
  Close();
  WIN32_FIND_DATAA data;
  search_ = FindFirstFileA(path, &data);
  return search_ != INVALID_HANDLE_VALUE;
}

void CFileFind::Close() {
  if (search_ != INVALID_HANDLE_VALUE) {
    FindClose(search_);
    search_ = INVALID_HANDLE_VALUE;
  }
}
