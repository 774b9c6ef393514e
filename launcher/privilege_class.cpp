#include "privilege_class.h"

#include <cstring>
#include <vector>

#include "pre_install_decision.h"

int PrivilegeClassOfToken(HANDLE token) {
  DWORD size = 0;
  if (GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size) ||
      GetLastError() != ERROR_INSUFFICIENT_BUFFER || size < sizeof(DWORD)) {
    return -1;
  }
  std::vector<BYTE> buffer(size);
  DWORD filled = 0;
  if (!GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &filled) ||
      filled < sizeof(DWORD)) {
    return -1;
  }
  DWORD count = 0;  // TOKEN_PRIVILEGES.PrivilegeCount, the structure's first field
  std::memcpy(&count, buffer.data(), sizeof count);
  return PrivilegeClassFromCount(count);
}

int GetPrivilegeClass() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) || token == nullptr) return -1;
  const int privilegeClass = PrivilegeClassOfToken(token);
  CloseHandle(token);
  return privilegeClass;
}
