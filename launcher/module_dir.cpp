#include "module_dir.h"

#include <windows.h>

#include "startup_decisions.h"

CString GetModuleDir() {
  char buffer[kModulePathCapacity] = {};
  const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  return ModuleDirFromModulePath(buffer, length);
}
