// Exported entry points of Vanu.dll. The COM entry points answer E_NOTIMPL until the
// module's class objects and registration exist; InitServices accepts and ignores its host.
#include <windows.h>
#include <objbase.h>

class IJavaHost;
struct JNIEnv_;

extern "C" {

// Called by the suite's Java application with its host object and Java environment.
void WINAPI InitServices(IJavaHost* /*host*/, JNIEnv_* /*env*/) {}

STDAPI DllCanUnloadNow() { return E_NOTIMPL; }

STDAPI DllGetClassObject(REFCLSID /*clsid*/, REFIID /*iid*/, void** ppv) {
  if (ppv != nullptr) *ppv = nullptr;
  return E_NOTIMPL;
}

STDAPI DllRegisterServer() { return E_NOTIMPL; }

STDAPI DllUnregisterServer() { return E_NOTIMPL; }

}  // extern "C"
