#include "framework/cstring.h"

#include <algorithm>

#ifdef _WIN32
#include <mbstring.h>
#endif

namespace {

std::size_t ClampPos(int pos, std::size_t size) {
  if (pos < 0) return 0;
  return std::min(static_cast<std::size_t>(pos), size);
}

}  // namespace

bool IsSpaceByte(char ch) {
  return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

int CString::Find(char ch, int start) const {
  std::size_t at = text_.find(ch, ClampPos(start, text_.size()));
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Find(const char* sub, int start) const {
  if (sub == nullptr) return -1;
  std::size_t at = text_.find(sub, ClampPos(start, text_.size()));
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

CString CString::Left(int count) const {
  return CString(text_.substr(0, ClampPos(count, text_.size())));
}

CString CString::Mid(int first) const {
  return CString(text_.substr(ClampPos(first, text_.size())));
}

CString CString::Mid(int first, int count) const {
  std::size_t from = ClampPos(first, text_.size());
  return CString(text_.substr(from, ClampPos(count, text_.size() - from)));
}

CString CString::Right(int count) const {
  std::size_t n = ClampPos(count, text_.size());
  return CString(text_.substr(text_.size() - n));
}

CString& CString::TrimLeft() {
  std::size_t i = 0;
  while (i < text_.size() && IsSpaceByte(text_[i])) ++i;
  text_.erase(0, i);
  return *this;
}

CString& CString::TrimRight() {
  std::size_t n = text_.size();
  while (n > 0 && IsSpaceByte(text_[n - 1])) --n;
  text_.resize(n);
  return *this;
}

int CString::Replace(const char* from, const char* to) {
  if (from == nullptr || *from == '\0') return 0;
  const std::string needle(from);
  const std::string replacement(to != nullptr ? to : "");
  int count = 0;
  std::size_t at = 0;
  while ((at = text_.find(needle, at)) != std::string::npos) {
    text_.replace(at, needle.size(), replacement);
    at += replacement.size();
    ++count;
  }
  return count;
}

int CString::CompareNoCase(const char* other) const {
  const char* b = other != nullptr ? other : "";
#ifdef _WIN32
  return _mbsicmp(reinterpret_cast<const unsigned char*>(text_.c_str()),
                  reinterpret_cast<const unsigned char*>(b));
#else
  const char* a = text_.c_str();
  for (;; ++a, ++b) {
    unsigned char ca = static_cast<unsigned char>(*a);
    unsigned char cb = static_cast<unsigned char>(*b);
    if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca - 'A' + 'a');
    if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb - 'A' + 'a');
    if (ca != cb || ca == 0) return ca - cb;
  }
#endif
}
