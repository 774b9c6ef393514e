// IniFileReader: reads a sections-and-keys text file afresh on every lookup.
#pragma once

#include "framework/cstring.h"
#include "framework/stdio_file.h"

class IniFileReader {
 public:
  explicit IniFileReader(CString path) : path(std::move(path)) {}
  virtual ~IniFileReader() = default;

  // Reads the whole file into `lines`, opened for reading with no sharing, in text mode.
  // Returns FALSE, leaving `lines` as they were, when the file cannot be opened. A read
  // error part-way keeps the lines read up to it.
  bool Load();

  // The value of `key` in the first section named `section` (see FindSectionValue), read
  // from the file as it is now; `defaultValue` when the file cannot be opened.
  CString GetValue(CString section, CString key, CString defaultValue);

  bool opened = false;
  CString path;
  CStdioFile file;
  CStringArray lines;
};
