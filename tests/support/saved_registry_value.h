// Keeps one registry value as it was: saved when the object is made, put back (or deleted,
// when it did not exist) when the object goes. Set and Remove change it meanwhile. The key
// is created when missing and deleted again afterwards when it was created here.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class SavedRegistryValue {
 public:
  SavedRegistryValue(HKEY root, std::string keyName, std::string valueName)
      : root_(root), keyName_(std::move(keyName)), valueName_(std::move(valueName)) {
    DWORD disposition = 0;
    if (RegCreateKeyExA(root_, keyName_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                        &disposition) != ERROR_SUCCESS) {
      key_ = nullptr;
      return;
    }
    createdKey_ = disposition == REG_CREATED_NEW_KEY;
    DWORD size = 0;
    if (RegQueryValueExA(key_, valueName_.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
      bytes_.resize(size);
      existed_ = RegQueryValueExA(key_, valueName_.c_str(), nullptr, &type_, bytes_.data(), &size) ==
                 ERROR_SUCCESS;
      bytes_.resize(size);
    }
  }
  ~SavedRegistryValue() {
    if (key_ == nullptr) return;
    if (existed_) {
      RegSetValueExA(key_, valueName_.c_str(), 0, type_, bytes_.data(), static_cast<DWORD>(bytes_.size()));
    } else {
      RegDeleteValueA(key_, valueName_.c_str());
    }
    RegCloseKey(key_);
    if (createdKey_) RegDeleteKeyA(root_, keyName_.c_str());
  }
  SavedRegistryValue(const SavedRegistryValue&) = delete;
  SavedRegistryValue& operator=(const SavedRegistryValue&) = delete;

  bool IsOpen() const { return key_ != nullptr; }

  // Sets the value to `bytes` as given (no zero byte is added).
  bool SetBytes(const std::string& bytes, DWORD type = REG_SZ) {
    return RegSetValueExA(key_, valueName_.c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
  }
  // Sets the value to `text` with its terminating zero byte.
  bool Set(const std::string& text) { return SetBytes(std::string(text.c_str(), text.size() + 1)); }
  bool Remove() {
    const LONG result = RegDeleteValueA(key_, valueName_.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
  }

 private:
  HKEY root_;
  std::string keyName_, valueName_;
  HKEY key_ = nullptr;
  bool createdKey_ = false;
  bool existed_ = false;
  DWORD type_ = REG_SZ;
  std::vector<BYTE> bytes_;
};
