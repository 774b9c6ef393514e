// Exported entry points of Vanu.dll. Registration answers E_NOTIMPL until the registration
// scripts exist.
#include <windows.h>
#include <objbase.h>

#include <jni.h>

#include "java_host.h"
#include "java_method_tables.h"
#include "vanu_module.h"

extern "C" {

// Called by the suite's Java application with its host object and the Java environment of
// the calling thread. The host is kept on every call. The Java method tables are built with
// `env` until a call completes them; once complete, later calls leave them as they are and do
// not use `env`. A build that stopped at a missing class or method leaves its exception for
// the host's EndJavaCall, and the next call builds only what is missing.
void WINAPI InitServices(IJavaHost* host, JNIEnv* env) {
  g_javaHost = host;
  if (!g_servicesStarted) g_servicesStarted = BuildJavaMethodTables(env);
}

// S_OK when no lock on the module is held, otherwise S_FALSE.
STDAPI DllCanUnloadNow() { return _Module.GetLockCount() == 0 ? S_OK : S_FALSE; }

// The class object of `clsid`; *ppv is null on every failure, and a null ppv gives E_POINTER.
STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
  return _Module.GetClassObject(clsid, iid, ppv);
}

STDAPI DllRegisterServer() { return E_NOTIMPL; }

STDAPI DllUnregisterServer() { return E_NOTIMPL; }

}  // extern "C"
