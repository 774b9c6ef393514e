// Reading one string record from the registry.
#pragma once

#include <windows.h>

#include "framework/cstring.h"

// Size of the buffer a registry record is read into, in bytes.
constexpr DWORD kRegistryRecordCapacity = 260;

// The text of value `valueName` of `root`\`keyName`, opened with full access. Empty when
// the key cannot be opened with full access, the value is missing, or it does not fit the
// 260-byte buffer with a terminating zero byte. The key is always closed again.
CString ReadRegistryText(HKEY root, const char* keyName, const char* valueName);
