// Feeds arbitrary text, split at line feeds, to the section lookup. The first two lines of
// the input name the section and the key to look up.
#include <cstddef>
#include <cstdint>
#include <string>

#include "section_lookup.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CStringArray lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.Add(CString(text.substr(start, end - start)));
    start = end + 1;
  }
  const CString section = lines.GetSize() > 0 ? lines[0] : CString();
  const CString key = lines.GetSize() > 1 ? lines[1] : CString();
  const CString value = FindSectionValue(lines, section, key, "<default>");
  // A value never holds a backslash-n pair and never begins or ends with white space.
  if (value.Find("\\n") >= 0 && value != "<default>") __builtin_trap();
  return 0;
}
