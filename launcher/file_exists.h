// Presence of a file or folder, by a file search on its exact path.
#pragma once

#include <windows.h>

#include "framework/cstring.h"

// TRUE when a search with `path` as its pattern finds an entry; a folder of that name
// counts too. The search handle is closed before the call returns.
BOOL FileExists(const CString& path);
