// Whether a program of a given name runs: a Toolhelp snapshot of all processes, each
// executable name upper-cased by the multibyte code page and searched for the name.
#include <windows.h>
#include <tlhelp32.h>
#include <mbstring.h>

#include <vector>

#include "scoped_handle.h"
#include "setup_app.h"

namespace {

static_assert(sizeof(void*) != 4 || sizeof(PROCESSENTRY32) == 296,
              "the 32-bit entry is 296 bytes, as the system expects");

// A writable, zero-terminated copy of `text`, upper-cased by the multibyte code page.
std::vector<unsigned char> UpperCopy(const char* text, std::size_t length) {
  std::vector<unsigned char> copy(text, text + length);
  copy.push_back('\0');
  _mbsupr(copy.data());
  return copy;
}

}  // namespace

BOOL SetupApp::IsProcessRunning(CString name) {
  const ScopedFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.IsValid()) return FALSE;
  const std::vector<unsigned char> wanted = UpperCopy(name, name.GetLength());

  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;  // 296 bytes in the 32-bit build
  for (BOOL more = Process32First(snapshot.get(), &entry); more;
       more = Process32Next(snapshot.get(), &entry)) {
    // szExeFile is zero-terminated by the system; the bound keeps a bad entry inside it.
    std::size_t length = 0;
    while (length < sizeof entry.szExeFile && entry.szExeFile[length] != '\0') ++length;
    const std::vector<unsigned char> exe = UpperCopy(entry.szExeFile, length);
    if (_mbsstr(exe.data(), wanted.data()) != nullptr) return TRUE;
  }
  return FALSE;
}
