#include "section_lookup.h"

namespace {

// The name of a header line that begins with "[" (leading white space already removed).
CString SectionName(const CString& header) {
  const int close = header.Find(']');
  if (close < 0) return CString();
  return header.Mid(1, close - 1).Trim();
}

}  // namespace

CString FindSectionValue(const CStringArray& lines, const CString& section, const CString& key,
                         const CString& defaultValue) {
  const int count = lines.GetSize();
  int i = 0;
  for (; i < count; ++i) {
    if (lines[i].IsEmpty()) continue;
    CString line = lines[i];
    line.TrimLeft();
    if (line.IsEmpty() || line.GetAt(0) != '[') continue;
    if (SectionName(line) == section) break;
  }
  if (i == count) return defaultValue;

  for (++i; i < count; ++i) {
    if (lines[i].IsEmpty()) continue;
    CString line = lines[i];
    line.TrimLeft();
    if (!line.IsEmpty() && line.GetAt(0) == '[') return defaultValue;  // the section has ended
    const int equals = line.Find('=');
    if (equals < 0) continue;
    if (line.Left(equals).Trim() != key) continue;
    CString value = line.Mid(equals + 1).Trim();
    value.Replace("\\n", "\n");
    return value;
  }
  return defaultValue;
}
