// The module of Vanu.dll: its module object, the service start-up state, and the steps the
// library's entry point runs when a process loads and unloads it.
#pragma once

#include <windows.h>

#include "module.h"

// The library's module object (lock count, object map, termination callbacks).
class CAppModule : public CComModule {};
extern CAppModule _Module;

// True once an InitServices call has completed the four Java method tables.
extern bool g_servicesStarted;

// Process attach: initialises the module with the object map, `instance` and LIBID_VaNu,
// and switches off thread notifications. Process detach: releases the explicit table's class
// objects and shuts the module down. Every other reason does nothing. Always TRUE.
BOOL VanuDllMain(HINSTANCE instance, DWORD reason);
