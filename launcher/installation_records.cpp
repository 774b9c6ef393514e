// The records that tell the launcher what is installed: registry values left by the suite's
// installer, files whose presence or size counts, and the InstallInfo.ini files. Everything
// is read afresh on every call and only read.
#include <windows.h>

#include "file_exists.h"
#include "ini_file_reader.h"
#include "registry_record.h"
#include "scoped_handle.h"
#include "setup_app.h"

namespace {

constexpr char kEarlierProductKey[] = "kestrune";
constexpr char kSuiteKey[] = "halvicor";
constexpr char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr char kInstallInfoFile[] = "\\InstallInfo.ini";
constexpr char kInstallLogPath[] =
    "\\InstallShield Installation Information\\{902CCC39-02E3-4814-AF71-C25E6C685CB2}\\setup.ilg";
constexpr ULONGLONG kIntactLogSize = 307200;

// The value of `key` in section "property" of an InstallInfo.ini, or empty when the file
// is absent or has no such value.
CString ReadProperty(const CString& iniPath, const char* key) {
  if (!FileExists(iniPath)) return CString();
  IniFileReader reader(iniPath);
  return reader.GetValue("property", key, "");
}

// TRUE when `folder` is not empty and folder + `first` or folder + `second` is present.
BOOL EitherPresent(const CString& folder, const char* first, const char* second) {
  if (folder.IsEmpty()) return FALSE;
  return FileExists(folder + first) || FileExists(folder + second);
}

}  // namespace

CString SetupApp::GetOldInstallDir() {
  return ReadRegistryText(HKEY_CLASSES_ROOT, kEarlierProductKey, "install_dir");
}

CString SetupApp::GetInstallDir() {
  return ReadRegistryText(HKEY_CLASSES_ROOT, kSuiteKey, "install_dir");
}

CString SetupApp::GetInstalledVersion() {
  return ReadRegistryText(HKEY_CLASSES_ROOT, kSuiteKey, "vanu_version");
}

CString SetupApp::GetProgramFilesDir() {
  return ReadRegistryText(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir");
}

CString SetupApp::GetOfferedVersion() {
  return ReadProperty(moduleDir + kInstallInfoFile, "version_code");
}

CString SetupApp::GetProductCaption(const CString& folder, const CString& defaultText) {
  const CString caption = ReadProperty(folder + "\\Config" + kInstallInfoFile, "full_caption");
  return caption.IsEmpty() ? defaultText : caption;
}

BOOL SetupApp::IsProductInstalled() {
  return EitherPresent(GetInstallDir(), "\\Vanu_Duvude.jar", "\\Vanu_Duvude.ese");
}

BOOL SetupApp::IsOldProductInstalled() {
  return EitherPresent(GetOldInstallDir(), "\\VIVarara.jar", "\\VIVarara.ese");
}

BOOL SetupApp::HasSystemIniFiles() {
  const CString folder = GetInstallDir();
  if (folder.IsEmpty()) return FALSE;
  return FileExists(folder + "\\System\\VanuFile.ini") && FileExists(folder + "\\System\\VanuReg.ini");
}

BOOL SetupApp::IsInstallLogIntact() {
  const CString log = GetProgramFilesDir() + kInstallLogPath;
  if (!FileExists(log)) return FALSE;
  // A log that is present but cannot be opened (another program holds it, or it may not
  // be read) counts as not intact.
  const ScopedFileHandle file = OpenForReading(log, 0);
  if (!file.IsValid()) return FALSE;
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file.get(), &size)) return FALSE;
  return static_cast<ULONGLONG>(size.QuadPart) >= kIntactLogSize;
}
