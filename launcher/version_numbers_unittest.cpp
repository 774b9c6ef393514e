#include "version_numbers.h"

#include <gtest/gtest.h>

namespace {

struct ParseRow {
  const char* text;
  bool parses;
  VersionRecord expected;  // compared only when `parses`
};

VersionRecord Record(int major, int minor, int build, const char* code) {
  VersionRecord r;
  r.major = major;
  r.minor = minor;
  r.build = build;
  r.code = code;
  return r;
}

template <typename F>
VersionRecord With(VersionRecord r, F change) {
  change(r);
  return r;
}

void ExpectSame(const VersionRecord& want, const VersionRecord& got, const char* text) {
  SCOPED_TRACE(text);
  EXPECT_EQ(want.major, got.major);
  EXPECT_EQ(want.minor, got.minor);
  EXPECT_EQ(want.build, got.build);
  EXPECT_STREQ(want.code, got.code);
  EXPECT_STREQ(want.letters, got.letters);
  EXPECT_EQ(want.letters_number, got.letters_number);
  EXPECT_EQ(want.sp, got.sp);
  EXPECT_EQ(want.number, got.number);
  EXPECT_STREQ(want.tag, got.tag);
  EXPECT_EQ(want.irregular, got.irregular);
}

TEST(VersionParserTest, ParsesFieldsByPositionAndForm) {
  const VersionRecord base = Record(1, 2, 3, "45");
  const ParseRow rows[] = {
      {"", false, {}},
      {"1.2.3", false, {}},
      {"1.2.3.", true, Record(1, 2, 3, "")},
      {"6.1.0312.131ZH", true, Record(6, 1, 312, "ZH")},
      {"10.1.2.3.4", true, With(Record(1, 2, 3, "4"), [](VersionRecord& r) { r.irregular = 1; })},
      // The start field is among the last three fields: no fourth fixed field exists.
      {"10.1.20.30", false, {}},
      {"10.11.1.20", false, {}},
      // No one-character field: the first field is the start field.
      {"10.20.30.40", true, Record(10, 20, 30, "40")},
      {"1.2.3.45.SP2", true, With(base, [](VersionRecord& r) { r.sp = 2; })},
      {"1.2.3.45.sp", true, With(base, [](VersionRecord& r) { r.sp = 0; })},
      {"1.2.3.45.AB12", true, With(base, [](VersionRecord& r) { r.letters = "AB"; r.letters_number = 12; })},
      {"1.2.3.45.ab12", true, base},
      {"1.2.3.45.B1", true, With(base, [](VersionRecord& r) { r.tag = "B1"; })},
      {"1.2.3.45.X1", true, With(base, [](VersionRecord& r) { r.number = 0; })},
      {"1.2.3.45.12345", true, With(base, [](VersionRecord& r) { r.number = 12345; })},
      {"1.2.3.45.123456", true, With(base, [](VersionRecord& r) { r.irregular = 1; })},
      {"1.2.3.45.", true, With(base, [](VersionRecord& r) { r.number = 0; })},
      // A later field of a kind overwrites an earlier one.
      {"1.2.3.45.SP1.SP7", true, With(base, [](VersionRecord& r) { r.sp = 7; })},
      // Numbers read like atoi: leading digits only, a sign, clamping instead of overflow.
      {"1. -2.12a.x", true, Record(1, -2, 12, "x")},
      {"1.99999999999.3.45", true, Record(1, 2147483647, 3, "45")},
      {"1.-99999999999.3.45", true, Record(1, -2147483647 - 1, 3, "45")},
  };
  const VersionParser parser;
  for (const ParseRow& row : rows) {
    VersionRecord got;
    got.code = "untouched";
    ASSERT_EQ(row.parses, parser.Parse(row.text, got)) << row.text;
    if (row.parses) {
      ExpectSame(row.expected, got, row.text);
    } else {
      EXPECT_STREQ("untouched", got.code) << row.text;
    }
  }
}

TEST(VersionParserTest, ParseResetsEveryFieldOfAReusedRecord) {
  const VersionParser parser;
  VersionRecord record;
  ASSERT_TRUE(parser.Parse("1.2.3.45.SP2.AB12.B1.77.1234567", record));
  ASSERT_TRUE(parser.Parse("6.1.0312.131ZH", record));
  ExpectSame(Record(6, 1, 312, "ZH"), record, "second parse");
}

TEST(VersionPlausibilityTest, AcceptsOnlyTheInstalledVersionForm) {
  const struct {
    const char* text;
    bool plausible;
  } rows[] = {
      {"6.1.0312.131ZH", true},
      {"6.1.0312.131Z", false},   // 13 characters
      {"6.10.0312.131Z", false},  // the character after "6.1" is '0'
      {"5.1.0312.16.ZH", false},  // "6." at the eleventh character wins over the leading "5."
      {"xx5.1.0312.13ZH", true},
      {"4.1.0312.131ZH", true},
      {"abcdefghijklmn", false},  // none of the three majors
      {"abcdefghijkl6.", false},  // nothing three places after the "6."
      {"abcdefghijk6.1", false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.plausible, IsVersionPlausible(row.text)) << row.text;
  }
}

TEST(VersionCodeComparisonTest, OnlyTheCodeDecidesIgnoringCase) {
  VersionRecord a = Record(6, 1, 312, "zh");
  VersionRecord b = Record(6, 1, 312, "ZH");
  EXPECT_EQ(2, CompareVersionCodes(a, b));
  b.code = "EN";
  EXPECT_EQ(3, CompareVersionCodes(a, b));

  VersionRecord c = Record(9, 9, 9, "ZH");
  c.sp = 3;
  c.letters = "AB";
  c.tag = "B1";
  c.irregular = 1;
  EXPECT_EQ(2, CompareVersionCodes(c, Record(1, 2, 3, "ZH")));
  EXPECT_EQ(3, CompareVersionCodes(Record(1, 2, 3, ""), Record(1, 2, 3, "Z")));
}

TEST(PlatformClassTest, ClassifiesByPlatformAndVersion) {
  const struct {
    unsigned platform, major, minor;
    int expected;
  } rows[] = {
      {2, 5, 1, 0}, {2, 10, 0, 0}, {2, 3, 51, 0},  // NT family, any version
      {1, 4, 10, 1},                               // Windows 98
      {1, 4, 90, 1},                               // Windows ME
      {1, 5, 0, 1},                                // a 9x platform above version 4
      {1, 4, 0, 2},                                // Windows 95
      {1, 3, 95, 3},                               // 9x below version 4
      {0, 3, 10, 3},                               // Win32s
      {3, 10, 0, 3},                               // another platform identifier
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.expected, ClassifyPlatform(row.platform, row.major, row.minor))
        << row.platform << " " << row.major << "." << row.minor;
  }
}

}  // namespace
