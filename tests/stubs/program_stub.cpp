// A stand-in for the programs the launcher starts (the installer QINS.exe, the follow-up
// program Website.exe, removal programs, regsvr32). It appends one line to the file named
// by VANU_STUB_LOG: its file name, command line, process id and current folder, separated
// by '|'. Started as QINS.exe it then plays the installer's part on the completion pipe:
// VANU_STUB_SEND holds the bytes to send, in hex ("none" or unset: never connect), and
// VANU_STUB_PIPE the pipe name (default the real one). VANU_STUB_SLEEP_MS delays its end.
// VANU_STUB_SPAWN "<name>|<program>|<ms>": a stub started as <name> first starts <program>
// (which lives <ms> milliseconds) without waiting, as a removal program may leave the
// suite's programs running.
// Started as regsvr32.exe it logs to VANU_STUB_REGSVR32_LOG instead, when that is set, so
// that the registration runs stay apart from the programs a scenario counts; it then waits
// VANU_STUB_REGSVR32_SLEEP_MS instead, and after such a wait logs "end|" and its process id.
// With VANU_STUB_HOLD set to "w:<path>" or "r:<path>" it logs nothing and holds that file
// open, for writing (reading and writing shared) or for reading (reading shared), for
// VANU_STUB_SLEEP_MS or until it is ended.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string Env(const char* name) {
  char value[4096];
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

std::string BaseName() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const char* slash = std::strrchr(path, '\\');
  return slash != nullptr ? slash + 1 : path;
}

bool IsRegistrationRun(const std::string& name) {
  return _stricmp(name.c_str(), "regsvr32.exe") == 0 && !Env("VANU_STUB_REGSVR32_LOG").empty();
}

void Append(const std::string& line, const std::string& name) {
  const std::string log = Env(IsRegistrationRun(name) ? "VANU_STUB_REGSVR32_LOG" : "VANU_STUB_LOG");
  if (log.empty()) return;
  // Appends atomically with other stubs that log to the same file.
  for (int attempt = 0; attempt < 200; ++attempt) {
    HANDLE h = CreateFileA(log.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      CloseHandle(h);
      return;
    }
    Sleep(10);
  }
}

void Log(const std::string& name) {
  char cwd[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, cwd);
  Append(name + "|" + GetCommandLineA() + "|" + std::to_string(GetCurrentProcessId()) + "|" +
             cwd + "\r\n",
         name);
}

void SendOnPipe() {
  const std::string hex = Env("VANU_STUB_SEND");
  if (hex.empty() || hex == "none") return;
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16));
  }
  std::string pipe = Env("VANU_STUB_PIPE");
  if (pipe.empty()) pipe = "\\\\.\\PIPE\\COPYENDPIPE.PIP";
  // The launcher creates the pipe only after this process has started: retry a while.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    HANDLE h = CreateFileA(pipe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
      CloseHandle(h);
      return;
    }
    Sleep(10);
  }
}

void Spawn(const std::string& name) {
  const std::string request = Env("VANU_STUB_SPAWN");
  const std::size_t first = request.find('|');
  const std::size_t second = first == std::string::npos ? first : request.find('|', first + 1);
  if (second == std::string::npos || _stricmp(request.substr(0, first).c_str(), name.c_str()) != 0) return;
  const std::string program = request.substr(first + 1, second - first - 1);
  const std::string ownSleep = Env("VANU_STUB_SLEEP_MS");
  SetEnvironmentVariableA("VANU_STUB_SPAWN", nullptr);
  SetEnvironmentVariableA("VANU_STUB_SLEEP_MS", request.substr(second + 1).c_str());
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string commandLine = "\"" + program + "\"";
  if (CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  SetEnvironmentVariableA("VANU_STUB_SLEEP_MS", ownSleep.empty() ? nullptr : ownSleep.c_str());
}

}  // namespace

// Opens the file VANU_STUB_HOLD names as it says; true when there is one to hold.
bool HoldFile() {
  const std::string hold = Env("VANU_STUB_HOLD");
  if (hold.size() < 3 || hold[1] != ':') return false;
  const bool write = hold[0] == 'w';
  const HANDLE file = CreateFileA(hold.substr(2).c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                                  write ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return true;  // nothing held: the test sees it
  const std::string sleep = Env("VANU_STUB_SLEEP_MS");
  Sleep(sleep.empty() ? 60000 : static_cast<DWORD>(std::atoi(sleep.c_str())));
  CloseHandle(file);
  return true;
}

int main() {
  if (HoldFile()) return 0;
  const std::string name = BaseName();
  Log(name);
  Spawn(name);
  if (_stricmp(name.c_str(), "QINS.exe") == 0) SendOnPipe();
  if (IsRegistrationRun(name)) {
    const std::string sleep = Env("VANU_STUB_REGSVR32_SLEEP_MS");
    if (!sleep.empty()) {
      Sleep(static_cast<DWORD>(std::atoi(sleep.c_str())));
      Append("end|" + std::to_string(GetCurrentProcessId()) + "\r\n", name);
    }
    return 0;
  }
  const std::string sleep = Env("VANU_STUB_SLEEP_MS");
  if (!sleep.empty()) Sleep(static_cast<DWORD>(std::atoi(sleep.c_str())));
  return 0;
}
