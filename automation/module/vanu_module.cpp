#include "vanu_module.h"

#include "command_bars.h"
#include "vanu_typelib.h"

CAppModule _Module;
bool g_servicesStarted = false;

namespace {
// The explicit table; CDocumentProperties joins through the automatic list.
BEGIN_OBJECT_MAP(ObjectMap)
  OBJECT_ENTRY(CLSID_CommandBars, CCommandBars)
END_OBJECT_MAP()
}  // namespace

BOOL VanuDllMain(HINSTANCE instance, DWORD reason) {
  if (reason == DLL_PROCESS_ATTACH) {
    // A failed lock marks the module (class objects then answer E_UNEXPECTED); loading
    // still succeeds.
    _Module.Init(ObjectMap, instance, &LIBID_VaNu);
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    _Module.Term();
  }
  return TRUE;
}
