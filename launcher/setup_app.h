// SetupApp: the launcher's application object. Its InitInstance runs the whole job from
// the single-instance lock to the start of the installer, and returns FALSE.
#pragma once

#include "framework/win_app.h"
#include "language_res.h"
#include "trace_dialog.h"
#include "version_numbers.h"

class SetupApp : public CWinApp {
 public:
  SetupApp();
  ~SetupApp() override = default;

  BOOL InitInstance() override;

  // Appends a line to the trace window in trace mode; nothing otherwise.
  void WriteTrace(CString message);

  // The pre-installation checks: TRUE when the installer is to be started; FALSE when the
  // launcher must stop (the user has been told wherever a message is due).
  BOOL NeedStartQMO();

  // TRUE when the user may install: always off the NT family; on it, unless the token's
  // privilege class is 0 (an ordinary user).
  BOOL HasInstallRights();

  // Compares the codes of the offered and the installed version (writing the trace line
  // "NeedUnInstall = Start"): 2 when they are equal, 3 when they differ.
  int NeedUnInstall(const VersionRecord& offered, const VersionRecord& installed);

  // Starts the installer and waits for its end or its completion message (NT family).
  BOOL LaunchWithCompletionPipe(const CString& program, const CString& commandLine, int flag);

  // Installation records. Each is read afresh on every call and only read; an absent or
  // unreadable record gives the empty text or FALSE.
  CString GetOldInstallDir();     // the earlier product's folder
  CString GetInstallDir();        // the installed suite's folder
  CString GetInstalledVersion();  // the installed suite's version text
  CString GetProgramFilesDir();   // the system's program folder
  CString GetOfferedVersion();    // the version on the medium (InstallInfo.ini beside setup)
  // The caption from folder\Config\InstallInfo.ini when not empty, else `defaultText`.
  CString GetProductCaption(const CString& folder, const CString& defaultText);
  BOOL IsProductInstalled();      // the installed suite's files are present
  BOOL IsOldProductInstalled();   // the earlier product's files are present
  BOOL HasSystemIniFiles();       // both system ini files of the installed suite are present
  BOOL IsInstallLogIntact();      // the installer engine log holds at least 307200 bytes

  // TRUE when a running process's executable name contains `name`, without regard to case.
  BOOL IsProcessRunning(CString name);

  TraceDialog traceDialog;
  LanguageRes* languageRes = nullptr;
  CString moduleDir;
};

// The one application object.
SetupApp& TheSetupApp();
