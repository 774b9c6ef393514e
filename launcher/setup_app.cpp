#include "setup_app.h"

#include <windows.h>

#include "engine_checker.h"
#include "message_box.h"
#include "module_dir.h"
#include "program_launch.h"
#include "startup_decisions.h"
#include "version_numbers.h"

namespace {

constexpr UINT kBusyCursor = 131;

// Creates a named mutex; true when it already existed (another holder is alive).
// The handle is handed back so that the caller decides how long the mutex is held.
bool MutexAlreadyExists(const char* name, HANDLE& handle) {
  handle = CreateMutexA(nullptr, FALSE, name);
  return GetLastError() == ERROR_ALREADY_EXISTS;
}

CString InstallDirOfTheApp() { return TheSetupApp().GetInstallDir(); }

}  // namespace

SetupApp::SetupApp() : moduleDir(GetModuleDir()) {}

void SetupApp::WriteTrace(CString message) {
  if (traceEnabled != 1) return;
  traceDialog.AppendLine(message);
}

BOOL SetupApp::LaunchWithCompletionPipe(const CString& program, const CString& commandLine,
                                        int /*flag: has no effect*/) {
  return ::LaunchWithCompletionPipe(program, commandLine, InstallDirOfTheApp);
}

BOOL SetupApp::InitInstance() {
  // 1-2. One launcher at a time, and none while the suite's kernel runs. The "QMOSetup"
  // handle stays open for the life of the process.
  HANDLE setupMutex = nullptr;
  if (MutexAlreadyExists("QMOSetup", setupMutex)) return FALSE;
  HANDLE kernelMutex = nullptr;
  if (MutexAlreadyExists("QMOKernel", kernelMutex)) return FALSE;
  if (kernelMutex != nullptr) CloseHandle(kernelMutex);

  // 3. Trace mode.
  if (IsTraceModeTail(m_lpCmdLine) && traceDialog.Create(m_hInstance)) {
    traceDialog.ShowWindow(SW_SHOW);
    traceEnabled = 1;
  }

  // 4. Busy cursor.
  HCURSOR previousCursor = GetCursor();
  SetCursor(LoadCursorA(m_hInstance, MAKEINTRESOURCEA(kBusyCursor)));

  // 5-6. The installer engine.
  EngineChecker checker;
  if (traceEnabled == 1) checker.traceDialogPtr = &traceDialog;
  if (checker.Init()) {
    WriteTrace("checker.Init() = TRUE");
    if (!checker.CheckEngine()) return FALSE;
    WriteTrace("checker.CheckEngine() = TRUE");
  }

  // 7-8. The message language.
  const CString languageCode = ChooseLanguageCode(GetSystemDefaultLangID());
  LanguageRes language(languageCode);
  languageRes = &language;
  WriteTrace("CreateLanguageRes = TRUE");

  // 9. The pre-installation checks; the busy cursor stays when they say stop.
  if (!NeedStartQMO()) {
    languageRes = nullptr;
    return FALSE;
  }

  // 10-11.
  SetCursor(previousCursor);
  const CString installerPath = moduleDir + "\\QINS.exe";
  WriteTrace(CString("Start QMO setup = ") + installerPath);

  // 12. The trace window shows the finished log until the user closes the box.
  if (traceEnabled == 1) {
    ShowMessageBox("close debug window", "", MB_OK);
    traceDialog.DestroyWindow();
  }

  // 13. A folder that could not be determined never starts a program.
  if (!moduleDir.IsEmpty()) {
    if (GetPlatformClass() == 0) {
      LaunchWithCompletionPipe(installerPath, "", 1);
    } else {
      ShellLaunch(installerPath, "", true, false);
    }
  }
  languageRes = nullptr;
  return FALSE;
}
