// CString: the launcher's byte string in the system's ANSI code page.
// A small stand-in for the framework string class; it holds bytes, never interprets them,
// except where a member says it is multibyte-aware.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CString {
 public:
  CString() = default;
  CString(const char* text) : text_(text != nullptr ? text : "") {}  // NOLINT: implicit like the framework's
  CString(const char* bytes, std::size_t count) : text_(bytes, count) {}
  explicit CString(std::string text) : text_(std::move(text)) {}

  int GetLength() const { return static_cast<int>(text_.size()); }
  bool IsEmpty() const { return text_.empty(); }
  void Empty() { text_.clear(); }
  const char* GetString() const { return text_.c_str(); }
  operator const char*() const { return text_.c_str(); }  // NOLINT: as the framework's
  const std::string& str() const { return text_; }
  char GetAt(int index) const { return text_[static_cast<std::size_t>(index)]; }

  // Position of the first occurrence at or after `start`, or -1.
  int Find(char ch, int start = 0) const;
  int Find(const char* sub, int start = 0) const;

  // Substrings; counts and positions are clamped to the string, never read past it.
  CString Left(int count) const;
  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString Right(int count) const;

  // Remove leading / trailing white space: blank, tab, line feed, vertical tab,
  // form feed and carriage return (what the C run-time classes as space).
  CString& TrimLeft();
  CString& TrimRight();
  CString& Trim() { return TrimRight().TrimLeft(); }

  // Replaces every occurrence of `from`, scanning left to right; returns the count.
  int Replace(const char* from, const char* to);

  // Case-insensitive comparison in the system's multibyte code page (the C run-time's
  // _mbsicmp on Windows; ASCII letters only in the native build). <0, 0 or >0.
  int CompareNoCase(const char* other) const;

  CString& operator+=(const CString& more) { text_ += more.text_; return *this; }
  CString& operator+=(const char* more) { text_ += (more != nullptr ? more : ""); return *this; }
  CString& operator+=(char ch) { text_ += ch; return *this; }
  friend CString operator+(CString left, const CString& right) { return left += right; }
  friend CString operator+(CString left, const char* right) { return left += right; }
  friend bool operator==(const CString& a, const CString& b) { return a.text_ == b.text_; }
  friend bool operator!=(const CString& a, const CString& b) { return a.text_ != b.text_; }
  friend bool operator==(const CString& a, const char* b) { return a.text_ == (b != nullptr ? b : ""); }
  friend bool operator!=(const CString& a, const char* b) { return !(a == b); }

 private:
  std::string text_;
};

// True for the six characters the C run-time classes as space, for any byte value.
bool IsSpaceByte(char ch);

// CStringArray: an ordered array of strings.
class CStringArray {
 public:
  int GetSize() const { return static_cast<int>(items_.size()); }
  const CString& GetAt(int index) const { return items_[static_cast<std::size_t>(index)]; }
  const CString& operator[](int index) const { return GetAt(index); }
  int Add(const CString& item) { items_.push_back(item); return GetSize() - 1; }
  void RemoveAll() { items_.clear(); }

 private:
  std::vector<CString> items_;
};
