// The process scanner against real running processes: copies of the program stub that
// sleep, under the names a test needs.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "own_folder.h"
#include "setup_app.h"
#include "temp_tree.h"

namespace {

// True once a process snapshot lists `id` with its executable name, within five seconds.
bool AppearsInSnapshot(DWORD id) {
  for (int attempt = 0; attempt < 250; ++attempt) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !found;
         more = Process32Next(snapshot, &entry)) {
      found = entry.th32ProcessID == id && entry.szExeFile[0] != '\0';
    }
    CloseHandle(snapshot);
    if (found) return true;
    Sleep(20);
  }
  return false;
}

// A sleeping copy of the program stub (its windowed build: no console is made for it),
// running under `name` until the object goes.
class Sleeper {
 public:
  Sleeper(const std::string& folder, const std::string& name) {
    const std::string program = folder + "\\" + name;
    CopyFileA((OwnFolder() + "\\windowed_stub.exe").c_str(), program.c_str(), FALSE);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + program + "\"";
    started_ = CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                              nullptr, nullptr, &startup, &process_) != 0;
    // The snapshot lists a process by its name only once it has started up.
    if (started_) started_ = AppearsInSnapshot(process_.dwProcessId);
  }
  ~Sleeper() {
    if (process_.hProcess == nullptr) return;
    TerminateProcess(process_.hProcess, 0);
    WaitForSingleObject(process_.hProcess, 10000);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  Sleeper(const Sleeper&) = delete;
  Sleeper& operator=(const Sleeper&) = delete;
  bool Started() const { return started_; }

 private:
  PROCESS_INFORMATION process_ = {};
  bool started_ = false;
};

class ProcessScannerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeFreshFolder("vanu-scan-");
    SetEnvironmentVariableA("VANU_STUB_LOG", nullptr);
    SetEnvironmentVariableA("VANU_STUB_SLEEP_MS", "60000");
  }
  void TearDown() override {
    SetEnvironmentVariableA("VANU_STUB_SLEEP_MS", nullptr);
    EXPECT_TRUE(RemoveTree(folder_));
  }
  void Run(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      sleepers_.push_back(std::make_unique<Sleeper>(folder_, name));
      ASSERT_TRUE(sleepers_.back()->Started()) << name;
    }
  }

  std::string folder_;
  std::vector<std::unique_ptr<Sleeper>> sleepers_;
};

TEST_F(ProcessScannerTest, NameIsFoundInsideRunningExecutableNamesWithoutRegardToCase) {
  const struct {
    const char* name;
    std::vector<std::string> running;
    const char* search;
    BOOL expected;
  } rows[] = {
      {"other case", {"vanu_duvude.exe"}, "Vanu_Duvude.exe", TRUE},
      {"inside a longer name", {"MyVanu_Duvude.exe"}, "Vanu_Duvude.exe", TRUE},
      {"two of one name", {"Vanu_calc.exe", "Vanu_calc.exe"}, "Vanu_calc.exe", TRUE},
      {"search name without extension", {"QMOFileConvert.exe"}, "QMOFileConvert", TRUE},
      {"search name longer than the running one", {"Vanu_writer.exe"}, "Vanu_writer.exe.old", FALSE},
      {"nothing of that name", {"Vanu_pdf.exe"}, "Vanu_impress.exe", FALSE},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_FALSE(TheSetupApp().IsProcessRunning(row.search)) << "before";
    Run(row.running);
    EXPECT_EQ(row.expected, TheSetupApp().IsProcessRunning(row.search)) << "while running";
    sleepers_.clear();
    EXPECT_FALSE(TheSetupApp().IsProcessRunning(row.search)) << "after";
  }
}

}  // namespace
