#include "file_exists.h"

#include "framework/file_find.h"

BOOL FileExists(const CString& path) {
  CFileFind finder;
  const BOOL found = finder.FindFile(path);
  finder.Close();
  return found;
}
