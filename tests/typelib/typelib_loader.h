// Loads the type library embedded in the built 32-bit Vanu.dll, by path and
// without registering it, and small helpers to read it in tests.
#ifndef VANU_TESTS_TYPELIB_LOADER_H
#define VANU_TESTS_TYPELIB_LOADER_H

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "com_ptr.h"

namespace vanu_test {

// The Windows path of build/win32/bin/Vanu.dll (Wine maps drive Z: to /).
std::wstring VanuDllPath();

// LoadTypeLibEx(REGKIND_NONE) on VanuDllPath(); the HRESULT of the load.
HRESULT LoadVanuTypeLib(ITypeLib** lib);

// The name of a type description (its GetDocumentation name); "" on failure.
std::wstring TypeName(ITypeInfo* info);

// A type as the expected tables write it: "int", "BSTR*", "CommandBar**",
// user-defined types by name; "?<vt>" for anything else.
std::wstring TypeString(ITypeInfo* owner, const TYPEDESC& desc);

// The interface view of a dual interface (GetRefTypeOfImplType(-1)).
HRESULT InterfaceView(ITypeInfo* dispatch, ITypeInfo** view);

}  // namespace vanu_test

#endif  // VANU_TESTS_TYPELIB_LOADER_H
