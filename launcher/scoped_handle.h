// ScopedFileHandle: owns a kernel handle whose empty value is INVALID_HANDLE_VALUE (files,
// Toolhelp snapshots) and closes it on every path. Move-only.
#pragma once

#include <windows.h>

class ScopedFileHandle {
 public:
  ScopedFileHandle() = default;
  explicit ScopedFileHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedFileHandle() { Close(); }
  ScopedFileHandle(const ScopedFileHandle&) = delete;
  ScopedFileHandle& operator=(const ScopedFileHandle&) = delete;
  ScopedFileHandle(ScopedFileHandle&& other) noexcept : handle_(other.handle_) {
    other.handle_ = INVALID_HANDLE_VALUE;
  }
  ScopedFileHandle& operator=(ScopedFileHandle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.handle_;
      other.handle_ = INVALID_HANDLE_VALUE;
    }
    return *this;
  }

  bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }
  void Close() {
    if (IsValid()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Opens an existing file for reading with `share` as the sharing mode; an invalid handle
// when it cannot be opened (missing, in use in a conflicting way, or not readable).
inline ScopedFileHandle OpenForReading(const char* path, DWORD share) {
  return ScopedFileHandle(CreateFileA(path, GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
}
