#include "engine_checker.h"

#include "file_exists.h"
#include "message_box.h"
#include "program_launch.h"
#include "registry_record.h"
#include "scoped_handle.h"
#include "trace_dialog.h"

namespace {

constexpr char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr int kKernelIndex = 2;  // IKernel.exe: in use while the engine runs, any size

// The registrations, in the order they run.
constexpr const char* kRegistrations[] = {"/s oleaut32.dll", "/s shdocvw.dll",
                                          "/s actxprxy.dll", "/s urlmon.dll"};

}  // namespace

const char* const EngineChecker::kEngineFileNames[kEngineFileCount] = {
    "\\corecomp.ini", "\\ctor.dll", "\\IKernel.exe", "\\iuser.dll", "\\objectps.dll"};
const long long EngineChecker::kExpectedSizes[kEngineFileCount] = {28529, 77824, -1, 176128, 32768};

BOOL EngineChecker::Init() {
  if (!GetCommonFilesDir()) {
    WriteTrace("GetCommonFilesDir = FALSE");
    return FALSE;
  }
  engineDir = commonFilesDir + kEngineSubfolder;
  for (int i = 0; i < kEngineFileCount; ++i) engineFiles[i] = engineDir + kEngineFileNames[i];
  const CString systemDir = GetSystemDir();
  if (systemDir.IsEmpty()) {
    WriteTrace("GetSystemDir = FALSE");
    return FALSE;
  }
  regsvr32Path = systemDir + "\\regsvr32.exe";
  return TRUE;
}

BOOL EngineChecker::CheckEngine() {
  if (!RepairDlls()) WriteTrace("\r\n RepairDlls = FALSE");
  if (CheckEngineLock()) {
    ShowMessageBox(kLockText, kLockCaption, MB_OK | MB_ICONERROR);
    WriteTrace("\r\n CheckEngineLock = FALSE");
    return FALSE;
  }
  if (CheckEngineDamage()) WriteTrace("\r\n CheckEngineDamage = FALSE");
  return TRUE;
}

BOOL EngineChecker::GetCommonFilesDir() {
  return TryReadRegistryText(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "CommonFilesDir",
                             commonFilesDir);
}

CString EngineChecker::GetSystemDir() {
  char buffer[MAX_PATH + 1] = {};
  const UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
  // 0 is a failure; a length beyond the buffer is the size it would need.
  if (length == 0 || length >= MAX_PATH) return CString();
  return CString(buffer, length);
}

BOOL EngineChecker::RepairDlls() {
  BOOL allRan = TRUE;
  for (const char* registration : kRegistrations) {
    if (!ShellLaunch(regsvr32Path, registration, false, true)) allRan = FALSE;
  }
  return allRan;
}

BOOL EngineChecker::CheckEngineLock() {
  BOOL locked = FALSE;
  for (const CString& file : engineFiles) {
    if (!FileExists(file)) continue;
    if (!OpenForReading(file, FILE_SHARE_READ).IsValid()) locked = TRUE;
  }
  return locked;
}

BOOL EngineChecker::CheckEngineDamage() {
  BOOL damaged = FALSE;
  for (int i = 0; i < kEngineFileCount; ++i) {
    if (i == kKernelIndex) continue;
    LARGE_INTEGER size = {};
    {
      const ScopedFileHandle file = OpenForReading(engineFiles[i], 0);
      if (!file.IsValid() || !GetFileSizeEx(file.get(), &size)) continue;
    }
    if (size.QuadPart != kExpectedSizes[i] && !DeleteFileA(engineFiles[i])) damaged = TRUE;
  }
  return damaged;
}

void EngineChecker::WriteTrace(CString message) {
  if (traceEnabled != 1 || traceDialogPtr == nullptr) return;
  traceDialogPtr->AppendLine(message);
}
