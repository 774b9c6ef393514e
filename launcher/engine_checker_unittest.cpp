// The engine checker against the real registry and file system, with an engine folder of
// its own per test and the regsvr32 runs made by a logging copy of the program stub. The
// trace goes to a trace dialog without a window, whose text the tests read; message boxes
// are recorded instead of shown.
#include "engine_checker.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "box_recorder.h"
#include "own_folder.h"
#include "registry_record.h"
#include "saved_registry_value.h"
#include "temp_tree.h"
#include "trace_dialog.h"

namespace {

constexpr char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char* const kFiles[] = {"corecomp.ini", "ctor.dll", "IKernel.exe", "iuser.dll", "objectps.dll"};
const std::size_t kRightSizes[] = {28529, 77824, 1234, 176128, 32768};

// Holds a file open in this process until it goes.
class HeldFile {
 public:
  HeldFile(const std::string& path, DWORD access, DWORD share)
      : handle_(CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~HeldFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  bool IsHeld() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

class EngineCheckerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = MakeFreshFolder("vanu-engine-");
    engine_ = root_ + "\\engine";
    ASSERT_TRUE(CreateDirectoryA(engine_.c_str(), nullptr));
    for (int i = 0; i < EngineChecker::kEngineFileCount; ++i) {
      checker_.engineFiles[i] = (engine_ + "\\" + kFiles[i]).c_str();
    }
    // The regsvr32 runs go to a logging stub of that name.
    const std::string regsvr32 = root_ + "\\regsvr32.exe";
    ASSERT_TRUE(CopyFileA((OwnFolder() + "\\windowed_stub.exe").c_str(), regsvr32.c_str(), FALSE));
    checker_.regsvr32Path = regsvr32.c_str();
    registrations_ = root_ + "\\regsvr32.log";
    SetEnvironmentVariableA("VANU_STUB_REGSVR32_LOG", registrations_.c_str());
    boxes_ = std::make_unique<BoxRecorder>(&trace_);
    savedTraceEnabled_ = traceEnabled;
    traceEnabled = 1;
    checker_.traceDialogPtr = &trace_;
  }
  void TearDown() override {
    traceEnabled = savedTraceEnabled_;
    boxes_.reset();
    SetEnvironmentVariableA("VANU_STUB_REGSVR32_LOG", nullptr);
    EXPECT_TRUE(RemoveTree(root_));
  }

  std::string WriteEngineFile(int index, std::size_t size) {
    const std::string path = engine_ + "\\" + kFiles[index];
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << std::string(size, 'e');
    return path;
  }
  void WriteAllRight() {
    for (int i = 0; i < EngineChecker::kEngineFileCount; ++i) WriteEngineFile(i, kRightSizes[i]);
  }
  bool Exists(int index) const {
    return GetFileAttributesA((engine_ + "\\" + kFiles[index]).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  std::vector<std::string> RegistrationCommandLines() const {
    std::vector<std::string> lines;
    std::ifstream in(registrations_);
    for (std::string line; std::getline(in, line);) {
      const std::size_t bar = line.find('|');
      lines.push_back(line.substr(bar + 1, line.find('|', bar + 1) - bar - 1));
    }
    return lines;
  }

  std::string root_, engine_, registrations_;
  TraceDialog trace_;  // no window: the text is kept in logText only
  EngineChecker checker_;
  std::unique_ptr<BoxRecorder> boxes_;
  int savedTraceEnabled_ = 0;
};

TEST_F(EngineCheckerTest, InitBuildsThePathsFromTheCommonFilesFolder) {
  SavedRegistryValue commonFiles(HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir");
  ASSERT_TRUE(commonFiles.Set("Q:\\Shared Files"));
  EngineChecker checker;
  checker.traceDialogPtr = &trace_;
  ASSERT_TRUE(checker.Init());
  EXPECT_STREQ("Q:\\Shared Files", checker.commonFilesDir);
  const std::string engine = "Q:\\Shared Files\\InstallShield\\Engine\\6\\Intel 32";
  EXPECT_EQ(engine, checker.engineDir.str());
  for (int i = 0; i < EngineChecker::kEngineFileCount; ++i) {
    EXPECT_EQ(engine + "\\" + kFiles[i], checker.engineFiles[i].str());
  }
  char system[MAX_PATH] = {};
  ASSERT_NE(0u, GetSystemDirectoryA(system, MAX_PATH));
  EXPECT_EQ(std::string(system) + "\\regsvr32.exe", checker.regsvr32Path.str());
  EXPECT_EQ("", trace_.logText.str());
}

// Opening the key with full access is refused, as for a user without that right.
REGSAM g_askedAccess = 0;
LONG APIENTRY DenyFullAccess(HKEY, LPCSTR, DWORD, REGSAM access, PHKEY key) {
  g_askedAccess = access;
  *key = nullptr;
  return ERROR_ACCESS_DENIED;
}

TEST_F(EngineCheckerTest, InitFailsWhenTheCommonFilesFolderCannotBeRead) {
  SavedRegistryValue commonFiles(HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir");
  const struct {
    const char* name;
    std::string bytes;  // "" removes the value
    bool denyKey;
  } rows[] = {
      {"value missing", "", false},
      {"value longer than the buffer", std::string(261, 'c') + std::string(1, '\0'), false},
      {"260 bytes without a zero byte", std::string(260, 'c'), false},
      {"key not open to full access", "C:\\Common", true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(row.bytes.empty() ? commonFiles.Remove() : commonFiles.SetBytes(row.bytes));
    trace_.logText.Empty();
    EngineChecker checker;
    checker.traceDialogPtr = &trace_;
    const RegistryOpenFunction previous =
        row.denyKey ? SetRegistryOpenFunction(DenyFullAccess) : nullptr;
    EXPECT_FALSE(checker.Init());
    if (row.denyKey) {
      SetRegistryOpenFunction(previous);
      EXPECT_EQ(static_cast<REGSAM>(KEY_ALL_ACCESS), g_askedAccess);
    }
    EXPECT_EQ("\r\n GetCommonFilesDir = FALSE", trace_.logText.str());
    EXPECT_TRUE(checker.engineDir.IsEmpty());
    EXPECT_TRUE(checker.regsvr32Path.IsEmpty());
  }
}

TEST_F(EngineCheckerTest, LockTestFindsFilesThatCannotBeOpenedForReading) {
  const struct {
    const char* name;
    DWORD access, share;  // how another holder has IKernel.exe open; 0 access: not open
    BOOL locked;
  } rows[] = {
      {"not held", 0, 0, FALSE},
      {"held for writing", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, TRUE},
      {"held denying reading to others", GENERIC_READ, 0, TRUE},
      {"held for reading, reading shared", GENERIC_READ, FILE_SHARE_READ, FALSE},
  };
  EXPECT_FALSE(checker_.CheckEngineLock()) << "no files at all";
  WriteAllRight();
  for (const auto& row : rows) {
    std::unique_ptr<HeldFile> holder;
    if (row.access != 0) {
      holder = std::make_unique<HeldFile>(engine_ + "\\IKernel.exe", row.access, row.share);
      ASSERT_TRUE(holder->IsHeld()) << row.name;
    }
    EXPECT_EQ(row.locked, checker_.CheckEngineLock()) << row.name;
  }
  // The lock test itself leaves no file open: each can now be opened exclusively.
  for (const char* file : kFiles) {
    HeldFile exclusive(engine_ + "\\" + file, GENERIC_READ | GENERIC_WRITE, 0);
    EXPECT_TRUE(exclusive.IsHeld()) << file;
  }
}

TEST_F(EngineCheckerTest, DamageTestDeletesWrongSizedFilesItCanOpenAlone) {
  const struct {
    const char* name;
    int file;
    long long delta;  // bytes beyond the right size
    bool readOnly, heldByReader;
    bool kept;
    BOOL damage;
  } rows[] = {
      {"right size", 1, 0, false, false, true, FALSE},
      {"one byte too long", 1, 1, false, false, false, FALSE},
      {"one byte too short", 3, -1, false, false, false, FALSE},
      {"IKernel.exe of any size", 2, 5000, false, false, true, FALSE},
      {"wrong size, read elsewhere: skipped", 0, 7, false, true, true, FALSE},
      {"wrong size, deletion fails", 4, 3, true, false, true, TRUE},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    WriteAllRight();
    const std::string path =
        WriteEngineFile(row.file, static_cast<std::size_t>(kRightSizes[row.file] + row.delta));
    if (row.readOnly) ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    std::unique_ptr<HeldFile> reader;
    if (row.heldByReader) reader = std::make_unique<HeldFile>(path, GENERIC_READ, FILE_SHARE_READ);
    EXPECT_EQ(row.damage, checker_.CheckEngineDamage());
    reader.reset();
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    for (int i = 0; i < EngineChecker::kEngineFileCount; ++i) {
      EXPECT_EQ(i == row.file ? row.kept : true, Exists(i)) << kFiles[i];
    }
  }
  for (int i = 0; i < EngineChecker::kEngineFileCount; ++i) DeleteFileA((engine_ + "\\" + kFiles[i]).c_str());
  EXPECT_FALSE(checker_.CheckEngineDamage()) << "no files at all";
}

TEST_F(EngineCheckerTest, RepairRunsTheFourRegistrationsInOrder) {
  EXPECT_TRUE(checker_.RepairDlls());
  const std::string program = "\"" + root_ + "\\regsvr32.exe\"";
  const std::vector<std::string> expected = {program + " /s oleaut32.dll", program + " /s shdocvw.dll",
                                             program + " /s actxprxy.dll", program + " /s urlmon.dll"};
  EXPECT_EQ(expected, RegistrationCommandLines());
}

TEST_F(EngineCheckerTest, CheckEngineOutcomesAndTheirTrace) {
  const struct {
    const char* name;
    bool noRegsvr32, lockKernel, undeletableCtor;
    BOOL result;
    const char* trace;
  } rows[] = {
      {"all well", false, false, false, TRUE, ""},
      {"regsvr32 cannot start: all four tried, no box", true, false, false, TRUE,
       "\r\n \r\n RepairDlls = FALSE"},
      {"locked file: one box, then the trace line", false, true, false, FALSE,
       "\r\n \r\n CheckEngineLock = FALSE"},
      {"undeletable damaged file", false, false, true, TRUE, "\r\n \r\n CheckEngineDamage = FALSE"},
  };
  const CString regsvr32 = checker_.regsvr32Path;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    trace_.logText.Empty();
    boxes_->Clear();
    DeleteFileA(registrations_.c_str());
    WriteAllRight();
    checker_.regsvr32Path = row.noRegsvr32 ? CString((root_ + "\\absent\\regsvr32.exe").c_str()) : regsvr32;
    std::unique_ptr<HeldFile> writer;
    if (row.lockKernel) {
      writer = std::make_unique<HeldFile>(engine_ + "\\IKernel.exe", GENERIC_WRITE, FILE_SHARE_READ);
      // A damaged file beside the locked one shows that the damage test does not run.
      WriteEngineFile(1, 10);
    }
    const std::string ctor = engine_ + "\\ctor.dll";
    if (row.undeletableCtor) {
      WriteEngineFile(1, 10);
      ASSERT_TRUE(SetFileAttributesA(ctor.c_str(), FILE_ATTRIBUTE_READONLY));
    }
    EXPECT_EQ(row.result, checker_.CheckEngine());
    writer.reset();
    SetFileAttributesA(ctor.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(row.trace, trace_.logText.str());
    EXPECT_EQ(row.noRegsvr32 ? 0u : 4u, RegistrationCommandLines().size());
    if (row.lockKernel) {
      ASSERT_EQ(1u, boxes_->boxes().size());
      EXPECT_EQ(EngineChecker::kLockText, boxes_->boxes()[0].text);
      EXPECT_EQ(std::string("The install program has detected that the install engine document is "
                            "locked, \nplease restart computer and reinstall."),
                boxes_->boxes()[0].text);
      EXPECT_EQ("error", boxes_->boxes()[0].caption);
      EXPECT_EQ(static_cast<unsigned>(MB_OK | MB_ICONERROR), boxes_->boxes()[0].style);
      EXPECT_EQ("", boxes_->boxes()[0].traceText);
      EXPECT_TRUE(Exists(1)) << "the damage test ran";
    } else {
      EXPECT_TRUE(boxes_->boxes().empty());
    }
  }
}

TEST_F(EngineCheckerTest, TraceNeedsTraceModeAndTheWindow) {
  checker_.WriteTrace("one");
  traceEnabled = 0;
  checker_.WriteTrace("two");
  traceEnabled = 1;
  checker_.traceDialogPtr = nullptr;
  checker_.WriteTrace("three");
  EXPECT_EQ("\r\n one", trace_.logText.str());
}

}  // namespace
