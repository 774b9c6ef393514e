// The language object when the medium has no language file: one box, then English.
// (The sections and the code pages are covered end to end by the language scenarios.)
#include "language_res.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "message_box.h"

namespace {

struct RecordedBox {
  std::string text, caption;
  unsigned style;
};
std::vector<RecordedBox> g_boxes;
int RecordBox(const char* text, const char* caption, unsigned style) {
  g_boxes.push_back({text, caption, style});
  return IDOK;
}

// The test program's folder holds no SetupLan.ini.
TEST(LanguageResTest, MissingFileShowsOnePlainBoxAndKeepsTheEnglishTexts) {
  g_boxes.clear();
  const MessageBoxFunction previous = SetMessageBoxFunction(RecordBox);
  const LanguageRes language("SCH");
  SetMessageBoxFunction(previous);

  ASSERT_EQ(1u, g_boxes.size());
  EXPECT_EQ("No SetupLan.ini !", g_boxes[0].text);
  EXPECT_EQ("Error", g_boxes[0].caption);
  EXPECT_EQ(static_cast<unsigned>(MB_OK), g_boxes[0].style) << "an OK button and no icon";
  for (const LanguageRes::Entry& entry : LanguageRes::kEntries) {
    EXPECT_EQ(CString(entry.englishDefault), language.*entry.text) << entry.key;
  }
}

}  // namespace
