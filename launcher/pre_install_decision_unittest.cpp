#include "pre_install_decision.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// Texts that name themselves, so a box shows which texts it was built from.
struct OwnedTexts {
  CString Error = "E", Warning = "W", Hint = "H", Privilege = "Privilege", ExistQmoPro = "ExistQmoPro",
          ExistFileConvert = "ExistFileConvert", ExistVerNum = "ExistVerNum", InsVerNum = "InsVerNum",
          QmoName = "QmoName", Msg00 = "Msg00 %p", Msg01 = "Msg01", Msg02 = "Msg02", Msg03 = "Msg03",
          Msg04 = "Msg04 %p", Msg05 = "Msg05";
  PreInstallTexts Bind() {
    return {Error, Warning, Hint,  Privilege, ExistQmoPro, ExistFileConvert, ExistVerNum, InsVerNum,
            QmoName, Msg00, Msg01, Msg02, Msg03, Msg04, Msg05};
  }
};

// A machine described by plain fields; every query and effect is logged as one line.
class FakeEnvironment : public PreInstallEnvironment {
 public:
  int platformClass = 0;
  bool rights = true;
  std::set<std::string> running;
  std::set<std::string> runningAfterRemoval;  // replaces `running` once a removal program ran
  std::string setupFolder = "M:";
  std::string oldInstallDir, installDir, installedVersion, offeredVersion;
  std::string oldCaption, caption;  // empty: the default text is the caption
  bool productPresent = false, oldProductPresent = false, systemIniFiles = false, logIntact = false;
  std::string tempPath = "T:\\tmp\\";
  bool copySucceeds = true;
  int needUnInstall = -1;  // -1: the real comparison of the codes
  std::vector<int> answers;  // for the boxes, in order; IDOK (1) beyond the list

  std::vector<std::string> log;    // effects: boxes, launches, copies, deletions, temp folders
  std::vector<std::string> asked;  // process names asked for
  int recordsRead = 0;

  void WriteTrace(const CString& line) override { log.push_back("trace " + line.str()); }
  int PlatformClass() override { return platformClass; }
  bool HasInstallRights() override { return rights; }
  void EnsureLocalSettingsTemp() override { log.push_back("temp LocalSettings"); }
  void EnsureAppDataTemp() override { log.push_back("temp AppData"); }
  bool IsProcessRunning(const CString& name) override {
    asked.push_back(name.str());
    return running.count(name.str()) != 0;
  }
  CString SetupFolder() override { return CString(setupFolder); }
  CString GetOldInstallDir() override { return Read(oldInstallDir); }
  CString GetInstallDir() override { return Read(installDir); }
  CString GetInstalledVersion() override { return Read(installedVersion); }
  CString GetOfferedVersion() override { return Read(offeredVersion); }
  CString GetProductCaption(const CString& folder, const CString& defaultText) override {
    ++recordsRead;
    const std::string& text = folder.str() == oldInstallDir && !oldInstallDir.empty() ? oldCaption : caption;
    return text.empty() ? defaultText : CString(text);
  }
  bool IsProductInstalled() override { return ++recordsRead, productPresent; }
  bool IsOldProductInstalled() override { return oldProductPresent; }
  bool HasSystemIniFiles() override { return ++recordsRead, systemIniFiles; }
  bool IsInstallLogIntact() override { return ++recordsRead, logIntact; }
  int ShowBox(const CString& text, const CString& caption_, unsigned style) override {
    log.push_back("box " + caption_.str() + "|" + text.str() + "|" + std::to_string(style));
    if (answers.empty()) return 1;
    const int answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
  void ShellLaunch(const CString& program, const CString& parameters, bool showErrors,
                   bool wait) override {
    log.push_back("run " + program.str() + "|" + parameters.str() + "|" + (showErrors ? "E" : "-") +
                  (wait ? "W" : "-"));
    running = runningAfterRemoval;
  }
  CString TempPath() override { return CString(tempPath); }
  bool CopyFileReplacing(const CString& from, const CString& to) override {
    log.push_back("copy " + from.str() + " > " + to.str());
    return copySucceeds;
  }
  void RemoveFile(const CString& path) override { log.push_back("delete " + path.str()); }
  int NeedUnInstall(const VersionRecord& offered, const VersionRecord& installed) override {
    log.push_back("compare " + offered.code.str() + "/" + installed.code.str());
    return needUnInstall >= 0 ? needUnInstall : CompareVersionCodes(offered, installed);
  }

 private:
  CString Read(const std::string& value) {
    ++recordsRead;
    return CString(value);
  }
};

using Log = std::vector<std::string>;
constexpr int kYes = 6;
constexpr int kNo = kAnswerNo;
const std::string kTrace = "trace NeedStartQMO = Start";
const std::string kNtTemp = "temp LocalSettings";

// A current suite of version 6.1.0312.131ZH-like form, installed in I:\Suite.
FakeEnvironment Installed(const std::string& installed, const std::string& offered) {
  FakeEnvironment env;
  env.productPresent = true;
  env.installDir = "I:\\Suite";
  env.caption = "Suite 6";
  env.installedVersion = installed;
  env.offeredVersion = offered;
  return env;
}

struct Outcome {
  bool start;
  Log log;
};

Outcome Decide(FakeEnvironment& env, OwnedTexts& texts) {
  const bool start = DecideNeedStartQMO(env, texts.Bind());
  return {start, env.log};
}

TEST(PrivilegeClass, FollowsTheNumberOfPrivileges) {
  const struct {
    std::uint32_t count;
    int expected;
  } rows[] = {{0, -1}, {3, -1}, {4, 0}, {10, 0}, {15, 0}, {16, 2}, {20, 2}, {21, 3}, {24, 3},
              {0xFFFFFFFFu, 3}};
  for (const auto& row : rows) EXPECT_EQ(row.expected, PrivilegeClassFromCount(row.count)) << row.count;
}

TEST(InstallRights, OnlyAnOrdinaryTokenOnTheNtFamilyFails) {
  for (int platform : {0, 1, 2, 3}) {
    for (int privilege : {-1, 0, 2, 3}) {
      const bool expected = !(platform == 0 && privilege == 0);
      EXPECT_EQ(expected, InstallRightsFor(platform, privilege)) << platform << " " << privilege;
    }
  }
}

TEST(NeedStartQMO, NoRecordsStartsTheInstallerSilently) {
  for (int platform : {0, 1, 2, 3}) {
    FakeEnvironment env;
    env.platformClass = platform;
    OwnedTexts texts;
    const Outcome got = Decide(env, texts);
    EXPECT_TRUE(got.start) << platform;
    // The NT family keeps its Temp folder in Local Settings, the others beside Application Data.
    EXPECT_EQ((Log{kTrace, platform == 0 ? kNtTemp : "temp AppData"}), got.log) << platform;
    EXPECT_EQ((std::vector<std::string>{"Vanu_Duvude.exe", "Vanu_calc.exe", "Vanu_impress.exe",
                                        "Vanu_writer.exe", "Vanu_pdf.exe", "Vanu_Convert.exe"}),
              env.asked);
  }
}

TEST(NeedStartQMO, MissingRightsStopBeforeAnythingElse) {
  FakeEnvironment env = Installed("6.1.0312.131ZH", "6.1.0400.100ZH");
  env.rights = false;
  env.running = {"Vanu_Duvude.exe"};
  OwnedTexts texts;
  const Outcome got = Decide(env, texts);
  EXPECT_FALSE(got.start);
  EXPECT_EQ((Log{kTrace, "box E|Privilege|16"}), got.log);
  EXPECT_TRUE(env.asked.empty());
  EXPECT_EQ(0, env.recordsRead);
}

TEST(NeedStartQMO, RunningSuiteProgramsStopWithAWarning) {
  const struct {
    std::set<std::string> running;
    const char* box;
  } rows[] = {
      {{"Vanu_Duvude.exe"}, "box W|ExistQmoPro|48"},
      {{"Vanu_calc.exe"}, "box W|ExistQmoPro|48"},
      {{"Vanu_impress.exe"}, "box W|ExistQmoPro|48"},
      {{"Vanu_writer.exe"}, "box W|ExistQmoPro|48"},
      {{"Vanu_pdf.exe"}, "box W|ExistQmoPro|48"},
      {{"Vanu_Convert.exe"}, "box W|ExistFileConvert|48"},
      // A suite program and the converter together: one box, about the program.
      {{"Vanu_pdf.exe", "Vanu_Convert.exe"}, "box W|ExistQmoPro|48"},
      // The earlier product's programs do not count here.
      {{"VIVarara.exe", "QMOFileConvert"}, nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(*row.running.begin());
    FakeEnvironment env = Installed("6.1.0312.100ZH", "6.1.0312.100ZH");
    env.oldProductPresent = true;  // never looked at while the suite runs
    env.oldInstallDir = "O:\\Old";
    env.oldCaption = "VIVarara 2008";
    env.running = row.running;
    OwnedTexts texts;
    const Outcome got = Decide(env, texts);
    if (row.box == nullptr) {
      EXPECT_EQ((Log{kTrace, kNtTemp, "box H|Msg04 VIVarara 2008\nMsg05|48"}), got.log);
      continue;
    }
    EXPECT_FALSE(got.start);
    EXPECT_EQ((Log{kTrace, kNtTemp, row.box}), got.log);
    EXPECT_EQ(0, env.recordsRead);
  }
}

TEST(NeedStartQMO, EarlierProductOffersOnlyItsOwnRemoval) {
  const std::string copy = "copy O:\\Old\\System\\autouninstall.exe > T:\\tmp\\\\autouninstall.exe";
  const std::string question = "box H|Msg00 VIVarara 2010\nMsg03|52";
  const std::string removal = "run T:\\tmp\\\\autouninstall.exe||EW";
  const struct {
    const char* name;
    std::string caption;  // "" : InstallInfo.ini gives none
    std::set<std::string> running;
    bool copySucceeds;
    std::string tempPath;
    std::vector<int> answers;
    bool start;
    Log effects;  // after the trace line and the Temp folder
  } rows[] = {
      {"2010, Yes", "VIVarara 2010", {}, true, "T:\\tmp\\", {kYes}, true, {copy, question, removal}},
      {"2010, No", "VIVarara 2010", {}, true, "T:\\tmp\\", {kNo}, false, {copy, question}},
      // Every answer but No counts as Yes.
      {"2010, OK", "VIVarara 2010", {}, true, "T:\\tmp\\", {1}, true, {copy, question, removal}},
      // A copy that failed never runs what lies at the target; the user sees the start fail.
      {"copy failed", "VIVarara 2010", {}, false, "T:\\tmp\\", {kYes}, true,
       {copy, question, "box error|shell execute failed!|16"}},
      {"no temporary folder", "VIVarara 2010", {}, true, "", {kYes}, true,
       {question, "box error|shell execute failed!|16"}},
      {"2008", "VIVarara 2008", {}, true, "T:\\tmp\\", {}, false, {"box H|Msg04 VIVarara 2008\nMsg05|48"}},
      {"no caption", "", {}, true, "T:\\tmp\\", {}, false, {"box H|Msg04 QmoName\nMsg05|48"}},
      // The test for "2010" is case-sensitive and exact.
      {"201O", "VIVarara 201O", {}, true, "T:\\tmp\\", {}, false, {"box H|Msg04 VIVarara 201O\nMsg05|48"}},
      {"VIVarara.exe runs", "VIVarara 2010", {"VIVarara.exe"}, true, "T:\\tmp\\", {}, false,
       {"box W|ExistQmoPro|48"}},
      {"QMOFileConvert runs", "VIVarara 2010", {"QMOFileConvert"}, true, "T:\\tmp\\", {}, false,
       {"box W|ExistFileConvert|48"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    // The current suite is installed too, and is never looked at.
    FakeEnvironment env = Installed("6.1.0312.131ZH", "6.1.0400.100ZH");
    env.oldProductPresent = true;
    env.oldInstallDir = "O:\\Old";
    env.oldCaption = row.caption;
    env.running = row.running;
    env.runningAfterRemoval = row.running;
    env.copySucceeds = row.copySucceeds;
    env.tempPath = row.tempPath;
    env.answers = row.answers;
    OwnedTexts texts;
    const Outcome got = Decide(env, texts);
    EXPECT_EQ(row.start, got.start);
    Log expected{kTrace, kNtTemp};
    expected.insert(expected.end(), row.effects.begin(), row.effects.end());
    EXPECT_EQ(expected, got.log);
  }
}

TEST(NeedStartQMO, EarlierProductWithBuiltInEmptyNoticeShowsOnlyALineFeed) {
  FakeEnvironment env;
  env.oldProductPresent = true;
  env.oldInstallDir = "O:\\Old";
  env.oldCaption = "VIVarara 2008";
  OwnedTexts texts;
  texts.Msg04 = "";
  texts.Msg05 = "";
  EXPECT_FALSE(Decide(env, texts).start);
  EXPECT_EQ((Log{kTrace, kNtTemp, "box H|\n|48"}), env.log);
}

// Rows over the current suite's versions and records. Caption "Suite 6" replaces "%p".
TEST(NeedStartQMO, InstalledSuiteDecidesByItsVersion) {
  const std::string question = "box H|Msg00 Suite 6\nMsg03|52";
  const std::string reinstall = "box H|Msg00 Suite 6\nMsg01|48";
  const std::string mediumRemoval = "run M:\\autouninstall.exe||EW";
  const struct {
    const char* name;
    std::string installed, offered;
    bool logIntact, systemIniFiles;
    std::set<std::string> runningAfterRemoval;
    std::vector<int> answers;
    int needUnInstall;  // -1: compare the codes
    bool start;
    Log effects;
  } rows[] = {
      {"missing installed version", "", "6.1.0312.100ZH", false, false, {}, {}, -1, false,
       {"box E|ExistVerNum|16"}},
      // Short or implausible installed versions let the installer run over them.
      {"13 characters", "6.1.0312.13ZH", "", false, false, {}, {}, -1, true, {}},
      {"no major digit", "7.1.0312.131ZH", "", false, false, {}, {}, -1, true, {}},
      {"missing offered version", "6.1.0312.100ZH", "", false, false, {}, {}, -1, false,
       {"box E|InsVerNum|16"}},
      {"same version, other case, log intact", "6.1.0312.100zh", "6.1.0312.100ZH", true, false, {}, {},
       -1, true, {}},
      {"same version, no log", "6.1.0312.100ZH", "6.1.0312.100ZH", false, false, {}, {}, -1, false,
       {reinstall}},
      {"offered version with two dots", "6.1.0312.100ZH", "6.1.0312", false, false, {}, {}, -1, false,
       {"box Error|Parse version number error! \nThe install program will soon exit.|16"}},
      // Plausible, yet with two dots only: it does not parse.
      {"installed version does not parse", "xx6.1.0312abcd", "6.1.0312.100ZH", false, false, {}, {},
       -1, false, {reinstall}},
      {"131, Yes", "6.1.0312.131ZH", "6.1.0400.100ZH", false, false, {}, {kYes}, -1, true,
       {question, "run I:\\Suite\\uninst.exe|/S|EW", "delete I:\\Suite\\uninst.exe"}},
      {"131, No", "6.1.0312.131ZH", "6.1.0400.100ZH", false, false, {}, {kNo}, -1, false, {question}},
      // "131" is looked for exactly at the tenth character.
      {"131 elsewhere", "6.1.0131.100ZH", "6.1.0400.100EN", false, false, {}, {}, -1, false,
       {"compare EN/ZH", reinstall}},
      {"equal codes, no system files", "6.1.0312.100ZH", "6.1.0400.100zh", false, false, {}, {}, -1,
       true, {"compare zh/ZH"}},
      {"equal codes, system files, Yes", "6.1.0312.100ZH", "6.1.0400.100ZH", false, true, {}, {kYes},
       -1, true, {"compare ZH/ZH", question, mediumRemoval}},
      {"equal codes, system files, No", "6.1.0312.100ZH", "6.1.0400.100ZH", false, true, {}, {kNo}, -1,
       false, {"compare ZH/ZH", question}},
      {"suite still runs after the removal", "6.1.0312.100ZH", "6.1.0400.100ZH", false, true,
       {"Vanu_Duvude.exe"}, {kYes}, -1, false, {"compare ZH/ZH", question, mediumRemoval}},
      {"converter still runs after the removal", "6.1.0312.100ZH", "6.1.0400.100ZH", false, true,
       {"Vanu_Convert.exe"}, {kYes}, -1, false, {"compare ZH/ZH", question, mediumRemoval}},
      // Only the two programs named are looked at after the removal.
      {"calc runs after the removal", "6.1.0312.100ZH", "6.1.0400.100ZH", false, true,
       {"Vanu_calc.exe"}, {kYes}, -1, true, {"compare ZH/ZH", question, mediumRemoval}},
      {"different codes", "6.1.0312.100ZH", "6.1.0400.100EN", false, true, {}, {}, -1, false,
       {"compare EN/ZH", reinstall}},
      // Results that the code comparison never gives, handled all the same.
      {"comparison says go on", "6.1.0312.100ZH", "6.1.0400.100EN", false, true, {}, {}, 0, true,
       {"compare EN/ZH"}},
      {"comparison says newest installed", "6.1.0312.100ZH", "6.1.0400.100EN", false, true, {}, {}, 1,
       false, {"compare EN/ZH", "box H|Msg02\nMsg01|48"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeEnvironment env = Installed(row.installed, row.offered);
    env.logIntact = row.logIntact;
    env.systemIniFiles = row.systemIniFiles;
    env.runningAfterRemoval = row.runningAfterRemoval;
    env.answers = row.answers;
    env.needUnInstall = row.needUnInstall;
    OwnedTexts texts;
    const Outcome got = Decide(env, texts);
    EXPECT_EQ(row.start, got.start);
    Log expected{kTrace, kNtTemp};
    expected.insert(expected.end(), row.effects.begin(), row.effects.end());
    EXPECT_EQ(expected, got.log);
  }
}

TEST(NeedStartQMO, PlaceholderIsReplacedInTheTextHolder) {
  FakeEnvironment env = Installed("6.1.0312.100ZH", "6.1.0312.100ZH");
  env.caption = "";  // no caption: the product's display name stands in
  OwnedTexts texts;
  texts.Msg00 = "%p here, %p there, 100%";
  texts.QmoName = "Vanu Duvude";
  EXPECT_FALSE(Decide(env, texts).start);
  EXPECT_EQ("box H|Vanu Duvude here, Vanu Duvude there, 100%\nMsg01|48", env.log.back());
  EXPECT_EQ(std::string("Vanu Duvude here, Vanu Duvude there, 100%"), texts.Msg00.str());
  EXPECT_EQ(std::string("Msg04 %p"), texts.Msg04.str());  // the other notice is not touched
}

TEST(NeedStartQMO, NoFolderNeverRunsAProgramAtTheDriveRoot) {
  FakeEnvironment env = Installed("6.1.0312.100ZH", "6.1.0400.100ZH");
  env.systemIniFiles = true;
  env.setupFolder = "";
  env.answers = {kYes};
  OwnedTexts texts;
  EXPECT_TRUE(Decide(env, texts).start);
  for (const std::string& line : env.log) EXPECT_NE(0u, line.find("run ")) << line;
}

}  // namespace
