#include "ini_file_reader.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "temp_tree.h"

#include <string>
#include <vector>

namespace {

// A fresh folder for one test, removed with its files afterwards.
class TempFolder {
 public:
  TempFolder() : path_(MakeFreshFolder("vanu-ini-")) {}
  ~TempFolder() { RemoveTree(path_); }
  std::string Write(const char* name, const std::string& bytes) {
    const std::string file = path_ + "\\" + name;
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, h);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return file;
  }
  std::string PathOf(const char* name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

std::vector<std::string> LinesOf(const IniFileReader& reader) {
  std::vector<std::string> lines;
  for (int i = 0; i < reader.lines.GetSize(); ++i) lines.push_back(reader.lines[i].str());
  return lines;
}

using Lines = std::vector<std::string>;

TEST(IniFileReaderTest, LoadReadsLinesInTextMode) {
  const struct {
    const char* name;
    std::string bytes;
    Lines expected;
  } rows[] = {
      {"CR LF pairs become line ends", "[ENG]\r\nHint=x\r\n", {"[ENG]", "Hint=x"}},
      {"no further empty line after the last line end", "a\nb\n", {"a", "b"}},
      {"a last line without line end", "a\nb", {"a", "b"}},
      {"empty lines are kept", "\n\na\n\n", {"", "", "a", ""}},
      {"an empty file has no lines", "", {}},
      {"a lone CR stays in its line", "a\rb\n", {"a\rb"}},
      {"Ctrl-Z ends the data in text mode", "a\n\x1A" "b\n", {"a"}},
      {"a NUL byte stays inside its line", std::string("a\0b\nc\n", 6), {std::string("a\0b", 3), "c"}},
  };
  for (const auto& row : rows) {
    TempFolder folder;
    IniFileReader reader(folder.Write("f.ini", row.bytes).c_str());
    ASSERT_TRUE(reader.Load()) << row.name;
    EXPECT_TRUE(reader.opened) << row.name;
    EXPECT_EQ(row.expected, LinesOf(reader)) << row.name;
  }
}

TEST(IniFileReaderTest, ReadsLinesOfAnyLength) {
  TempFolder folder;
  const std::string longValue(300000, 'v');
  IniFileReader reader(folder.Write("f.ini", "[ENG]\r\nHint=" + longValue + "\r\nNext=n\r\n").c_str());
  EXPECT_EQ(longValue, reader.GetValue("ENG", "Hint", "d").str());
  EXPECT_STREQ("n", reader.GetValue("ENG", "Next", "d"));
}

TEST(IniFileReaderTest, EveryLookupReadsTheFileAnew) {
  TempFolder folder;
  const std::string path = folder.Write("f.ini", "[ENG]\nHint=first\n");
  IniFileReader reader(path.c_str());
  EXPECT_STREQ("first", reader.GetValue("ENG", "Hint", "d"));
  folder.Write("f.ini", "[ENG]\nHint=second\n");
  EXPECT_STREQ("second", reader.GetValue("ENG", "Hint", "d"));
}

TEST(IniFileReaderTest, MissingFileGivesDefaultsAndKeepsLines) {
  TempFolder folder;
  const std::string path = folder.Write("f.ini", "[ENG]\nHint=x\n");
  IniFileReader reader(path.c_str());
  ASSERT_TRUE(reader.Load());
  DeleteFileA(path.c_str());
  EXPECT_FALSE(reader.Load());
  EXPECT_FALSE(reader.opened);
  EXPECT_EQ(Lines({"[ENG]", "Hint=x"}), LinesOf(reader));
  EXPECT_STREQ("d", reader.GetValue("ENG", "Hint", "d"));

  IniFileReader never(folder.PathOf("absent.ini").c_str());
  EXPECT_STREQ("d", never.GetValue("ENG", "Hint", "d"));
}

TEST(IniFileReaderTest, FileOpenElsewhereGivesDefaults) {
  TempFolder folder;
  const std::string path = folder.Write("f.ini", "[ENG]\nHint=x\n");
  // Another handle, even one that shares everything, makes the exclusive open fail.
  HANDLE other = CreateFileA(path.c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, other);
  IniFileReader reader(path.c_str());
  EXPECT_STREQ("d", reader.GetValue("ENG", "Hint", "d"));
  CloseHandle(other);
  EXPECT_STREQ("x", reader.GetValue("ENG", "Hint", "d"));
}

TEST(IniFileReaderTest, ReaderLeavesNoHandleOpen) {
  TempFolder folder;
  const std::string path = folder.Write("f.ini", "[ENG]\nHint=x\n");
  IniFileReader reader(path.c_str());
  EXPECT_STREQ("x", reader.GetValue("ENG", "Hint", "d"));
  // An exclusive open by someone else succeeds only when the reader closed its handle.
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  EXPECT_NE(INVALID_HANDLE_VALUE, h);
  CloseHandle(h);
}

}  // namespace
