#include "program_launch.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "completion_message.h"
#include "completion_pipe.h"
#include "message_box.h"

namespace {

// A writable, zero-terminated copy of a command line, as CreateProcessA requires.
std::vector<char> WritableCopy(const CString& text, std::size_t minimumSize = 0) {
  std::vector<char> buffer(text.GetString(), text.GetString() + text.GetLength() + 1);
  if (buffer.size() < minimumSize) buffer.resize(minimumSize, '\0');
  return buffer;
}

bool CreateProcessInherited(const CString& program, std::vector<char>& commandLine,
                            PROCESS_INFORMATION& process) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;  // 68 bytes in the 32-bit build
  return CreateProcessA(program, commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_UNICODE_ENVIRONMENT, nullptr, nullptr, &startup, &process) != 0;
}

void StartFollowUpProgram(InstallDirSource installDir, DWORD installerId) {
  const CString dir = installDir != nullptr ? installDir() : CString();
  CString line;
  if (!FormatFollowUpCommandLine(dir, installerId, line)) return;
  std::vector<char> commandLine = WritableCopy(line, kFollowUpCommandLineSize);
  PROCESS_INFORMATION process = {};
  if (CreateProcessInherited(FollowUpProgramPath(dir), commandLine, process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

}  // namespace

bool ShellLaunch(const CString& program, const CString& parameters, bool showErrors, bool wait) {
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;  // 60 bytes in the 32-bit build
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpFile = program;
  info.lpParameters = parameters;
  info.nShow = SW_SHOW;
  if (!ShellExecuteExA(&info)) {
    if (showErrors) ShowMessageBox("shell execute failed!", "error", MB_ICONERROR);
    return false;
  }
  bool result = true;
  if (wait && info.hProcess != nullptr &&
      WaitForSingleObject(info.hProcess, INFINITE) == WAIT_FAILED) {
    if (showErrors) ShowMessageBox("wait failed!", "error", MB_ICONERROR);
    result = false;
  }
  if (info.hProcess != nullptr) CloseHandle(info.hProcess);
  return result;
}

bool LaunchWithCompletionPipe(const CString& program, const CString& commandLine,
                              InstallDirSource installDir, const char* pipeName) {
  std::vector<char> line = WritableCopy(commandLine);
  PROCESS_INFORMATION installer = {};
  if (!CreateProcessInherited(program, line, installer)) return false;

  auto* exchange = new CopyEndExchange;
  exchange->pipeName = pipeName;
  CopyEndListener listener(exchange);
  if (!listener.Start() || installer.hProcess == nullptr) {
    exchange->Release();
    CloseHandle(installer.hThread);
    CloseHandle(installer.hProcess);
    return false;
  }

  const HANDLE handles[2] = {listener.thread, installer.hProcess};
  const DWORD which = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
  bool result = true;
  if (which == WAIT_OBJECT_0) {
    CloseHandle(listener.thread);
    if (IsCopyEndMessage(exchange->message)) StartFollowUpProgram(installDir, installer.dwProcessId);
  } else if (which != WAIT_OBJECT_0 + 1) {
    result = false;
  }
  // The installer goes on; its handles are not needed any more. A listener still waiting
  // keeps its own reference to the exchange record and ends with the process.
  CloseHandle(installer.hThread);
  CloseHandle(installer.hProcess);
  exchange->Release();
  return result;
}
