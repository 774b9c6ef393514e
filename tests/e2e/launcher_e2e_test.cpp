// End-to-end scenarios of the launcher's start-up: the single-instance lock, trace mode, the
// language file and the completion pipe.
#include "launcher_scenario.h"

namespace {

DWORD WINAPI ShowOwnBox(LPVOID style) {
  MessageBoxA(nullptr, "robot check", "robot", static_cast<UINT>(reinterpret_cast<UINT_PTR>(style)));
  return 0;
}

// The robot tells the icons apart on boxes of known style that this program shows itself.
TEST(UiRobotTest, ReadsButtonsAndIconsOfKnownBoxes) {
  const struct {
    UINT style;
    const char* buttons;
    const char* icon;
  } rows[] = {
      {MB_OK, "OK", "none"},
      {MB_OK | MB_ICONERROR, "OK", "error"},
      {MB_OK | MB_ICONWARNING, "OK", "warning"},
      {MB_YESNO | MB_ICONWARNING, "&Yes,&No", "warning"},
      {MB_OK | MB_ICONINFORMATION, "OK", "blue"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.style);
    HANDLE thread = CreateThread(nullptr, 0, ShowOwnBox, reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(row.style)), 0, nullptr);
    ASSERT_NE(nullptr, thread);
    std::vector<HWND> boxes;
    for (int wait = 0; wait < 200 && boxes.empty(); ++wait) {
      Sleep(25);
      boxes = FindDialogs(GetCurrentProcessId());
    }
    ASSERT_EQ(1u, boxes.size());
    const MessageBoxView view = ReadMessageBox(boxes[0]);
    EXPECT_EQ("robot", view.caption);
    EXPECT_EQ("robot check", view.text);
    EXPECT_EQ(row.buttons, view.buttons);
    EXPECT_EQ(row.icon, view.icon);
    PostMessageA(boxes[0], WM_COMMAND, (row.style & MB_YESNO) ? IDNO : IDOK, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
    CloseHandle(thread);
  }
}

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

// From a drive root the program's folder is the drive alone, so the installer is M:\QINS.exe
// (the test prefix maps drive M: to an empty folder of the build tree).
TEST_F(LauncherScenario, MediumAtADriveRootStartsTheInstallerThere) {
  const std::string drive = "M:";
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((drive + "\\").c_str())) << "no drive M: in the prefix";
  for (const char* file : {"setup.exe", "QINS.exe", "SetupLan.ini"}) DeleteFileA((drive + "\\" + file).c_str());
  WriteLanguageFile(kEnglishFile);
  ASSERT_TRUE(CopyFileA((medium_ + "\\setup.exe").c_str(), (drive + "\\setup.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA((medium_ + "\\QINS.exe").c_str(), (drive + "\\QINS.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA((medium_ + "\\SetupLan.ini").c_str(), (drive + "\\SetupLan.ini").c_str(), FALSE));
  const std::string folder = medium_;
  medium_ = drive;
  const RunResult run = Start("-show");
  medium_ = folder;

  EXPECT_EQ(0u, run.exitCode);
  ASSERT_EQ(1u, run.boxes.size());
  EXPECT_EQ("close debug window", run.boxes[0].text);
  const std::string traceTail = "\r\n Start QMO setup = M:\\QINS.exe";
  ASSERT_GE(run.boxes[0].traceText.size(), traceTail.size());
  EXPECT_EQ(traceTail, run.boxes[0].traceText.substr(run.boxes[0].traceText.size() - traceTail.size()));
  ASSERT_EQ(1u, run.started.size());
  EXPECT_EQ(0u, run.started[0].find("QINS.exe|")) << run.started[0];
  EXPECT_NE(std::string::npos, run.started[0].find("|M:\\")) << "started from the drive root: " << run.started[0];
  for (const char* file : {"setup.exe", "QINS.exe", "SetupLan.ini"}) {
    for (int attempt = 0; attempt < 100 && !DeleteFileA((drive + "\\" + file).c_str()); ++attempt) Sleep(20);
  }
}

TEST_F(LauncherScenario, MissingLanguageFileShowsOneBoxThenGoesOn) {
  const RunResult run = Start("");
  EXPECT_EQ(0u, run.exitCode);
  ASSERT_EQ(1u, run.boxes.size());
  EXPECT_EQ("No SetupLan.ini !", run.boxes[0].text);
  EXPECT_EQ("Error", run.boxes[0].caption);
  EXPECT_EQ("OK", run.boxes[0].buttons);
  EXPECT_EQ("none", run.boxes[0].icon);
  ExpectInstallerStarted(run);
}

TEST_F(LauncherScenario, TraceModeShowsTheLogUntilTheCloseBox) {
  WriteLanguageFile(kEnglishFile);
  const struct {
    const char* tail;
    bool trace;
  } rows[] = {{"-show", true},   {"-SHOW", true}, {"-show ", false},
               {"-show x", false}, {"/show", false}, {"", false}};
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
    EXPECT_EQ("none", run.boxes[0].icon);
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
