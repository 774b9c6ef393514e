#include "program_launch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "own_folder.h"
#include "temp_tree.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "box_recorder.h"

namespace {

struct StubLine {
  std::string name, commandLine, processId, folder;
};

// A medium folder with the installer stub as QINS.exe and an install folder whose System
// folder holds the follow-up stub, for one test.
class LaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int next = 0;
    root_ = MakeFreshFolder("vanu-launch-");
    medium_ = root_ + "\\medium";
    install_ = root_ + "\\Suite Folder";
    for (const std::string& dir : {medium_, install_, install_ + "\\System"}) {
      ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr)) << dir;
    }
    const std::string stub = OwnFolder() + "\\program_stub.exe";
    ASSERT_TRUE(CopyFileA(stub.c_str(), (medium_ + "\\QINS.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(stub.c_str(), (install_ + "\\System\\Website.exe").c_str(), FALSE));
    log_ = root_ + "\\stub.log";
    pipe_ = "\\\\.\\PIPE\\vanu-launch-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(next++);
    SetEnvironmentVariableA("VANU_STUB_LOG", log_.c_str());
    SetEnvironmentVariableA("VANU_STUB_PIPE", pipe_.c_str());
    s_installDir = install_;
  }
  void TearDown() override {
    SetEnvironmentVariableA("VANU_STUB_SEND", nullptr);
    SetEnvironmentVariableA("VANU_STUB_SLEEP_MS", nullptr);
    RemoveTree(root_);  // retries while stubs are still ending
  }

  std::vector<StubLine> Lines() const {
    std::vector<StubLine> lines;
    std::ifstream in(log_);
    std::string text;
    while (std::getline(in, text)) {
      if (!text.empty() && text.back() == '\r') text.pop_back();
      std::stringstream fields(text);
      StubLine line;
      std::getline(fields, line.name, '|');
      std::getline(fields, line.commandLine, '|');
      std::getline(fields, line.processId, '|');
      std::getline(fields, line.folder, '|');
      lines.push_back(line);
    }
    return lines;
  }

  // Waits until the log holds `count` lines (or a while has passed) and returns them.
  std::vector<StubLine> WaitForLines(std::size_t count, DWORD milliseconds = 5000) const {
    const DWORD start = GetTickCount();
    std::vector<StubLine> lines;
    while ((lines = Lines()).size() < count && GetTickCount() - start < milliseconds) Sleep(20);
    return lines;
  }

  std::string Installer() const { return medium_ + "\\QINS.exe"; }

  static CString InstallDir() { return s_installDir.c_str(); }
  static CString NoInstallDir() { return CString(); }
  static inline std::string s_installDir;

  std::string root_, medium_, install_, log_, pipe_;
};

// Wine shows a program started with an empty command line its own quoted path.
void ExpectEmptyCommandLine(const StubLine& line, const std::string& program) {
  EXPECT_TRUE(line.commandLine.empty() || line.commandLine == "\"" + program + "\"")
      << line.commandLine;
}

TEST_F(LaunchTest, CompletionMessageStartsTheFollowUpProgram) {
  for (const char* send : {"08000000434F5059454E4400", "08000000636F7079656E6400"}) {
    SCOPED_TRACE(send);
    TearDown();
    SetUp();
    SetEnvironmentVariableA("VANU_STUB_SEND", send);
    SetEnvironmentVariableA("VANU_STUB_SLEEP_MS", "3000");  // the installer runs on
    ASSERT_TRUE(LaunchWithCompletionPipe(Installer().c_str(), "", InstallDir, pipe_.c_str()));
    const std::vector<StubLine> lines = WaitForLines(2);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("QINS.exe", lines[0].name);
    ExpectEmptyCommandLine(lines[0], Installer());
    EXPECT_EQ("Website.exe", lines[1].name);
    EXPECT_EQ("\"" + install_ + "\\System\\Website.exe\" -copyend processid=" + lines[0].processId,
              lines[1].commandLine);
  }
}

TEST_F(LaunchTest, NoFollowUpProgramWithoutAWellFormedMessage) {
  const struct {
    const char* name;
    const char* send;
  } rows[] = {
      {"the installer never connects", "none"},
      {"a blank before the zero byte", "09000000434F5059454E442000"},
      {"N of 0", "00000000"},
      {"no zero byte", "07000000434F5059454E44"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TearDown();
    SetUp();
    SetEnvironmentVariableA("VANU_STUB_SEND", row.send);
    EXPECT_TRUE(LaunchWithCompletionPipe(Installer().c_str(), "", InstallDir, pipe_.c_str()));
    Sleep(300);
    const std::vector<StubLine> lines = Lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("QINS.exe", lines[0].name);
  }
}

TEST_F(LaunchTest, MissingInstallFolderStartsNothingAndSucceeds) {
  SetEnvironmentVariableA("VANU_STUB_SEND", "08000000434F5059454E4400");
  EXPECT_TRUE(LaunchWithCompletionPipe(Installer().c_str(), "", NoInstallDir, pipe_.c_str()));
  Sleep(300);
  EXPECT_EQ(1u, Lines().size());
}

TEST_F(LaunchTest, MissingInstallerFails) {
  EXPECT_FALSE(LaunchWithCompletionPipe((medium_ + "\\absent.exe").c_str(), "", InstallDir,
                                        pipe_.c_str()));
}

TEST_F(LaunchTest, ShellLaunchStartsWaitsAndReportsFailures) {
  BoxRecorder recorder;
  const std::vector<BoxRecorder::Box>& boxes = recorder.boxes();

  EXPECT_TRUE(ShellLaunch(Installer().c_str(), "/S x", false, true));
  std::vector<StubLine> lines = Lines();  // it waited, so the line is there
  ASSERT_EQ(1u, lines.size());
  EXPECT_NE(std::string::npos, lines[0].commandLine.find("/S x")) << lines[0].commandLine;

  SetEnvironmentVariableA("VANU_STUB_SLEEP_MS", "2000");
  const DWORD start = GetTickCount();
  EXPECT_TRUE(ShellLaunch(Installer().c_str(), "", true, false));
  EXPECT_LT(GetTickCount() - start, 1500u) << "ShellLaunch waited although told not to";

  const std::string absent = medium_ + "\\absent.exe";
  EXPECT_FALSE(ShellLaunch(absent.c_str(), "", false, true));
  EXPECT_TRUE(boxes.empty());
  EXPECT_FALSE(ShellLaunch(absent.c_str(), "", true, false));
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ("shell execute failed!", boxes[0].text);
  EXPECT_EQ("error", boxes[0].caption);
  EXPECT_EQ(static_cast<unsigned>(MB_ICONERROR), boxes[0].style);

  WaitForLines(3);
}

}  // namespace
