// End-to-end scenarios of the install decision: the real setup.exe on a medium folder, with
// installation records written per scenario, programs of the suite running as stubs, and
// the boxes answered by the UI robot. One scenario per branch of the decision.
#include "launcher_scenario.h"

#include <tlhelp32.h>

#include <algorithm>

namespace {

constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kAppDefaults[] = "Software\\Wine\\AppDefaults\\setup.exe";
constexpr char kLogFolder[] =
    "C:\\Program Files\\InstallShield Installation Information\\{902CCC39-02E3-4814-AF71-C25E6C685CB2}";

// Every text of the language file set apart, so each box shows where its text came from.
const char kTexts[] =
    "[ENG]\r\nError=Err-T\r\nWarning=Warn-T\r\nHint=Hint-T\r\nPrivilege=Priv-T\r\n"
    "ExistQmoPro=Running-T\r\nExistFileConvert=Convert-T\r\nExistVerNum=ExistVer-T\r\n"
    "InsVerNum=InsVer-T\r\nQmoName=Name-T\r\nMsg00=Found %p; %p again\r\nMsg01=Delete-T\r\n"
    "Msg02=Newest-T\r\nMsg03=Ask-T\r\nMsg04=Old %p\r\nMsg05=Old2-T\r\n";

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Makes every folder on the way to `path` (a folder).
void MakeFolders(const std::string& path) {
  for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1)) {
    CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
  }
  CreateDirectoryA(path.c_str(), nullptr);
}

void PutFile(const std::string& path, const std::string& bytes) {
  MakeFolders(path.substr(0, path.rfind('\\')));
  std::ofstream(path, std::ios::binary) << bytes;
}

// "name|command line" of each stub log line (process id and folder left off).
std::vector<std::string> NamesAndCommandLines(const std::vector<std::string>& lines) {
  std::vector<std::string> result;
  for (const std::string& line : lines) {
    const std::size_t folder = line.rfind('|');
    result.push_back(line.substr(0, line.rfind('|', folder - 1)));
  }
  return result;
}

DWORD ProcessIdOf(const std::string& logLine) {
  const std::size_t folder = logLine.rfind('|');
  const std::size_t pid = logLine.rfind('|', folder - 1) + 1;
  return static_cast<DWORD>(std::stoul(logLine.substr(pid, folder - pid)));
}

// Wine shows a program started with an empty command line its own quoted path.
bool IsInstallerLine(const std::string& line, const std::string& installer) {
  return line == "QINS.exe|" || line == "QINS.exe|\"" + installer + "\"";
}

class PreInstallScenario : public LauncherScenario {
 protected:
  void SetUp() override {
    LauncherScenario::SetUp();
    WriteLanguageFile(kTexts);
    suite_ = medium_ + "\\Installed Suite";
    old_ = medium_ + "\\Older Product";
  }

  void TearDown() override {
    for (const auto& process : running_) {
      TerminateProcess(process.second, 0);
      WaitForSingleObject(process.second, 5000);
      CloseHandle(process.second);
    }
    for (DWORD pid : extraProcesses_) {
      HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
      if (process == nullptr) continue;
      TerminateProcess(process, 0);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    }
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "halvicor");
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "kestrune");
    if (logWritten_) {
      DeleteFileA((std::string(kLogFolder) + "\\setup.ilg").c_str());
      RemoveDirectoryA(kLogFolder);
    }
    for (const auto& saved : shellFolders_) RestoreShellFolder(saved.first, saved.second);
    RegDeleteKeyA(HKEY_CURRENT_USER, kAppDefaults);
    if (startToken_ != nullptr) CloseHandle(startToken_);
    LauncherScenario::TearDown();
  }

  static void SetClassesValue(const char* key, const char* name, const std::string& text) {
    HKEY handle = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &handle, nullptr));
    RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(handle);
  }

  // The current suite installed in suite_ with `version` ("" leaves the record out).
  void InstallSuite(const std::string& version, const std::string& caption = "Suite 6") {
    PutFile(suite_ + "\\Vanu_Duvude.jar", "jar");
    if (!caption.empty()) PutFile(suite_ + "\\Config\\InstallInfo.ini", "[property]\r\nfull_caption=" + caption + "\r\n");
    SetClassesValue("halvicor", "install_dir", suite_);
    if (!version.empty()) SetClassesValue("halvicor", "vanu_version", version);
  }

  void OfferVersion(const std::string& version) {
    PutFile(medium_ + "\\InstallInfo.ini", "[property]\r\nversion_code=" + version + "\r\n");
  }

  // The earlier product installed in old_ with its removal program; "" leaves the caption out.
  void InstallEarlierProduct(const std::string& caption, bool withRemovalProgram = true) {
    PutFile(old_ + "\\VIVarara.ese", "ese");
    if (!caption.empty()) PutFile(old_ + "\\Config\\InstallInfo.ini", "[property]\r\nfull_caption=" + caption + "\r\n");
    if (withRemovalProgram) PutStub(old_ + "\\System\\autouninstall.exe");
    SetClassesValue("kestrune", "install_dir", old_);
  }

  void WriteInstallLog(std::size_t bytes) {
    PutFile(std::string(kLogFolder) + "\\setup.ilg", std::string(bytes, 'L'));
    logWritten_ = true;
  }

  void PutStub(const std::string& path) {
    MakeFolders(path.substr(0, path.rfind('\\')));
    ASSERT_TRUE(CopyFileA((OwnFolder() + "\\program_stub.exe").c_str(), path.c_str(), FALSE)) << path;
  }

  // A program of that file name runs (a silent stub) until the scenario ends.
  void StartRunning(const std::string& name) {
    const std::string folder = medium_ + "\\running";
    const std::string program = folder + "\\" + name;
    PutStub(program);
    SetEnvironmentVariableA("VANU_STUB_LOG", nullptr);
    SetEnvironmentVariableA("VANU_STUB_SLEEP_MS", "120000");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + program + "\"";
    const BOOL created = CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                                        nullptr, folder.c_str(), &startup, &process);
    SetEnvironmentVariableA("VANU_STUB_LOG", log_.c_str());
    SetEnvironmentVariableA("VANU_STUB_SLEEP_MS", nullptr);
    ASSERT_TRUE(created) << program;
    CloseHandle(process.hThread);
    running_.push_back({name, process.hProcess});
    ASSERT_TRUE(WaitUntilListed(name)) << name;
  }

  void StopRunning() {
    for (const auto& process : running_) {
      TerminateProcess(process.second, 0);
      WaitForSingleObject(process.second, 5000);
      CloseHandle(process.second);
    }
    running_.clear();
  }

  // True once a process of that executable name shows in a process snapshot (at most 5 s).
  static bool WaitUntilListed(const std::string& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
      PROCESSENTRY32 entry = {};
      entry.dwSize = sizeof entry;
      bool found = false;
      for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry)) {
        found = _stricmp(entry.szExeFile, name.c_str()) == 0;
      }
      CloseHandle(snapshot);
      if (found) return true;
      Sleep(50);
    }
    return false;
  }

  // Points a Shell Folders value at `path` for this scenario; the old value comes back after.
  void SetShellFolder(const char* name, const std::string& path) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    char old[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    const bool had = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
    shellFolders_.push_back({name, had ? std::string(old) : std::string("\x01")});
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>(path.size() + 1));
    RegCloseKey(key);
  }

  static void RestoreShellFolder(const std::string& name, const std::string& old) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    if (old == "\x01") {
      RegDeleteValueA(key, name.c_str());
    } else {
      RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(old.c_str()),
                     static_cast<DWORD>(old.size() + 1));
    }
    RegCloseKey(key);
  }

  // Wine reports this Windows version to every program named setup.exe.
  static void ReportWindowsVersion(const char* version) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kAppDefaults, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   static_cast<DWORD>(std::strlen(version) + 1));
    RegCloseKey(key);
  }

  // A copy of this process's token that keeps only its first `keep` privileges.
  static HANDLE TokenWithPrivileges(DWORD keep) {
    HANDLE own = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &own)) return nullptr;
    DWORD size = 0;
    GetTokenInformation(own, TokenPrivileges, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    HANDLE restricted = nullptr;
    if (GetTokenInformation(own, TokenPrivileges, buffer.data(), size, &size)) {
      auto* list = reinterpret_cast<TOKEN_PRIVILEGES*>(buffer.data());
      if (list->PrivilegeCount >= keep) {
        CreateRestrictedToken(own, 0, 0, nullptr, list->PrivilegeCount - keep, list->Privileges + keep, 0,
                              nullptr, &restricted);
      }
    }
    CloseHandle(own);
    return restricted;
  }

  // The run's boxes as "caption|text|buttons|icon".
  static std::vector<std::string> Boxes(const RunResult& run) {
    std::vector<std::string> boxes;
    for (const Box& box : run.boxes) boxes.push_back(box.caption + "|" + box.text + "|" + box.buttons + "|" + box.icon);
    return boxes;
  }

  void ExpectOnlyInstaller(const RunResult& run) {
    ASSERT_EQ(1u, run.started.size()) << ::testing::PrintToString(run.started);
    EXPECT_TRUE(IsInstallerLine(NamesAndCommandLines(run.started)[0], InstallerPath())) << run.started[0];
  }

  std::string suite_, old_;
  std::vector<std::pair<std::string, HANDLE>> running_;
  std::vector<DWORD> extraProcesses_;
  std::vector<std::pair<std::string, std::string>> shellFolders_;
  bool logWritten_ = false;
};

using Lines = std::vector<std::string>;

TEST_F(PreInstallScenario, NoRecordsStartsTheInstallerAndMakesTheTempFolder) {
  const std::string localSettings = medium_ + "\\profile\\Local Settings";
  MakeFolders(localSettings);
  SetShellFolder("Local Settings", localSettings);
  const RunResult run = Start("-show");
  EXPECT_EQ(0u, run.exitCode);
  ASSERT_EQ(1u, run.boxes.size());
  EXPECT_EQ("close debug window", run.boxes[0].text);
  EXPECT_NE(std::string::npos, run.boxes[0].traceText.find("\r\n NeedStartQMO = Start\r\n Start QMO setup = "))
      << run.boxes[0].traceText;
  EXPECT_EQ(std::string::npos, run.boxes[0].traceText.find("NeedUnInstall"));
  ExpectOnlyInstaller(run);
  EXPECT_TRUE(GetFileAttributesA((localSettings + "\\Temp").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(Exists(localSettings + "\\Temp"));
}

TEST_F(PreInstallScenario, TokenWithTenPrivilegesIsRefused) {
  startToken_ = TokenWithPrivileges(10);
  ASSERT_NE(nullptr, startToken_);
  InstallSuite("6.1.0312.100ZH");  // never looked at
  const RunResult run = Start("");
  EXPECT_EQ(0u, run.exitCode);
  EXPECT_EQ((Lines{"Err-T|Priv-T|OK|error"}), Boxes(run));
  EXPECT_TRUE(run.started.empty());
}

TEST_F(PreInstallScenario, TokensWithSixteenOrMorePrivilegesPass) {
  // 16 is the least that passes; Wine's administrator token holds more than 20 in all.
  for (const DWORD count : {16u, 21u}) {
    SCOPED_TRACE(count);
    DeleteFileA(log_.c_str());
    if (startToken_ != nullptr) CloseHandle(startToken_);
    startToken_ = TokenWithPrivileges(count);
    ASSERT_NE(nullptr, startToken_);
    const RunResult run = Start("");
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(run.boxes.empty()) << ::testing::PrintToString(Boxes(run));
    ExpectOnlyInstaller(run);
  }
}

TEST_F(PreInstallScenario, RunningSuiteProgramStopsTheLauncher) {
  const struct {
    const char* name;
    const char* box;
  } rows[] = {
      {"Vanu_Duvude.exe", "Warn-T|Running-T|OK|warning"}, {"Vanu_calc.exe", "Warn-T|Running-T|OK|warning"},
      {"Vanu_impress.exe", "Warn-T|Running-T|OK|warning"}, {"Vanu_writer.exe", "Warn-T|Running-T|OK|warning"},
      {"Vanu_pdf.exe", "Warn-T|Running-T|OK|warning"},
      {"Vanu_Convert.exe", "Warn-T|Convert-T|OK|warning"},
      // The scanner matches without regard to case.
      {"VANU_CALC.EXE", "Warn-T|Running-T|OK|warning"},
  };
  InstallEarlierProduct("VIVarara 2010");  // not looked at while the suite runs
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    DeleteFileA(log_.c_str());
    StartRunning(row.name);
    const RunResult run = Start("");
    StopRunning();
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ((Lines{row.box}), Boxes(run));
    EXPECT_TRUE(run.started.empty());
  }
}

TEST_F(PreInstallScenario, EarlierProduct2010AnsweredYesRunsItsRemovalCopyThenTheInstaller) {
  InstallEarlierProduct("VIVarara 2010");
  InstallSuite("6.1.0312.100ZH");  // with the earlier product present, never looked at
  OfferVersion("6.1.0400.100EN");
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string copy = std::string(temp) + "\\autouninstall.exe";
  DeleteFileA(copy.c_str());
  AnswerBoxesWith({IDYES});
  const RunResult run = Start("");
  EXPECT_EQ(0u, run.exitCode);
  EXPECT_EQ((Lines{"Hint-T|Found VIVarara 2010; VIVarara 2010 again\nAsk-T|&Yes,&No|warning"}), Boxes(run));
  const Lines started = NamesAndCommandLines(run.started);
  ASSERT_EQ(2u, started.size()) << ::testing::PrintToString(run.started);
  // The copy in the temporary folder runs, without parameters, and has ended before the installer.
  EXPECT_EQ(0u, started[0].find("autouninstall.exe|")) << started[0];
  EXPECT_NE(std::string::npos, started[0].find(temp)) << started[0];
  EXPECT_EQ(std::string::npos, started[0].find(old_)) << started[0];
  EXPECT_TRUE(IsInstallerLine(started[1], InstallerPath())) << started[1];
  EXPECT_TRUE(Exists(copy));
  DeleteFileA(copy.c_str());
}

TEST_F(PreInstallScenario, EarlierProductRemovalThatCannotStartStillStartsTheInstaller) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string copy = std::string(temp) + "\\autouninstall.exe";
  const struct {
    const char* name;
    const char* removalProgram;  // nullptr: none in the System folder
  } rows[] = {
      // The copy is made but is no program: the shell cannot start it.
      {"not a program", "plain text"},
      // Nothing to copy: whatever an earlier run left in the temporary folder is not run.
      {"missing", nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    DeleteFileA(log_.c_str());
    RemoveTree(old_);
    InstallEarlierProduct("VIVarara 2010", false);
    if (row.removalProgram != nullptr) {
      PutFile(old_ + "\\System\\autouninstall.exe", row.removalProgram);
      DeleteFileA(copy.c_str());
    } else {
      // A stale copy, a real program, lies in the temporary folder.
      ASSERT_TRUE(CopyFileA((OwnFolder() + "\\program_stub.exe").c_str(), copy.c_str(), FALSE));
    }
    AnswerBoxesWith({IDYES, IDOK});
    const RunResult run = Start("");
    EXPECT_EQ(0u, run.exitCode);
    ASSERT_EQ(2u, run.boxes.size()) << ::testing::PrintToString(Boxes(run));
    EXPECT_EQ("Hint-T|Found VIVarara 2010; VIVarara 2010 again\nAsk-T|&Yes,&No|warning", Boxes(run)[0]);
    EXPECT_EQ("error|shell execute failed!|OK|error", Boxes(run)[1]);
    ExpectOnlyInstaller(run);
    DeleteFileA(copy.c_str());
  }
}

TEST_F(PreInstallScenario, EarlierProduct2010AnsweredNoStartsNothing) {
  InstallEarlierProduct("VIVarara 2010");
  AnswerBoxesWith({IDNO});
  const RunResult run = Start("");
  EXPECT_EQ(0u, run.exitCode);
  EXPECT_EQ((Lines{"Hint-T|Found VIVarara 2010; VIVarara 2010 again\nAsk-T|&Yes,&No|warning"}), Boxes(run));
  EXPECT_TRUE(run.started.empty());
}

TEST_F(PreInstallScenario, EarlierProductProgramsRunning) {
  InstallEarlierProduct("VIVarara 2010");
  const struct {
    const char* name;
    const char* box;
  } rows[] = {{"VIVarara.exe", "Warn-T|Running-T|OK|warning"}, {"QMOFileConvert.exe", "Warn-T|Convert-T|OK|warning"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    StartRunning(row.name);
    const RunResult run = Start("");
    StopRunning();
    EXPECT_EQ((Lines{row.box}), Boxes(run));
    EXPECT_TRUE(run.started.empty());
  }
}

TEST_F(PreInstallScenario, EarlierProductOfAnotherYearGetsTheNotice) {
  const struct {
    const char* name;
    const char* languageFile;
    std::string caption;
    const char* box;
  } rows[] = {
      {"2008", kTexts, "VIVarara 2008", "Hint-T|Old VIVarara 2008\nOld2-T|OK|warning"},
      {"no caption", kTexts, "", "Hint-T|Old Name-T\nOld2-T|OK|warning"},
      // The built-in notice texts are empty: only the line feed between them shows.
      {"built-in texts", kEnglishFile, "VIVarara 2008", "Hint|\n|OK|warning"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    DeleteFileA(log_.c_str());
    RemoveTree(old_);
    WriteLanguageFile(row.languageFile);
    InstallEarlierProduct(row.caption);
    const RunResult run = Start("");
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ((Lines{row.box}), Boxes(run));
    EXPECT_TRUE(run.started.empty());
  }
}

TEST_F(PreInstallScenario, InstalledSuiteVersions) {
  const std::string reinstall = "Hint-T|Found Suite 6; Suite 6 again\nDelete-T|OK|warning";
  const struct {
    const char* name;
    std::string installed, offered;  // "": the record is left out
    std::size_t logBytes;            // 0: no installer engine log
    bool starts;
    Lines boxes;
  } rows[] = {
      {"missing installed version", "", "6.1.0312.100ZH", 0, false, {"Err-T|ExistVer-T|OK|error"}},
      {"installed version of 13 characters", "6.1.0312.13ZH", "", 0, true, {}},
      {"missing offered version", "6.1.0312.100ZH", "", 0, false, {"Err-T|InsVer-T|OK|error"}},
      {"same version in other case, intact log", "6.1.0312.100zh", "6.1.0312.100ZH", 400000, true, {}},
      {"same version, log too small", "6.1.0312.100ZH", "6.1.0312.100ZH", 307199, false, {reinstall}},
      {"same version, no log", "6.1.0312.100ZH", "6.1.0312.100ZH", 0, false, {reinstall}},
      {"offered version with two dots", "6.1.0312.100ZH", "6.1.0400", 0, false,
       {"Error|Parse version number error! \nThe install program will soon exit.|OK|error"}},
      {"different codes", "6.1.0312.100ZH", "6.1.0400.100EN", 0, false, {reinstall}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    DeleteFileA(log_.c_str());
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "halvicor");
    DeleteFileA((medium_ + "\\InstallInfo.ini").c_str());
    DeleteFileA((std::string(kLogFolder) + "\\setup.ilg").c_str());
    InstallSuite(row.installed);
    if (!row.offered.empty()) OfferVersion(row.offered);
    if (row.logBytes != 0) WriteInstallLog(row.logBytes);
    const RunResult run = Start("");
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ(row.boxes, Boxes(run));
    if (row.starts) {
      ExpectOnlyInstaller(run);
    } else {
      EXPECT_TRUE(run.started.empty()) << ::testing::PrintToString(run.started);
    }
  }
}

TEST_F(PreInstallScenario, ComparisonIsTracedOnlyWhenTheCodesAreCompared) {
  InstallSuite("6.1.0312.100ZH");
  OfferVersion("6.1.0400.100zh");
  const RunResult run = Start("-show");
  ASSERT_EQ(1u, run.boxes.size());
  EXPECT_NE(std::string::npos,
            run.boxes[0].traceText.find("\r\n NeedStartQMO = Start\r\n NeedUnInstall = Start\r\n Start QMO setup = "))
      << run.boxes[0].traceText;
  ExpectOnlyInstaller(run);  // equal codes, no System ini files
}

TEST_F(PreInstallScenario, Version131IsRemovedSilentlyOnYes) {
  for (const int answer : {IDYES, IDNO}) {
    SCOPED_TRACE(answer);
    DeleteFileA(log_.c_str());
    InstallSuite("6.1.0312.131ZH");
    OfferVersion("6.1.0400.100ZH");
    PutStub(suite_ + "\\uninst.exe");
    AnswerBoxesWith({answer});
    SetEnvironmentVariableA("VANU_STUB_SLEEP_MS", "500");  // the launcher waits for it
    const RunResult run = Start("");
    SetEnvironmentVariableA("VANU_STUB_SLEEP_MS", nullptr);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ((Lines{"Hint-T|Found Suite 6; Suite 6 again\nAsk-T|&Yes,&No|warning"}), Boxes(run));
    const Lines started = NamesAndCommandLines(run.started);
    if (answer == IDNO) {
      EXPECT_TRUE(started.empty());
      EXPECT_TRUE(Exists(suite_ + "\\uninst.exe"));
      continue;
    }
    ASSERT_EQ(2u, started.size()) << ::testing::PrintToString(run.started);
    EXPECT_EQ(0u, started[0].find("uninst.exe|")) << started[0];
    EXPECT_EQ(started[0].size() - 3, started[0].rfind(" /S")) << started[0];
    EXPECT_TRUE(IsInstallerLine(started[1], InstallerPath())) << started[1];
    EXPECT_FALSE(Exists(suite_ + "\\uninst.exe"));  // waited for, then deleted
  }
}

TEST_F(PreInstallScenario, EqualCodesWithSystemFilesOfferTheMediumsRemoval) {
  const struct {
    const char* name;
    int answer;
    const char* leftRunning;  // what the removal program leaves running, or nullptr
    bool starts;
  } rows[] = {
      {"Yes", IDYES, nullptr, true},
      {"No", IDNO, nullptr, false},
      {"suite still runs", IDYES, "Vanu_Duvude.exe", false},
      {"converter still runs", IDYES, "Vanu_Convert.exe", false},
  };
  InstallSuite("6.1.0312.100ZH");
  OfferVersion("6.1.0400.100zh");
  PutFile(suite_ + "\\System\\VanuFile.ini", "");
  PutFile(suite_ + "\\System\\VanuReg.ini", "");
  PutStub(medium_ + "\\autouninstall.exe");
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    DeleteFileA(log_.c_str());
    if (row.leftRunning != nullptr) {
      const std::string program = medium_ + "\\left\\" + row.leftRunning;
      PutStub(program);
      SetEnvironmentVariableA("VANU_STUB_SPAWN", ("autouninstall.exe|" + program + "|20000").c_str());
    }
    AnswerBoxesWith({row.answer});
    const RunResult run = Start("");
    SetEnvironmentVariableA("VANU_STUB_SPAWN", nullptr);
    for (const std::string& line : run.started) {
      if (line.find(row.leftRunning != nullptr ? row.leftRunning : "?") == 0) extraProcesses_.push_back(ProcessIdOf(line));
    }
    EXPECT_EQ(0u, run.exitCode);
    // No box after the removal, whatever still runs.
    EXPECT_EQ((Lines{"Hint-T|Found Suite 6; Suite 6 again\nAsk-T|&Yes,&No|warning"}), Boxes(run));
    Lines started = NamesAndCommandLines(run.started);
    if (row.answer == IDNO) {
      EXPECT_TRUE(started.empty());
      continue;
    }
    ASSERT_FALSE(started.empty());
    EXPECT_EQ("autouninstall.exe|\"" + medium_ + "\\autouninstall.exe\"", started[0]);
    const bool installer = std::any_of(started.begin(), started.end(), [&](const std::string& line) {
      return IsInstallerLine(line, InstallerPath());
    });
    EXPECT_EQ(row.starts, installer) << ::testing::PrintToString(run.started);
    for (DWORD pid : extraProcesses_) {
      HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
      if (process != nullptr) TerminateProcess(process, 0), WaitForSingleObject(process, 5000), CloseHandle(process);
    }
    extraProcesses_.clear();
  }
}

// Damaged or hostile record files: the launcher never crashes, never starts a wrong program
// and always ends with exit code 0.
TEST_F(PreInstallScenario, OddLanguageFiles) {
  const std::string longLine(20 * 1024 * 1024, 'x');
  std::string binary;
  for (int i = 0; i < 64 * 1024; ++i) binary += static_cast<char>((i * 7 + i / 256) & 0xFF);
  const std::string builtIn = "Error|That installed version of Vanu Duvude is not avalaible at this time!|OK|error";
  const struct {
    const char* name;
    std::string file;
    const char* box;
  } rows[] = {
      // The text after a 20 MB line is still found.
      {"20 MB line", "[ENG]\r\nMsg05=" + longLine + "\r\nExistVerNum=Late-T\r\n", "Error|Late-T|OK|error"},
      {"20 MB without a line end", longLine, builtIn.c_str()},
      {"binary", binary, builtIn.c_str()},
      // A byte-order mark is not white space: the first header is lost.
      {"byte-order mark", "\xEF\xBB\xBF[ENG]\r\nExistVerNum=Bom-T\r\n", builtIn.c_str()},
  };
  InstallSuite("");  // installed, without a version: the version error shows the text in use
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    WriteLanguageFile(row.file);
    const RunResult run = Start("");
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ((Lines{row.box}), Boxes(run));
    EXPECT_TRUE(run.started.empty()) << ::testing::PrintToString(run.started);
  }
}

TEST_F(PreInstallScenario, OddInstallInfoFiles) {
  const std::string longLine(20 * 1024 * 1024, 'v');
  std::string binary;
  for (int i = 0; i < 64 * 1024; ++i) binary += static_cast<char>((i * 13 + i / 256) & 0xFF);
  const std::string different = "Hint-T|Found Suite 6; Suite 6 again\nDelete-T|OK|warning";
  const struct {
    const char* name;
    std::string offeredFile;  // the medium's InstallInfo.ini
    std::string captionFile;  // the installed suite's Config\InstallInfo.ini
    const char* box;
  } rows[] = {
      {"20 MB line before the version", "[property]\r\nnote=" + longLine + "\r\nversion_code=6.1.0400.100EN\r\n",
       "[property]\r\nfull_caption=Suite 6\r\n", different.c_str()},
      {"20 MB version", "[property]\r\nversion_code=" + longLine + "\r\n", "[property]\r\nfull_caption=Suite 6\r\n",
       "Error|Parse version number error! \nThe install program will soon exit.|OK|error"},
      {"binary", binary, "[property]\r\nfull_caption=Suite 6\r\n", "Err-T|InsVer-T|OK|error"},
      {"byte-order mark", "\xEF\xBB\xBF[property]\r\nversion_code=6.1.0400.100EN\r\n",
       "[property]\r\nfull_caption=Suite 6\r\n", "Err-T|InsVer-T|OK|error"},
      // An unreadable caption gives way to the product's display name.
      {"binary caption file", "[property]\r\nversion_code=6.1.0400.100EN\r\n", binary,
       "Hint-T|Found Name-T; Name-T again\nDelete-T|OK|warning"},
      {"caption file with a byte-order mark", "[property]\r\nversion_code=6.1.0400.100EN\r\n",
       "\xEF\xBB\xBF[property]\r\nfull_caption=Suite 6\r\n", "Hint-T|Found Name-T; Name-T again\nDelete-T|OK|warning"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    RemoveTree(suite_);
    InstallSuite("6.1.0312.100ZH", "");
    PutFile(suite_ + "\\Config\\InstallInfo.ini", row.captionFile);
    PutFile(medium_ + "\\InstallInfo.ini", row.offeredFile);
    const RunResult run = Start("");
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ((Lines{row.box}), Boxes(run));
    EXPECT_TRUE(run.started.empty()) << ::testing::PrintToString(run.started);
  }
}

TEST_F(PreInstallScenario, RegistryRecordsLongerThanTheirBufferCountAsAbsent) {
  const struct {
    const char* name;
    const char* key;
    const char* value;
    bool starts;
    Lines boxes;
  } rows[] = {
      // No install folder: a fresh installation.
      {"install folder", "halvicor", "install_dir", true, {}},
      {"installed version", "halvicor", "vanu_version", false, {"Err-T|ExistVer-T|OK|error"}},
      // No earlier product: the current suite decides (equal codes, no System files).
      {"earlier install folder", "kestrune", "install_dir", true, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    DeleteFileA(log_.c_str());
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "halvicor");
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "kestrune");
    InstallSuite("6.1.0312.100ZH");
    OfferVersion("6.1.0400.100ZH");
    PutFile(old_ + "\\VIVarara.ese", "ese");  // would count, were the record read
    // 260 bytes and more never fit the buffer with their zero byte.
    SetClassesValue(row.key, row.value, std::string(300, 'd'));
    const RunResult run = Start("");
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ(row.boxes, Boxes(run));
    if (row.starts) {
      ExpectOnlyInstaller(run);
    } else {
      EXPECT_TRUE(run.started.empty()) << ::testing::PrintToString(run.started);
    }
  }
}

TEST_F(PreInstallScenario, MediumPathWithBlanksAndCodePageCharacters) {
  // A folder name in the system's ANSI code page, taken from wide text so that it holds
  // characters outside ASCII; the conversion must be lossless.
  const wchar_t wide[] = L"Medium \u00e9\u00f1\u00fc \u00df";
  char name[64] = {};
  BOOL lossy = FALSE;
  ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, wide, -1, name, sizeof name, nullptr, &lossy), 0);
  ASSERT_FALSE(lossy) << "code page " << GetACP();
  const std::string outer = medium_;
  const std::string medium = outer + "\\" + name;
  ASSERT_TRUE(CreateDirectoryA(medium.c_str(), nullptr));
  for (const char* file : {"\\setup.exe", "\\QINS.exe", "\\SetupLan.ini"}) {
    ASSERT_TRUE(CopyFileA((outer + file).c_str(), (medium + file).c_str(), FALSE)) << file;
  }
  PutStub(medium + "\\autouninstall.exe");
  // Equal codes with the System files: the medium's removal program, then the installer.
  InstallSuite("6.1.0312.100ZH");
  PutFile(suite_ + "\\System\\VanuFile.ini", "");
  PutFile(suite_ + "\\System\\VanuReg.ini", "");
  medium_ = medium;
  OfferVersion("6.1.0400.100zh");
  AnswerBoxesWith({IDYES});
  const RunResult run = Start("-show");
  medium_ = outer;
  EXPECT_EQ(0u, run.exitCode);
  ASSERT_EQ(2u, run.boxes.size()) << ::testing::PrintToString(Boxes(run));
  EXPECT_EQ("Hint-T|Found Suite 6; Suite 6 again\nAsk-T|&Yes,&No|warning", Boxes(run)[0]);
  EXPECT_EQ("close debug window", run.boxes[1].text);
  EXPECT_NE(std::string::npos, run.boxes[1].traceText.find("Start QMO setup = " + medium + "\\QINS.exe"));
  const Lines started = NamesAndCommandLines(run.started);
  ASSERT_EQ(2u, started.size()) << ::testing::PrintToString(run.started);
  EXPECT_EQ("autouninstall.exe|\"" + medium + "\\autouninstall.exe\"", started[0]);
  EXPECT_TRUE(IsInstallerLine(started[1], medium + "\\QINS.exe")) << started[1];
}

// Wine reports Windows 98 or 95 to setup.exe through its per-program Version value: no rights
// test, the Temp folder beside Application Data, and the installer started through the
// shell without waiting and without the completion pipe.
TEST_F(PreInstallScenario, NineXPlatformsSkipTheRightsTestAndDoNotWait) {
  for (const char* version : {"win98", "win95"}) {
    SCOPED_TRACE(version);
    DeleteFileA(log_.c_str());
    ReportWindowsVersion(version);
    const std::string profile = medium_ + "\\profile-" + version;
    const std::string localSettings = profile + "\\Local Settings";
    MakeFolders(profile + "\\Application Data");
    MakeFolders(localSettings);
    SetShellFolder("AppData", profile + "\\Application Data");
    SetShellFolder("Local Settings", localSettings);
    // A token that the rights test would refuse, and an installer that would report completion.
    if (startToken_ != nullptr) CloseHandle(startToken_);
    startToken_ = TokenWithPrivileges(10);
    ASSERT_NE(nullptr, startToken_);
    const InstalledSuite followUp(medium_ + "\\Follow-up Suite");
    PutFile(medium_ + "\\Follow-up Suite\\Vanu_Duvude.ese", "ese");  // installed, without a version
    SetEnvironmentVariableA("VANU_STUB_SEND", "08000000434F5059454E4400");
    SetEnvironmentVariableA("VANU_STUB_SLEEP_MS", "4000");
    const RunResult run = Start("");
    SetEnvironmentVariableA("VANU_STUB_SEND", "none");
    SetEnvironmentVariableA("VANU_STUB_SLEEP_MS", nullptr);
    EXPECT_EQ(0u, run.exitCode);
    // With the suite installed but no version recorded, the version error shows: the rights
    // test let the token through.
    EXPECT_EQ((Lines{"Err-T|ExistVer-T|OK|error"}), Boxes(run));
    EXPECT_TRUE(run.started.empty());
    EXPECT_TRUE(Exists(profile + "\\Temp"));
    EXPECT_FALSE(Exists(localSettings + "\\Temp"));
    DeleteFileA((medium_ + "\\Follow-up Suite\\Vanu_Duvude.ese").c_str());

    // No suite: the installer starts through the shell and the launcher does not wait for it.
    DeleteFileA(log_.c_str());
    SetEnvironmentVariableA("VANU_STUB_SEND", "08000000434F5059454E4400");
    SetEnvironmentVariableA("VANU_STUB_SLEEP_MS", "4000");
    const RunResult plain = Start("");
    SetEnvironmentVariableA("VANU_STUB_SEND", "none");
    SetEnvironmentVariableA("VANU_STUB_SLEEP_MS", nullptr);
    EXPECT_TRUE(plain.boxes.empty());
    ASSERT_EQ(1u, plain.started.size()) << ::testing::PrintToString(plain.started);
    EXPECT_EQ(0u, plain.started[0].find("QINS.exe|"));
    HANDLE installer = OpenProcess(SYNCHRONIZE, FALSE, ProcessIdOf(plain.started[0]));
    ASSERT_NE(nullptr, installer);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(installer, 0)) << "setup.exe waited";
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(installer, 15000));
    CloseHandle(installer);
    Sleep(300);
    EXPECT_EQ(1u, StartedPrograms().size()) << "a follow-up program started";  // no pipe served
    RegDeleteKeyA(HKEY_CURRENT_USER, kAppDefaults);
  }
}

}  // namespace
