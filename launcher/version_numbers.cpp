#include "version_numbers.h"

#include <cstdint>
#include <vector>

namespace {

constexpr std::uint32_t kPlatformWindows = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr std::uint32_t kPlatformNt = 2;       // VER_PLATFORM_WIN32_NT

std::vector<CString> SplitAtDots(const CString& text) {
  std::vector<CString> fields;
  int start = 0;
  for (;;) {
    const int dot = text.Find('.', start);
    if (dot < 0) {
      fields.push_back(text.Mid(start));
      return fields;
    }
    fields.push_back(text.Mid(start, dot - start));
    start = dot + 1;
  }
}

bool IsCapital(char ch) { return ch >= 'A' && ch <= 'Z'; }

void ClassifyTrailingField(const CString& field, VersionRecord& record) {
  const int length = field.GetLength();
  if (field.Left(2).CompareNoCase("SP") == 0) {
    record.sp = ReadFieldNumber(field.Mid(2));
  } else if (length == 4) {
    if (IsCapital(field.GetAt(0)) && IsCapital(field.GetAt(1))) {
      record.letters = field.Left(2);
      record.letters_number = ReadFieldNumber(field.Right(2));
    }
  } else if (length == 2 && (field.GetAt(0) == 'A' || field.GetAt(0) == 'B' ||
                             field.GetAt(0) == 'L' || field.GetAt(0) == 'T')) {
    record.tag = field;
  } else if (length < 6) {
    record.number = ReadFieldNumber(field);
  } else {
    record.irregular = 1;
  }
}

}  // namespace

int ClassifyPlatform(std::uint32_t platformId, std::uint32_t majorVersion,
                     std::uint32_t minorVersion) {
  if (platformId == kPlatformNt) return 0;
  if (platformId != kPlatformWindows) return 3;
  if (majorVersion > 4) return 1;
  if (majorVersion == 4) return minorVersion > 0 ? 1 : 2;
  return 3;
}

bool IsVersionPlausible(const CString& version) {
  if (version.GetLength() < 14) return false;
  int at = version.Find("6.");
  if (at < 0) at = version.Find("5.");
  if (at < 0) at = version.Find("4.");
  if (at < 0) return false;
  return at + 3 < version.GetLength() && version.GetAt(at + 3) == '.';
}

std::int32_t ReadFieldNumber(const CString& field) {
  const char* p = field.GetString();
  while (IsSpaceByte(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  std::int64_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > INT32_MAX + std::int64_t{1}) value = INT32_MAX + std::int64_t{1};
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  return static_cast<std::int32_t>(value);
}

bool VersionParser::Parse(const CString& text, VersionRecord& record) const {
  if (text.IsEmpty()) return false;
  const std::vector<CString> fields = SplitAtDots(text);
  if (fields.size() < 4) return false;  // fewer than three dots

  std::size_t start = 0;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].GetLength() == 1) {
      start = i;
      break;
    }
  }
  // The four fixed fields must all exist from the start field on.
  if (start + 4 > fields.size()) return false;

  VersionRecord parsed;
  parsed.irregular = start != 0 ? 1 : 0;
  parsed.major = ReadFieldNumber(fields[start]);
  parsed.minor = ReadFieldNumber(fields[start + 1]);
  parsed.build = ReadFieldNumber(fields[start + 2]);
  parsed.code = fields[start + 3].Right(2);
  for (std::size_t i = start + 4; i < fields.size(); ++i) {
    ClassifyTrailingField(fields[i], parsed);
  }
  record = parsed;
  return true;
}

int CompareVersionCodes(const VersionRecord& offered, const VersionRecord& installed) {
  return offered.code.CompareNoCase(installed.code) == 0 ? 2 : 3;
}
