// EngineChecker: prepares the outside installer engine before anything else. It
// re-registers four system libraries with the system's regsvr32, refuses to go on while one
// of the engine's shared files is locked, and deletes engine files of the wrong size.
#pragma once

#include <windows.h>

#include "framework/cstring.h"

class TraceDialog;

class EngineChecker {
 public:
  // The engine files below engineDir, in the order they are examined.
  static constexpr int kEngineFileCount = 5;
  static const char* const kEngineFileNames[kEngineFileCount];
  // Expected sizes in bytes, by the same index; -1 for IKernel.exe, which has no size test.
  static const long long kExpectedSizes[kEngineFileCount];
  // The folder of the engine's shared files below the common-files folder.
  static constexpr const char* kEngineSubfolder = "\\InstallShield\\Engine\\6\\Intel 32";
  // The lock box.
  static constexpr const char* kLockText =
      "The install program has detected that the install engine document is locked, \n"
      "please restart computer and reinstall.";
  static constexpr const char* kLockCaption = "error";

  EngineChecker() = default;
  virtual ~EngineChecker() = default;

  // Fills the paths. FALSE (with a trace line) when the common-files folder cannot be read
  // or the system folder is empty: the engine check cannot be made and is skipped.
  BOOL Init();

  // The repair, then the lock test, then the damage test. FALSE only when an engine file is
  // locked: the user has been told in a box and the launcher must stop. Only after Init
  // returned TRUE.
  BOOL CheckEngine();

  // Reads CommonFilesDir of HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion (opened with
  // full access, a 260-byte buffer) into commonFilesDir. FALSE, leaving it untouched, when
  // the key cannot be opened with full access or the value cannot be read whole.
  BOOL GetCommonFilesDir();

  // The system folder as GetSystemDirectoryA reports it; empty when the call fails.
  CString GetSystemDir();

  // Runs regsvr32 with each of the four registrations, one after the other, waiting for
  // each; all four always run. TRUE when every run was started and waited for (regsvr32's
  // own exit code plays no part).
  BOOL RepairDlls();

  // TRUE when at least one present engine file cannot be opened for reading with read
  // sharing (another process writes it, denies reading, or the user may not read it).
  // Every file is examined.
  BOOL CheckEngineLock();

  // Deletes every engine file (but IKernel.exe) that can be opened exclusively and whose
  // size is not the expected one. TRUE when such a deletion failed. Files that are missing
  // or open elsewhere are skipped.
  BOOL CheckEngineDamage();

  // Appends a line to the trace window in trace mode, when this checker has been given it.
  void WriteTrace(CString message);

  TraceDialog* traceDialogPtr = nullptr;  // set in trace mode
  CString commonFilesDir;
  CString engineDir;
  CString regsvr32Path;
  CString engineFiles[kEngineFileCount];
};
