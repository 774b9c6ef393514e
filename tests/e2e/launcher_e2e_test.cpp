// End-to-end scenarios of the launcher's start-up: the single-instance lock, trace mode, the
// language file and the completion pipe.
#include "launcher_scenario.h"

namespace {

TEST_F(LauncherScenario, PlainRunStartsTheInstallerSilently) {
  WriteLanguageFile(kEnglishFile);
  const RunResult run = Start("");
  EXPECT_EQ(0u, run.exitCode);
  EXPECT_TRUE(run.boxes.empty());
  ExpectInstallerStarted(run);
}

TEST_F(LauncherScenario, HeldMutexesStopTheLauncherSilently) {
  WriteLanguageFile(kEnglishFile);
  for (const char* name : {"QMOSetup", "QMOKernel"}) {
    SCOPED_TRACE(name);
    HANDLE held = CreateMutexA(nullptr, FALSE, name);
    ASSERT_NE(nullptr, held);
    const RunResult run = Start("-show");
    CloseHandle(held);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_TRUE(run.started.empty());
  }
}

TEST_F(LauncherScenario, MissingLanguageFileShowsOneBoxThenGoesOn) {
  const RunResult run = Start("");
  EXPECT_EQ(0u, run.exitCode);
  ASSERT_EQ(1u, run.boxes.size());
  EXPECT_EQ("No SetupLan.ini !", run.boxes[0].text);
  EXPECT_EQ("Error", run.boxes[0].caption);
  EXPECT_EQ("OK", run.boxes[0].buttons);
  ExpectInstallerStarted(run);
}

TEST_F(LauncherScenario, TraceModeShowsTheLogUntilTheCloseBox) {
  WriteLanguageFile(kEnglishFile);
  const struct {
    const char* tail;
    bool trace;
  } rows[] = {{"-show", true}, {"-SHOW", true}, {"-show x", false}, {"/show", false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.tail);
    DeleteFileA(log_.c_str());
    const RunResult run = Start(row.tail);
    EXPECT_EQ(0u, run.exitCode);
    ExpectInstallerStarted(run);
    if (!row.trace) {
      EXPECT_TRUE(run.boxes.empty());
      continue;
    }
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_EQ("close debug window", run.boxes[0].text);
    EXPECT_EQ("", run.boxes[0].caption);
    EXPECT_EQ("OK", run.boxes[0].buttons);
    EXPECT_EQ("\r\n checker.Init() = TRUE\r\n checker.CheckEngine() = TRUE"
              "\r\n CreateLanguageRes = TRUE\r\n NeedStartQMO = Start\r\n Start QMO setup = " +
                  InstallerPath(),
              run.boxes[0].traceText);
  }
}

TEST_F(LauncherScenario, CompletionMessageStartsTheFollowUpProgram) {
  WriteLanguageFile(kEnglishFile);
  const InstalledSuite suite(medium_ + "\\Installed Suite");
  const struct {
    const char* name;
    const char* send;
    bool followUp;
  } rows[] = {
      {"well-formed", "08000000434F5059454E4400", true},
      {"lower case", "08000000636F7079656E6400", true},
      {"a blank before the zero byte", "09000000434F5059454E442000", false},
      {"no client", "none", false},
      {"N of 0", "00000000", false},
      {"no zero byte", "07000000434F5059454E44", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    DeleteFileA(log_.c_str());
    SetEnvironmentVariableA("VANU_STUB_SEND", row.send);
    // A real installer goes on after its message; the stub ending at once would race it.
    SetEnvironmentVariableA("VANU_STUB_SLEEP_MS", "1000");
    RunResult run = Start("");
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(run.boxes.empty());
    for (int wait = 0; row.followUp && run.started.size() < 2 && wait < 50; ++wait) {
      Sleep(50);
      run.started = StartedPrograms();
    }
    ASSERT_EQ(row.followUp ? 2u : 1u, run.started.size());
    const std::string installerPid = run.started[0].substr(0, run.started[0].rfind('|'));
    if (row.followUp) {
      const std::string pid = installerPid.substr(installerPid.rfind('|') + 1);
      EXPECT_EQ("Website.exe|\"" + suite.FollowUp() + "\" -copyend processid=" + pid,
                run.started[1].substr(0, run.started[1].rfind('|', run.started[1].rfind('|') - 1)));
    }
  }
  SetEnvironmentVariableA("VANU_STUB_SEND", "none");
  SetEnvironmentVariableA("VANU_STUB_SLEEP_MS", nullptr);
}

}  // namespace
