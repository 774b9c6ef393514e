#include "pre_install_decision.h"

namespace {

// The suite's programs, in the order they are looked for; the file converter comes after.
const char* const kSuitePrograms[] = {"Vanu_Duvude.exe", "Vanu_calc.exe", "Vanu_impress.exe",
                                      "Vanu_writer.exe", "Vanu_pdf.exe"};
constexpr const char kSuiteConverter[] = "Vanu_Convert.exe";
constexpr const char kEarlierProgram[] = "VIVarara.exe";
constexpr const char kEarlierConverter[] = "QMOFileConvert";

CString Lines(const CString& first, const CString& second) { return first + "\n" + second; }

// The sequence, with the texts and the environment at hand.
class Checks {
 public:
  Checks(PreInstallEnvironment& env, const PreInstallTexts& texts) : env_(env), t_(texts) {}

  bool Run() {
    env_.WriteTrace("NeedStartQMO = Start");
    if (!env_.HasInstallRights()) return Stop(t_.Privilege, t_.Error, kErrorBoxStyle);

    const bool ntFamily = env_.PlatformClass() == 0;
    if (ntFamily) {
      env_.EnsureLocalSettingsTemp();
    } else {
      env_.EnsureAppDataTemp();
    }

    for (const char* program : kSuitePrograms) {
      if (env_.IsProcessRunning(program)) return Stop(t_.ExistQmoPro, t_.Warning, kWarningBoxStyle);
    }
    if (env_.IsProcessRunning(kSuiteConverter)) {
      return Stop(t_.ExistFileConvert, t_.Warning, kWarningBoxStyle);
    }

    if (env_.IsOldProductInstalled()) return EarlierProduct();
    if (!env_.IsProductInstalled()) return true;  // a fresh installation
    return CurrentSuite();
  }

 private:
  // An installed product of the older generation: only its own removal is offered.
  bool EarlierProduct() {
    const CString folder = env_.GetOldInstallDir();
    const CString caption = env_.GetProductCaption(folder, t_.QmoName);
    if (caption.Find("2010") < 0) {
      t_.Msg04.Replace("%p", caption);
      return Stop(Lines(t_.Msg04, t_.Msg05), t_.Hint, kWarningBoxStyle);
    }
    if (env_.IsProcessRunning(kEarlierProgram)) return Stop(t_.ExistQmoPro, t_.Warning, kWarningBoxStyle);
    if (env_.IsProcessRunning(kEarlierConverter)) {
      return Stop(t_.ExistFileConvert, t_.Warning, kWarningBoxStyle);
    }

    // The removal program runs from a copy in the user's temporary folder. Without a
    // temporary folder, or when the copy fails, whatever lies at the target (a stale copy
    // from an earlier run, or a file at the drive root) is never run.
    const CString tempPath = env_.TempPath();
    const CString copy = tempPath + "\\autouninstall.exe";
    const bool copied = !folder.IsEmpty() && !tempPath.IsEmpty() &&
                        env_.CopyFileReplacing(folder + "\\System\\autouninstall.exe", copy);

    t_.Msg00.Replace("%p", caption);
    if (!Ask(Lines(t_.Msg00, t_.Msg03))) return false;
    if (copied) {
      env_.ShellLaunch(copy, "", true, true);
    } else {
      env_.ShowBox("shell execute failed!", "error", kErrorBoxStyle);
    }
    return true;
  }

  bool CurrentSuite() {
    const CString installed = env_.GetInstalledVersion();
    if (installed.IsEmpty()) return Stop(t_.ExistVerNum, t_.Error, kErrorBoxStyle);
    if (!IsVersionPlausible(installed)) return true;

    const CString offered = env_.GetOfferedVersion();
    if (offered.IsEmpty()) return Stop(t_.InsVerNum, t_.Error, kErrorBoxStyle);

    const CString folder = env_.GetInstallDir();
    t_.Msg00.Replace("%p", env_.GetProductCaption(folder, t_.QmoName));
    const CString deleteAndReinstall = Lines(t_.Msg00, t_.Msg01);

    if (installed.CompareNoCase(offered) == 0) {
      if (env_.IsInstallLogIntact()) return true;
      return Stop(deleteAndReinstall, t_.Hint, kWarningBoxStyle);
    }

    const VersionParser parser;
    VersionRecord offeredRecord;
    VersionRecord installedRecord;
    if (!parser.Parse(offered, offeredRecord)) return Stop(kParseErrorText, "Error", kErrorBoxStyle);
    if (!parser.Parse(installed, installedRecord)) {
      return Stop(deleteAndReinstall, t_.Hint, kWarningBoxStyle);
    }

    // Installations whose version carries "131" at its tenth character are removed
    // silently by their own removal program, which is deleted afterwards.
    if (installed.Mid(9, 3) == "131") {
      if (!Ask(Lines(t_.Msg00, t_.Msg03))) return false;
      if (!folder.IsEmpty()) {
        const CString removal = folder + "\\uninst.exe";
        env_.ShellLaunch(removal, "/S", true, true);
        env_.RemoveFile(removal);
      }
      return true;
    }

    switch (env_.NeedUnInstall(offeredRecord, installedRecord)) {
      case 0:
        return true;
      case 1:
        return Stop(Lines(t_.Msg02, t_.Msg01), t_.Hint, kWarningBoxStyle);
      case 2:
        return SameCode();
      default:
        return Stop(deleteAndReinstall, t_.Hint, kWarningBoxStyle);
    }
  }

  // Equal version codes: an installation with its system files is removed first by the
  // medium's removal program, if the user agrees and the suite has ended afterwards.
  bool SameCode() {
    if (!env_.HasSystemIniFiles()) return true;
    if (!Ask(Lines(t_.Msg00, t_.Msg03))) return false;
    const CString setupFolder = env_.SetupFolder();
    if (!setupFolder.IsEmpty()) env_.ShellLaunch(setupFolder + "\\autouninstall.exe", "", true, true);
    if (env_.IsProcessRunning(kSuitePrograms[0])) return false;
    if (env_.IsProcessRunning(kSuiteConverter)) return false;
    return true;
  }

  bool Stop(const CString& text, const CString& caption, unsigned style) {
    env_.ShowBox(text, caption, style);
    return false;
  }

  bool Ask(const CString& text) { return env_.ShowBox(text, t_.Hint, kQuestionBoxStyle) != kAnswerNo; }

  PreInstallEnvironment& env_;
  const PreInstallTexts& t_;
};

}  // namespace

int PrivilegeClassFromCount(std::uint32_t count) {
  if (count < 4) return -1;
  if (count <= 15) return 0;
  if (count <= 20) return 2;
  return 3;
}

bool InstallRightsFor(int platformClass, int privilegeClass) {
  return platformClass != 0 || privilegeClass != 0;
}

bool DecideNeedStartQMO(PreInstallEnvironment& env, const PreInstallTexts& texts) {
  return Checks(env, texts).Run();
}
