// The privilege class of an access token, from the number of privileges it holds.
#pragma once

#include <windows.h>

// The class of `token` (opened with TOKEN_QUERY): -1 when its privilege information cannot
// be read, or it holds fewer than 4 privileges; 0 for 4 to 15; 2 for 16 to 20; 3 above 20.
// Nothing is read beyond what the system filled in.
int PrivilegeClassOfToken(HANDLE token);

// The class of the running process's own token; -1 when the token cannot be opened.
int GetPrivilegeClass();
