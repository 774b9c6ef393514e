// The entry point the platform calls when Vanu.dll is loaded into a process and unloaded.
#include <windows.h>

#include "vanu_module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  return VanuDllMain(instance, reason);
}
