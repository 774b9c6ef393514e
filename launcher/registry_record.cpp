#include "registry_record.h"

#include <cstring>

namespace {

RegistryOpenFunction g_openKey = RegOpenKeyExA;

// Closes a registry key when it goes out of scope.
class ScopedKey {
 public:
  ScopedKey() = default;
  ~ScopedKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;
  HKEY* Receive() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

bool TryReadRegistryText(HKEY root, const char* keyName, const char* valueName, CString& text) {
  ScopedKey key;
  if (g_openKey(root, keyName, 0, KEY_ALL_ACCESS, key.Receive()) != ERROR_SUCCESS ||
      key.get() == nullptr) {
    return false;
  }
  char buffer[kRegistryRecordCapacity] = {};
  DWORD size = sizeof buffer;
  if (RegQueryValueExA(key.get(), valueName, nullptr, nullptr,
                       reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS) {
    return false;
  }
  // A value that fills the buffer without a zero byte would be read past its end.
  const void* zero = std::memchr(buffer, 0, sizeof buffer);
  if (zero == nullptr) return false;
  text = CString(buffer, static_cast<const char*>(zero) - buffer);
  return true;
}

CString ReadRegistryText(HKEY root, const char* keyName, const char* valueName) {
  CString text;
  TryReadRegistryText(root, keyName, valueName, text);
  return text;
}

RegistryOpenFunction SetRegistryOpenFunction(RegistryOpenFunction replacement) {
  RegistryOpenFunction previous = g_openKey;
  g_openKey = replacement != nullptr ? replacement : RegOpenKeyExA;
  return previous;
}
