// End-to-end scenarios of the installer-engine check: the four registration runs, the lock
// box, the deletion of engine files of the wrong size, and the trace text of each case. The
// engine folder of every scenario is a fresh one below its medium, pointed to by the
// CommonFilesDir value for the scenario's life.
#include "launcher_scenario.h"

namespace {

constexpr char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr char kLockText[] =
    "The install program has detected that the install engine document is locked, \n"
    "please restart computer and reinstall.";

class EngineScenario : public LauncherScenario {
 protected:
  void SetUp() override {
    LauncherScenario::SetUp();
    if (HasFatalFailure()) return;
    commonFiles_ = medium_ + "\\Common Files";
    engine_ = commonFiles_ + "\\InstallShield\\Engine\\6\\Intel 32";
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersionKey, 0,
                                           KEY_ALL_ACCESS, &key_));
    char previous[MAX_PATH] = {};
    DWORD size = sizeof previous;
    hadValue_ = RegQueryValueExA(key_, "CommonFilesDir", nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(previous), &size) == ERROR_SUCCESS;
    if (hadValue_) previous_.assign(previous, strnlen(previous, sizeof previous));
    SetCommonFilesDir(commonFiles_);
    WriteLanguageFile(kEnglishFile);
  }
  void TearDown() override {
    if (key_ != nullptr) {
      if (hadValue_) {
        SetCommonFilesDir(previous_);
      } else {
        RegDeleteValueA(key_, "CommonFilesDir");
      }
      RegCloseKey(key_);
    }
    LauncherScenario::TearDown();
  }

  void SetCommonFilesDir(const std::string& folder) {
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key_, "CommonFilesDir", 0, REG_SZ,
                                            reinterpret_cast<const BYTE*>(folder.c_str()),
                                            static_cast<DWORD>(folder.size() + 1)));
  }

  // Makes the engine folder and writes `name` into it with `size` bytes.
  std::string WriteEngineFile(const std::string& name, std::size_t size) {
    for (const std::string& folder :
         {commonFiles_, commonFiles_ + "\\InstallShield", commonFiles_ + "\\InstallShield\\Engine",
          commonFiles_ + "\\InstallShield\\Engine\\6", engine_}) {
      CreateDirectoryA(folder.c_str(), nullptr);
    }
    const std::string path = engine_ + "\\" + name;
    std::ofstream(path, std::ios::binary) << std::string(size, 'e');
    return path;
  }

  static bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  // The command-line arguments of the registration runs, in the order they ran.
  std::vector<std::string> RegistrationArguments() const {
    std::vector<std::string> arguments;
    const std::string program = "\"" + Regsvr32StandIn::SystemFolder() + "\\regsvr32.exe\"";
    for (const std::string& line : RegistrationRuns()) {
      if (line.compare(0, 4, "end|") == 0) continue;
      const std::size_t bar = line.find('|');
      const std::string commandLine = line.substr(bar + 1, line.find('|', bar + 1) - bar - 1);
      arguments.push_back(commandLine.compare(0, program.size(), program) == 0
                              ? commandLine.substr(program.size())
                              : "unexpected program: " + commandLine);
    }
    return arguments;
  }

  // The trace text of a run that passes the engine check with `engineLines` written by the
  // checker, up to the "close debug window" box.
  std::string TraceBeforeTheInstaller(const std::string& engineLines) const {
    return "\r\n checker.Init() = TRUE" + engineLines +
           "\r\n checker.CheckEngine() = TRUE\r\n CreateLanguageRes = TRUE"
           "\r\n NeedStartQMO = Start\r\n Start QMO setup = " + InstallerPath();
  }

  std::string commonFiles_, engine_, previous_;
  bool hadValue_ = false;
  HKEY key_ = nullptr;
};

// Another process that holds a file open (the windowed program stub in its holding mode)
// until the object goes.
class HeldFile {
 public:
  enum Mode { kWriting, kReading };
  HeldFile(const std::string& path, Mode mode) {
    const std::string program = OwnFolder() + "\\windowed_stub.exe";
    std::string commandLine = "\"" + program + "\"";
    SetEnvironmentVariableA("VANU_STUB_HOLD", ((mode == kWriting ? "w:" : "r:") + path).c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                              nullptr, nullptr, &startup, &process_) != 0;
    SetEnvironmentVariableA("VANU_STUB_HOLD", nullptr);
    // Held once an exclusive open is refused; the holder needs a moment to start.
    for (int attempt = 0; started_ && !held_ && attempt < 250; ++attempt) {
      const HANDLE probe = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr);
      if (probe == INVALID_HANDLE_VALUE) {
        held_ = GetLastError() == ERROR_SHARING_VIOLATION;
      } else {
        CloseHandle(probe);
      }
      if (!held_) Sleep(20);
    }
  }
  ~HeldFile() {
    if (!started_) return;
    TerminateProcess(process_.hProcess, 0);
    WaitForSingleObject(process_.hProcess, 10000);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  bool IsHeld() const { return held_; }

 private:
  PROCESS_INFORMATION process_ = {};
  bool started_ = false;
  bool held_ = false;
};

const std::vector<std::string> kFourRegistrations = {
    " /s oleaut32.dll", " /s shdocvw.dll", " /s actxprxy.dll", " /s urlmon.dll"};

TEST_F(EngineScenario, NoEngineFolderStillRegistersTheFourLibrariesAndGoesOn) {
  // Each stand-in run lasts a while and logs its end: the runs must not overlap.
  SetEnvironmentVariableA("VANU_STUB_REGSVR32_SLEEP_MS", "150");
  const RunResult run = Start("-show");
  SetEnvironmentVariableA("VANU_STUB_REGSVR32_SLEEP_MS", nullptr);
  EXPECT_EQ(0u, run.exitCode);
  EXPECT_EQ(kFourRegistrations, RegistrationArguments());
  const std::vector<std::string> lines = RegistrationRuns();
  ASSERT_EQ(8u, lines.size());
  for (std::size_t i = 0; i < lines.size(); i += 2) {
    const std::string pid = lines[i].substr(0, lines[i].rfind('|'));
    EXPECT_EQ("end|" + pid.substr(pid.rfind('|') + 1), lines[i + 1]) << "run " << i / 2;
  }
  ASSERT_EQ(1u, run.boxes.size());
  EXPECT_EQ("close debug window", run.boxes[0].text);
  EXPECT_EQ(TraceBeforeTheInstaller(""), run.boxes[0].traceText);
  ExpectInstallerStarted(run);
}

TEST_F(EngineScenario, UnreadableCommonFilesFolderSkipsTheWholeCheck) {
  const struct {
    const char* name;
    bool remove;
    std::string value;
  } rows[] = {
      {"value missing", true, ""},
      {"value longer than the buffer", false, std::string(300, 'x')},
      {"260 characters fill the buffer without a zero byte", false, std::string(260, 'y')},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    DeleteFileA(log_.c_str());
    DeleteFileA(registrationLog_.c_str());
    if (row.remove) {
      ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueA(key_, "CommonFilesDir"));
    } else {
      SetCommonFilesDir(row.value);
    }
    const RunResult run = Start("-show");
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(RegistrationRuns().empty());
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_EQ("\r\n GetCommonFilesDir = FALSE\r\n CreateLanguageRes = TRUE\r\n NeedStartQMO = Start"
              "\r\n Start QMO setup = " + InstallerPath(),
              run.boxes[0].traceText);
    ExpectInstallerStarted(run);
  }
}

TEST_F(EngineScenario, LockedEngineFilesGiveOneBoxAndStop) {
  const struct {
    const char* name;
    std::vector<std::string> held;
  } rows[] = {
      {"IKernel.exe held for writing by another process", {"IKernel.exe"}},
      {"two locked files", {"IKernel.exe", "objectps.dll"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    DeleteFileA(log_.c_str());
    std::vector<std::unique_ptr<HeldFile>> holders;
    for (const std::string& name : row.held) {
      holders.push_back(std::make_unique<HeldFile>(WriteEngineFile(name, 10), HeldFile::kWriting));
      ASSERT_TRUE(holders.back()->IsHeld()) << name;
    }
    const RunResult run = Start("-show");
    holders.clear();
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ(kFourRegistrations, RegistrationArguments());
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_EQ(kLockText, run.boxes[0].text);
    EXPECT_EQ("error", run.boxes[0].caption);
    EXPECT_EQ("OK", run.boxes[0].buttons);
    // The lock line follows the box; the box shows what came before it.
    EXPECT_EQ("\r\n checker.Init() = TRUE", run.boxes[0].traceText);
    EXPECT_TRUE(run.started.empty());
    for (const std::string& name : row.held) EXPECT_TRUE(Exists(engine_ + "\\" + name)) << name;
    DeleteFileA(registrationLog_.c_str());
  }
}

TEST_F(EngineScenario, WrongSizedEngineFilesAreDeletedAndTheRunGoesOn) {
  const struct {
    const char* name;
    std::size_t size;
    bool kept;
  } rows[] = {
      {"corecomp.ini", 28529, true},
      {"ctor.dll", 77824 + 1, false},  // one byte too long
      {"IKernel.exe", 5, true},        // no size test
      {"iuser.dll", 176128, true},
      {"objectps.dll", 0, false},
  };
  for (const auto& row : rows) WriteEngineFile(row.name, row.size);
  const RunResult run = Start("-show");
  EXPECT_EQ(0u, run.exitCode);
  for (const auto& row : rows) EXPECT_EQ(row.kept, Exists(engine_ + "\\" + row.name)) << row.name;
  ASSERT_EQ(1u, run.boxes.size());
  EXPECT_EQ(TraceBeforeTheInstaller(""), run.boxes[0].traceText);
  ExpectInstallerStarted(run);
}

TEST_F(EngineScenario, FailedDeletionIsTracedAndTheRunGoesOn) {
  // A read-only file opens for reading but cannot be deleted.
  const std::string ctor = WriteEngineFile("ctor.dll", 77824 + 1);
  ASSERT_TRUE(SetFileAttributesA(ctor.c_str(), FILE_ATTRIBUTE_READONLY));
  const RunResult run = Start("-show");
  EXPECT_EQ(0u, run.exitCode);
  EXPECT_TRUE(Exists(ctor));
  ASSERT_EQ(1u, run.boxes.size());
  EXPECT_EQ(TraceBeforeTheInstaller("\r\n \r\n CheckEngineDamage = FALSE"), run.boxes[0].traceText);
  ExpectInstallerStarted(run);
}

TEST_F(EngineScenario, EngineFileReadElsewhereIsNeitherLockedNorDeleted) {
  const std::string corecomp = WriteEngineFile("corecomp.ini", 3);
  const HeldFile reader(corecomp, HeldFile::kReading);
  ASSERT_TRUE(reader.IsHeld());
  const RunResult run = Start("-show");
  EXPECT_EQ(0u, run.exitCode);
  EXPECT_TRUE(Exists(corecomp));
  ASSERT_EQ(1u, run.boxes.size());
  EXPECT_EQ(TraceBeforeTheInstaller(""), run.boxes[0].traceText);
  ExpectInstallerStarted(run);
}

TEST_F(EngineScenario, RegistrationThatCannotStartIsTracedAndTheRunGoesOn) {
  // Not a program: the shell cannot start it.
  const std::string notAProgram = medium_ + "\\not-a-program.exe";
  std::ofstream(notAProgram, std::ios::binary) << "this is no program";
  regsvr32_.reset();
  regsvr32_ = std::make_unique<Regsvr32StandIn>(registrationLog_, notAProgram);
  ASSERT_TRUE(regsvr32_->Installed());
  const RunResult run = Start("-show");
  EXPECT_EQ(0u, run.exitCode);
  ASSERT_EQ(1u, run.boxes.size());
  EXPECT_EQ("close debug window", run.boxes[0].text);
  EXPECT_EQ(TraceBeforeTheInstaller("\r\n \r\n RepairDlls = FALSE"), run.boxes[0].traceText);
  ExpectInstallerStarted(run);
}

TEST_F(EngineScenario, OutsideTraceModeTheEngineCheckShowsNothing) {
  WriteEngineFile("ctor.dll", 1);
  const RunResult run = Start("");
  EXPECT_EQ(0u, run.exitCode);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(kFourRegistrations, RegistrationArguments());
  EXPECT_FALSE(Exists(engine_ + "\\ctor.dll"));
  ExpectInstallerStarted(run);
}

}  // namespace
