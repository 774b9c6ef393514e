// The pre-installation checks: the rights test, the comparison of the two versions' codes,
// and SetupApp as the environment of the install decision (pre_install_decision.h).
#include <windows.h>

#include "message_box.h"
#include "pre_install_decision.h"
#include "privilege_class.h"
#include "program_launch.h"
#include "setup_app.h"
#include "temp_folder.h"
#include "version_numbers.h"

// The decision names the box styles and the No answer without the Windows headers.
static_assert(kErrorBoxStyle == (MB_OK | MB_ICONERROR), "error box");
static_assert(kWarningBoxStyle == (MB_OK | MB_ICONWARNING), "warning box");
static_assert(kQuestionBoxStyle == (MB_YESNO | MB_ICONWARNING), "question box");
static_assert(kAnswerNo == IDNO, "the No answer");

BOOL SetupApp::HasInstallRights() {
  const int platformClass = GetPlatformClass();
  if (platformClass != 0) return TRUE;  // no token to test off the NT family
  return InstallRightsFor(platformClass, GetPrivilegeClass()) ? TRUE : FALSE;
}

int SetupApp::NeedUnInstall(const VersionRecord& offered, const VersionRecord& installed) {
  WriteTrace("NeedUnInstall = Start");
  return CompareVersionCodes(offered, installed);
}

namespace {

// The real machine behind the install decision: SetupApp's records and trace window, and
// the system's boxes, folders, files and programs.
class SetupEnvironment : public PreInstallEnvironment {
 public:
  explicit SetupEnvironment(SetupApp& app) : app_(app) {}

  void WriteTrace(const CString& line) override { app_.WriteTrace(line); }
  int PlatformClass() override { return GetPlatformClass(); }
  bool HasInstallRights() override { return app_.HasInstallRights() != FALSE; }
  void EnsureLocalSettingsTemp() override { ::EnsureLocalSettingsTemp(); }
  void EnsureAppDataTemp() override { ::EnsureAppDataTemp(); }
  bool IsProcessRunning(const CString& name) override { return app_.IsProcessRunning(name) != FALSE; }
  CString SetupFolder() override { return app_.moduleDir; }
  CString GetOldInstallDir() override { return app_.GetOldInstallDir(); }
  CString GetInstallDir() override { return app_.GetInstallDir(); }
  CString GetInstalledVersion() override { return app_.GetInstalledVersion(); }
  CString GetOfferedVersion() override { return app_.GetOfferedVersion(); }
  CString GetProductCaption(const CString& folder, const CString& defaultText) override {
    return app_.GetProductCaption(folder, defaultText);
  }
  bool IsProductInstalled() override { return app_.IsProductInstalled() != FALSE; }
  bool IsOldProductInstalled() override { return app_.IsOldProductInstalled() != FALSE; }
  bool HasSystemIniFiles() override { return app_.HasSystemIniFiles() != FALSE; }
  bool IsInstallLogIntact() override { return app_.IsInstallLogIntact() != FALSE; }
  int ShowBox(const CString& text, const CString& caption, unsigned style) override {
    return ShowMessageBox(text, caption, style);
  }
  void ShellLaunch(const CString& program, const CString& parameters, bool showErrors,
                   bool wait) override {
    ::ShellLaunch(program, parameters, showErrors, wait);
  }
  CString TempPath() override {
    char buffer[MAX_PATH + 1] = {};  // 260 bytes for the path, one zero byte to spare
    const DWORD length = GetTempPathA(MAX_PATH, buffer);
    if (length == 0 || length >= MAX_PATH) return CString();  // failed, or did not fit
    return CString(buffer, length);
  }
  bool CopyFileReplacing(const CString& from, const CString& to) override {
    return CopyFileA(from, to, FALSE) != FALSE;
  }
  void RemoveFile(const CString& path) override { ::DeleteFileA(path); }
  int NeedUnInstall(const VersionRecord& offered, const VersionRecord& installed) override {
    return app_.NeedUnInstall(offered, installed);
  }

 private:
  SetupApp& app_;
};

}  // namespace

BOOL SetupApp::NeedStartQMO() {
  LanguageRes* texts = languageRes;
  if (texts == nullptr) {
    WriteTrace("NeedStartQMO = Start");
    return FALSE;  // the main sequence always builds the texts first
  }
  // The texts stay in the language object, where "%p" is replaced for any later use.
  const PreInstallTexts bound{texts->Error,       texts->Warning,          texts->Hint,
                              texts->Privilege,   texts->ExistQmoPro,      texts->ExistFileConvert,
                              texts->ExistVerNum, texts->InsVerNum,        texts->QmoName,
                              texts->Msg00,       texts->Msg01,            texts->Msg02,
                              texts->Msg03,       texts->Msg04,            texts->Msg05};
  SetupEnvironment environment(*this);
  return DecideNeedStartQMO(environment, bound) ? TRUE : FALSE;
}
