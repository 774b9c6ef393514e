// ComPtr: owns one COM interface pointer in a test and releases it on every path.
#pragma once

#include <unknwn.h>

namespace vanu_test {

// Owns one COM interface pointer.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { reset(); }
  void reset() {
    if (p_ != nullptr) p_->Release();
    p_ = nullptr;
  }
  T** put() {
    reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }
  T* get() const { return p_; }
  T* detach() {
    T* p = p_;
    p_ = nullptr;
    return p;
  }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

}  // namespace vanu_test
