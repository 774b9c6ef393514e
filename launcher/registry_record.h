// Reading one string record from the registry.
#pragma once

#include <windows.h>

#include "framework/cstring.h"

// Size of the buffer a registry record is read into, in bytes.
constexpr DWORD kRegistryRecordCapacity = 260;

// Reads value `valueName` of `root`\`keyName`, opened with full access (KEY_ALL_ACCESS),
// into a zero-filled 260-byte buffer; the value's type is not examined. TRUE with `text`
// set to the buffer's text up to its first zero byte. FALSE, leaving `text` untouched,
// when the key cannot be opened with full access, the value is missing, or it does not fit
// the buffer with a terminating zero byte. The key is always closed again.
bool TryReadRegistryText(HKEY root, const char* keyName, const char* valueName, CString& text);

// The text TryReadRegistryText reads, or the empty text on any failure (the record is
// then absent).
CString ReadRegistryText(HKEY root, const char* keyName, const char* valueName);

// How keys are opened: RegOpenKeyExA, unless a test replaces it to produce conditions the
// platform cannot (a key the user may not open with full access). nullptr restores the
// real call. Returns the previous function.
using RegistryOpenFunction = LONG(APIENTRY*)(HKEY root, LPCSTR keyName, DWORD options,
                                             REGSAM access, PHKEY key);
RegistryOpenFunction SetRegistryOpenFunction(RegistryOpenFunction replacement);
