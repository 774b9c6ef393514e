// CStdioFile: a text file read line by line through the C run-time, opened through
// CreateFileA so that the sharing mode can be chosen. Windows only.
#pragma once

#include <cstdio>

#include "framework/cstring.h"

class CStdioFile {
 public:
  // Open flags; only the combinations the launcher uses are supported.
  enum OpenFlags : unsigned {
    modeRead = 0x0000,
    shareExclusive = 0x0010,  // no other handle may be open on the file meanwhile
    typeText = 0x4000,        // C run-time text mode: CR LF becomes LF, Ctrl-Z ends the data
  };

  CStdioFile() = default;
  ~CStdioFile() { Close(); }
  CStdioFile(const CStdioFile&) = delete;
  CStdioFile& operator=(const CStdioFile&) = delete;

  // Opens an existing file for reading. FALSE when it is missing or cannot be opened
  // (for example because another handle holds it); the object then stays closed.
  bool Open(const char* path, unsigned flags);

  // Reads the next line, of any length, without its line end. FALSE at the end of the file
  // when nothing was read, or on a read error; `line` is then empty.
  bool ReadString(CString& line);

  void Close();
  bool IsOpen() const { return stream_ != nullptr; }

 private:
  std::FILE* stream_ = nullptr;
  char buffer_[16384];
  std::size_t bufferPos_ = 0;
  std::size_t bufferEnd_ = 0;
};
