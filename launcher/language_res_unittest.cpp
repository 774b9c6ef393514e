// The language object when the medium has no language file: one box, then English.
// (The sections and the code pages are covered end to end by the language scenarios.)
#include "language_res.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "box_recorder.h"

namespace {

// The test program's folder holds no SetupLan.ini.
TEST(LanguageResTest, MissingFileShowsOnePlainBoxAndKeepsTheEnglishTexts) {
  BoxRecorder recorder;
  const LanguageRes language("SCH");
  const std::vector<BoxRecorder::Box>& boxes = recorder.boxes();

  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ("No SetupLan.ini !", boxes[0].text);
  EXPECT_EQ("Error", boxes[0].caption);
  EXPECT_EQ(static_cast<unsigned>(MB_OK), boxes[0].style) << "an OK button and no icon";
  for (const LanguageRes::Entry& entry : LanguageRes::kEntries) {
    EXPECT_EQ(CString(entry.englishDefault), language.*entry.text) << entry.key;
  }
}

}  // namespace
