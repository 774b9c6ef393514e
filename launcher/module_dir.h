// The running program's folder, without a trailing backslash; empty when it cannot be
// determined (see ModuleDirFromModulePath).
#pragma once

#include "framework/cstring.h"

CString GetModuleDir();
