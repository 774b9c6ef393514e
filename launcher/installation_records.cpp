// The records that tell the launcher what is installed. Interim: only the install folder is
// read; every other record reads as absent until the probes are built.
#include <windows.h>

#include "registry_record.h"
#include "setup_app.h"

CString SetupApp::GetOldInstallDir() { return CString(); }

CString SetupApp::GetInstallDir() {
  return ReadRegistryText(HKEY_CLASSES_ROOT, "halvicor", "install_dir");
}

CString SetupApp::GetInstalledVersion() { return CString(); }
CString SetupApp::GetProgramFilesDir() { return CString(); }
CString SetupApp::GetOfferedVersion() { return CString(); }
CString SetupApp::GetProductCaption(const CString&, const CString& defaultText) { return defaultText; }
BOOL SetupApp::IsProductInstalled() { return FALSE; }
BOOL SetupApp::IsOldProductInstalled() { return FALSE; }
BOOL SetupApp::HasSystemIniFiles() { return FALSE; }
BOOL SetupApp::IsInstallLogIntact() { return FALSE; }
