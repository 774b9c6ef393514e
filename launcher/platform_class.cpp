#include <windows.h>

#include "version_numbers.h"

int GetPlatformClass() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;  // 148 bytes
  static_assert(sizeof(OSVERSIONINFOA) == 148, "the ANSI version structure");
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&info)) return 3;
#pragma GCC diagnostic pop
  return ClassifyPlatform(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}
