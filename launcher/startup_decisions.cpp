#include "startup_decisions.h"

bool IsTraceModeTail(const CString& tail) { return tail.CompareNoCase("-show") == 0; }

CString ChooseLanguageCode(std::uint16_t languageId) {
  switch (languageId) {
    case 0x0404: return "TCH";
    case 0x0411: return "JAP";
    case 0x0804: return "SCH";
    default: return "ENG";
  }
}

CString ModuleDirFromModulePath(const char* buffer, std::size_t length, std::size_t capacity) {
  if (buffer == nullptr || length == 0 || length >= capacity) return CString();
  const CString path(buffer, length);
  int cut = -1;
  for (int i = 0; i < path.GetLength(); ++i) {
    if (path.GetAt(i) == '\\') cut = i;
  }
  return cut < 0 ? CString() : path.Left(cut);
}
