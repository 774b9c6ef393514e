// The message language follows the system's default language, which Wine takes from the
// locale (LC_ALL) this program and the launcher it starts run in. ctest runs this program
// once per locale and names the language identifier it must see in VANU_EXPECT_LANGID, so
// a locale that did not take effect fails instead of passing in English.
#include "launcher_scenario.h"

namespace {

// The section a language identifier selects, with the "Warning" caption written in that
// language's ANSI code page ("警告" in GBK, Big5 and Shift-JIS; plain text for English).
struct LanguageRow {
  LANGID language;
  const char* section;
  const char* warningCaption;
};
const LanguageRow kLanguages[] = {
    {0x0804, "SCH", "\xBE\xAF\xB8\xE6"},
    {0x0404, "TCH", "\xC4\xB5\xA7\x69"},
    {0x0411, "JAP", "\x8C\x78\x8D\x90"},
};

std::string LanguageFile() {
  std::string file = "[ENG]\r\nWarning=Warning ENG\r\nExistQmoPro=running ENG\r\n";
  for (const LanguageRow& row : kLanguages) {
    file += std::string("[") + row.section + "]\r\nWarning=" + row.warningCaption +
            "\r\nExistQmoPro=running " + row.section + "\r\n";
  }
  return file;
}

TEST_F(LauncherScenario, TextsComeFromTheSectionOfTheSystemLanguage) {
  char expected[16] = {};
  ASSERT_NE(0u, GetEnvironmentVariableA("VANU_EXPECT_LANGID", expected, sizeof expected))
      << "run this program through ctest, which sets the locale";
  ASSERT_EQ(std::strtoul(expected, nullptr, 0), GetSystemDefaultLangID());

  std::string section = "ENG", caption = "Warning ENG";
  for (const LanguageRow& row : kLanguages) {
    if (row.language == GetSystemDefaultLangID()) {
      section = row.section;
      caption = row.warningCaption;
    }
  }
  WriteLanguageFile(LanguageFile());

  // A running suite program makes the launcher show a text and caption of the chosen section.
  const std::string program = medium_ + "\\Vanu_calc.exe";
  ASSERT_TRUE(CopyFileA((OwnFolder() + "\\program_stub.exe").c_str(), program.c_str(), FALSE));
  SetEnvironmentVariableA("VANU_STUB_SLEEP_MS", "60000");
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION running = {};
  std::string line = "\"" + program + "\"";
  ASSERT_TRUE(CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                             medium_.c_str(), &startup, &running));
  SetEnvironmentVariableA("VANU_STUB_SLEEP_MS", nullptr);

  const RunResult run = Start("");
  TerminateProcess(running.hProcess, 0);
  WaitForSingleObject(running.hProcess, 10000);
  CloseHandle(running.hThread);
  CloseHandle(running.hProcess);

  EXPECT_EQ(0u, run.exitCode);
  ASSERT_EQ(1u, run.boxes.size());
  EXPECT_EQ(caption, run.boxes[0].caption);
  EXPECT_EQ("running " + section, run.boxes[0].text);
  // One button; Wine labels it in the system language ("确定" in Chinese).
  EXPECT_FALSE(run.boxes[0].buttons.empty());
  EXPECT_EQ(std::string::npos, run.boxes[0].buttons.find(',')) << run.boxes[0].buttons;
  EXPECT_EQ("warning", run.boxes[0].icon);
  for (const std::string& started : run.started) EXPECT_NE(0u, started.find("QINS.exe|")) << started;
}

}  // namespace
