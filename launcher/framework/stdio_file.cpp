#include "framework/stdio_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstring>
#include <string>

bool CStdioFile::Open(const char* path, unsigned flags) {
  Close();
  const DWORD share = (flags & shareExclusive) ? 0 : (FILE_SHARE_READ | FILE_SHARE_WRITE);
  HANDLE handle = CreateFileA(path, GENERIC_READ, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;

  const int mode = _O_RDONLY | ((flags & typeText) ? _O_TEXT : _O_BINARY);
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), mode);
  if (fd == -1) {
    CloseHandle(handle);
    return false;
  }
  // From here the descriptor owns the handle, and then the stream owns the descriptor.
  std::FILE* stream = _fdopen(fd, (flags & typeText) ? "rt" : "rb");
  if (stream == nullptr) {
    _close(fd);
    return false;
  }
  stream_ = stream;
  return true;
}

bool CStdioFile::ReadString(CString& line) {
  line.Empty();
  if (stream_ == nullptr) return false;
  std::string text;
  bool readAny = false;
  for (;;) {
    if (bufferPos_ == bufferEnd_) {
      // Block reads go through the run-time's text-mode translation like single reads do.
      bufferEnd_ = std::fread(buffer_, 1, sizeof buffer_, stream_);
      bufferPos_ = 0;
      if (bufferEnd_ == 0) {
        if (std::ferror(stream_)) return false;
        break;
      }
    }
    readAny = true;
    const char* begin = buffer_ + bufferPos_;
    const void* newline = std::memchr(begin, '\n', bufferEnd_ - bufferPos_);
    if (newline != nullptr) {
      const std::size_t count = static_cast<const char*>(newline) - begin;
      text.append(begin, count);
      bufferPos_ += count + 1;
      break;
    }
    text.append(begin, bufferEnd_ - bufferPos_);
    bufferPos_ = bufferEnd_;
  }
  line = CString(std::move(text));
  return readAny;
}

void CStdioFile::Close() {
  if (stream_ != nullptr) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  bufferPos_ = bufferEnd_ = 0;
}
