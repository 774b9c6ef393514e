// The baseline of the launcher benchmark: the process starts a launcher run makes on a medium
// without records, and nothing else. The four registration runs of regsvr32 through the
// shell, each waited for, then the installer (QINS.exe beside this program) created
// directly and waited for.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::string Folder(const char* path) {
  const std::string text(path);
  const std::size_t slash = text.rfind('\\');
  return slash == std::string::npos ? std::string() : text.substr(0, slash);
}

void ShellRunAndWait(const std::string& program, const char* parameters) {
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpFile = program.c_str();
  info.lpParameters = parameters;
  info.nShow = SW_SHOW;
  if (!ShellExecuteExA(&info) || info.hProcess == nullptr) return;
  WaitForSingleObject(info.hProcess, INFINITE);
  CloseHandle(info.hProcess);
}

}  // namespace

int main() {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  const std::string regsvr32 = std::string(system) + "\\regsvr32.exe";
  for (const char* registration : {"/s oleaut32.dll", "/s shdocvw.dll", "/s actxprxy.dll", "/s urlmon.dll"}) {
    ShellRunAndWait(regsvr32, registration);
  }
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string installer = Folder(self) + "\\QINS.exe";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  char commandLine[1] = {};
  if (CreateProcessA(installer.c_str(), commandLine, nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                     nullptr, nullptr, &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  return 0;
}
