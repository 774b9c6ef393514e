// The install decision: whether the installer may start, given what is installed, what runs
// and what the user answers. The sequence is written against PreInstallEnvironment, which
// gathers the facts and carries out the effects (boxes, copies, program runs), so that every
// branch can be walked with a fake; SetupApp supplies the real environment.
#pragma once

#include <cstdint>

#include "framework/cstring.h"
#include "version_numbers.h"

// Message-box styles and the one answer that the checks tell apart (the Windows values).
constexpr unsigned kErrorBoxStyle = 0x10;     // MB_OK | MB_ICONERROR
constexpr unsigned kWarningBoxStyle = 0x30;   // MB_OK | MB_ICONWARNING
constexpr unsigned kQuestionBoxStyle = 0x34;  // MB_YESNO | MB_ICONWARNING
constexpr int kAnswerNo = 7;                  // IDNO; every other answer counts as Yes

// The one fixed English message of the checks (the offered version does not parse).
constexpr const char kParseErrorText[] =
    "Parse version number error! \nThe install program will soon exit.";

// The privilege class of a token holding `count` privileges: -1 below 4, 0 for 4 to 15,
// 2 for 16 to 20, 3 above 20.
int PrivilegeClassFromCount(std::uint32_t count);

// Whether the user may install: always off the NT family (platform class not 0); on it,
// unless the privilege class is 0 (an ordinary user's token).
bool InstallRightsFor(int platformClass, int privilegeClass);

// The texts the checks show, bound to the object that holds them, so that the "%p"
// replacement in Msg00 and Msg04 is made in the holder itself.
struct PreInstallTexts {
  CString& Error;
  CString& Warning;
  CString& Hint;
  CString& Privilege;
  CString& ExistQmoPro;
  CString& ExistFileConvert;
  CString& ExistVerNum;
  CString& InsVerNum;
  CString& QmoName;
  CString& Msg00;
  CString& Msg01;
  CString& Msg02;
  CString& Msg03;
  CString& Msg04;
  CString& Msg05;
};

// The facts the decision reads and the effects it asks for. Records are read afresh on
// every call; an absent record is the empty text or false.
class PreInstallEnvironment {
 public:
  virtual ~PreInstallEnvironment() = default;

  virtual void WriteTrace(const CString& line) = 0;
  virtual int PlatformClass() = 0;
  virtual bool HasInstallRights() = 0;
  virtual void EnsureLocalSettingsTemp() = 0;
  virtual void EnsureAppDataTemp() = 0;
  virtual bool IsProcessRunning(const CString& name) = 0;

  virtual CString SetupFolder() = 0;  // the launcher's folder, empty when unknown
  virtual CString GetOldInstallDir() = 0;
  virtual CString GetInstallDir() = 0;
  virtual CString GetInstalledVersion() = 0;
  virtual CString GetOfferedVersion() = 0;
  virtual CString GetProductCaption(const CString& folder, const CString& defaultText) = 0;
  virtual bool IsProductInstalled() = 0;
  virtual bool IsOldProductInstalled() = 0;
  virtual bool HasSystemIniFiles() = 0;
  virtual bool IsInstallLogIntact() = 0;

  // Shows a box without owner and returns the answer.
  virtual int ShowBox(const CString& text, const CString& caption, unsigned style) = 0;
  // Starts a program through the shell (see ShellLaunch); the result is never examined here.
  virtual void ShellLaunch(const CString& program, const CString& parameters, bool showErrors,
                           bool wait) = 0;
  // The user's temporary folder as the system gives it (usually with a trailing backslash);
  // empty when the system gives none that fits 260 bytes.
  virtual CString TempPath() = 0;
  // Copies a file, replacing the target; true on success.
  virtual bool CopyFileReplacing(const CString& from, const CString& to) = 0;
  virtual void RemoveFile(const CString& path) = 0;
  // Compares the codes of two parsed versions: 2 equal, 3 different (0 and 1 are provided
  // for: go on, and "the newest version is already installed").
  virtual int NeedUnInstall(const VersionRecord& offered, const VersionRecord& installed) = 0;
};

// The whole sequence of checks: true when the installer is to be started, false when the
// launcher must stop (the user has been told wherever a message is due). May replace "%p"
// in texts.Msg00 / texts.Msg04 by the product caption.
bool DecideNeedStartQMO(PreInstallEnvironment& env, const PreInstallTexts& texts);
