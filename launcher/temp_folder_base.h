// Where the per-user "Temp" folder goes off the NT family: beside the "Application Data"
// folder named by the user's "AppData" value. A plain decision, no Windows call.
#pragma once

#include "framework/cstring.h"

// TRUE when the last 16 characters of `appData` are "Application Data" without regard to
// case; `base` is then the text without its last 17 characters (the suffix and the
// separator before it), empty for a text shorter than 17. FALSE leaves `base` untouched.
bool TempBaseFromAppData(const CString& appData, CString& base);
