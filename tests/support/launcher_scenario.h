// The end-to-end harness of the launcher: runs the real setup.exe on a medium folder laid out
// per scenario, records and answers its message boxes with the UI robot, reads the trace
// window while a box is open, and collects the stub log of the programs it started.
// Scenarios share named kernel objects ("QMOSetup", the completion pipe), so every program
// that uses this harness is registered SERIAL.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "own_folder.h"
#include "regsvr32_stand_in.h"
#include "temp_tree.h"
#include "ui_robot.h"

#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>


struct Box {
  std::string caption, text, buttons;
  std::string icon;       // "none", "error", "warning" or "blue" (see ReadBoxIcon)
  std::string traceText;  // the trace window's text while the box was open ("" without one)
};

struct RunResult {
  DWORD exitCode = 0xDEADBEEF;
  std::vector<Box> boxes;
  std::vector<std::string> started;  // stub log lines: name|command line|pid|folder
};

class LauncherScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    medium_ = MakeFreshFolder("vanu-medium-");
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(medium_.c_str()));
    const std::string bin = OwnFolder();
    ASSERT_TRUE(CopyFileA((bin + "\\setup.exe").c_str(), (medium_ + "\\setup.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((bin + "\\program_stub.exe").c_str(), (medium_ + "\\QINS.exe").c_str(), FALSE));
    log_ = medium_ + "\\started.log";
    SetEnvironmentVariableA("VANU_STUB_LOG", log_.c_str());
    SetEnvironmentVariableA("VANU_STUB_SEND", "none");
    // The launcher re-registers system libraries with regsvr32 on every run: a logging
    // stand-in keeps the runs fast and the prefix unchanged.
    registrationLog_ = medium_ + "\\regsvr32.log";
    regsvr32_ = std::make_unique<Regsvr32StandIn>(registrationLog_);
    ASSERT_TRUE(regsvr32_->Installed()) << regsvr32_->Path();
  }
  void TearDown() override {
    regsvr32_.reset();
    EXPECT_TRUE(RemoveTree(medium_)) << medium_;
  }

  void WriteLanguageFile(const std::string& text) {
    std::ofstream(medium_ + "\\SetupLan.ini", std::ios::binary) << text;
  }

  // The buttons (IDOK, IDYES, IDNO, ...) that the next boxes are answered with, in order;
  // a box beyond the list is answered with IDOK.
  void AnswerBoxesWith(std::vector<int> answers) { answers_ = std::move(answers); }

  // Starts setup.exe with `tail` after its quoted path, answers every box (see
  // AnswerBoxesWith), and returns once the launcher has ended.
  RunResult Start(const std::string& tail) {
    RunResult run;
    const std::string program = medium_ + "\\setup.exe";
    std::string commandLine = "\"" + program + "\"" + (tail.empty() ? "" : " " + tail);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    const BOOL created =
        startToken_ != nullptr
            ? CreateProcessAsUserA(startToken_, program.c_str(), line.data(), nullptr, nullptr,
                                   FALSE, 0, nullptr, medium_.c_str(), &startup, &process)
            : CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             medium_.c_str(), &startup, &process);
    if (!created) {
      ADD_FAILURE() << "setup.exe did not start";
      return run;
    }
    std::set<HWND> answered;
    std::map<HWND, DWORD> blankSince;
    const DWORD started = GetTickCount();
    while (WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT) {
      if (GetTickCount() - started > 60000) {
        ADD_FAILURE() << "setup.exe did not end within 60 s";
        TerminateProcess(process.hProcess, 1);
        break;
      }
      const std::vector<HWND> dialogs = FindDialogs(process.dwProcessId);
      const std::string traceText = TraceText(dialogs);
      for (HWND dialog : dialogs) {
        if (IsTraceWindow(dialog) || answered.count(dialog) != 0) continue;
        const MessageBoxView view = ReadMessageBox(dialog);
        // A box can be visible a moment before its caption and text are set; read it again
        // on the next round unless it stays blank for a second.
        if (view.caption.empty() && view.text.empty()) {
          const DWORD now = GetTickCount();
          const DWORD firstSeen = blankSince.emplace(dialog, now).first->second;
          if (now - firstSeen < 1000) continue;
        }
        run.boxes.push_back({view.caption, view.text, view.buttons, view.icon, traceText});
        answered.insert(dialog);
        int answer = IDOK;
        if (!answers_.empty()) {
          answer = answers_.front();
          answers_.erase(answers_.begin());
        }
        PostMessageA(dialog, WM_COMMAND, answer, 0);
      }
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    Sleep(300);  // an installer stub started without waiting writes its line
    run.started = StartedPrograms();
    return run;
  }

  // The stub log's lines, as far as written now.
  std::vector<std::string> StartedPrograms() const { return LogLines(log_); }

  // The regsvr32 stand-in's log lines (name|command line|pid|folder), as far as written now.
  std::vector<std::string> RegistrationRuns() const { return LogLines(registrationLog_); }

  static std::vector<std::string> LogLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string text; std::getline(in, text);) {
      if (!text.empty() && text.back() == '\r') text.pop_back();
      lines.push_back(text);
    }
    return lines;
  }

  std::string InstallerPath() const { return medium_ + "\\QINS.exe"; }

  // The installer was started once, with an empty command line (Wine shows such a program
  // its own quoted path instead).
  void ExpectInstallerStarted(const RunResult& run) {
    ASSERT_EQ(1u, run.started.size());
    const std::string& line = run.started[0];
    EXPECT_EQ(0u, line.find("QINS.exe|")) << line;
    const std::string commandLine = line.substr(9, line.find('|', 9) - 9);
    EXPECT_TRUE(commandLine.empty() || commandLine == "\"" + InstallerPath() + "\"") << commandLine;
  }

  std::string medium_, log_, registrationLog_;
  std::vector<int> answers_;
  std::unique_ptr<Regsvr32StandIn> regsvr32_;
  // When set, setup.exe is started with this access token (CreateProcessAsUserA); the
  // scenario owns and closes it.
  HANDLE startToken_ = nullptr;
};

// A SetupLan.ini with one English text, so that no "No SetupLan.ini !" box appears.
inline const char kEnglishFile[] = "[ENG]\r\nHint=Hint\r\n";

// The installed suite's folder record, pointing at a folder whose System folder holds the
// follow-up stub; removed again afterwards.
class InstalledSuite {
 public:
  explicit InstalledSuite(const std::string& folder) : folder_(folder) {
    CreateDirectoryA(folder_.c_str(), nullptr);
    CreateDirectoryA((folder_ + "\\System").c_str(), nullptr);
    CopyFileA((OwnFolder() + "\\program_stub.exe").c_str(), FollowUp().c_str(), FALSE);
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CLASSES_ROOT, "halvicor", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, "install_dir", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder_.c_str()),
                   static_cast<DWORD>(folder_.size() + 1));
    RegCloseKey(key);
  }
  ~InstalledSuite() {
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "halvicor");
    for (int attempt = 0; attempt < 100 && !DeleteFileA(FollowUp().c_str()); ++attempt) Sleep(20);
    RemoveDirectoryA((folder_ + "\\System").c_str());
    RemoveDirectoryA(folder_.c_str());
  }
  std::string FollowUp() const { return folder_ + "\\System\\Website.exe"; }

 private:
  std::string folder_;
};

