// SetupApp: the launcher's application object. Its InitInstance runs the whole job from
// the single-instance lock to the start of the installer, and returns FALSE.
#pragma once

#include "framework/win_app.h"
#include "language_res.h"
#include "trace_dialog.h"

class SetupApp : public CWinApp {
 public:
  SetupApp();
  ~SetupApp() override = default;

  BOOL InitInstance() override;

  // Appends a line to the trace window in trace mode; nothing otherwise.
  void WriteTrace(CString message);

  // The pre-installation checks: TRUE when the installer is to be started.
  BOOL NeedStartQMO();

  // Starts the installer and waits for its end or its completion message (NT family).
  BOOL LaunchWithCompletionPipe(const CString& program, const CString& commandLine, int flag);

  // The installed suite's folder from its registry record, read afresh; empty when absent.
  CString GetInstallDir();

  TraceDialog traceDialog;
  LanguageRes* languageRes = nullptr;
  CString moduleDir;
};

// The one application object.
SetupApp& TheSetupApp();
