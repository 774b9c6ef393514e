// The object-model interfaces, IIDs, CLSIDs and LIBID_VaNu generated from VaNu.idl.
//
// <windows.h> without WIN32_LEAN_AND_MEAN brings in winspool.h, whose
// DocumentProperties macro (DocumentPropertiesA/W) would rename the interface
// of that name. windows.h is included first so that its include guard keeps
// the macro from coming back, and the macro is removed before VaNu.h.
#ifndef VANU_TYPELIB_H
#define VANU_TYPELIB_H

#include <windows.h>
#ifdef DocumentProperties
#undef DocumentProperties
#endif
#include "VaNu.h"

#endif  // VANU_TYPELIB_H
