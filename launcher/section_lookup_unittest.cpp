#include "section_lookup.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

CStringArray Lines(std::initializer_list<const char*> lines) {
  CStringArray array;
  for (const char* line : lines) array.Add(line);
  return array;
}

struct LookupRow {
  const char* name;
  CStringArray lines;
  const char* section;
  const char* key;
  const char* expected;  // "<default>" stands for the default value
};

TEST(SectionLookupTest, MatchesSectionsKeysAndValues) {
  const char* kDefault = "<default>";
  const LookupRow rows[] = {
      {"blanks around the header and its name", Lines({"  [ ENG ]  ", "Hint=x"}), "ENG", "Hint", "x"},
      {"blanks around = and a backslash-n pair", Lines({"[ENG]", "  Hint  =  a\\nb  "}), "ENG", "Hint", "a\nb"},
      {"value ending in backslash-n", Lines({"[ENG]", "Hint=ab\\n"}), "ENG", "Hint", "ab\n"},
      {"backslash before backslash-n", Lines({"[ENG]", "Hint=a\\\\nb"}), "ENG", "Hint", "a\\\nb"},
      {"further = belong to the value", Lines({"[ENG]", "Hint=a=b=c"}), "ENG", "Hint", "a=b=c"},
      {"empty value is not the default", Lines({"[ENG]", "Hint="}), "ENG", "Hint", ""},
      {"first of two sections of a name", Lines({"[ENG]", "Hint=1", "[ENG]", "Hint=2"}), "ENG", "Hint", "1"},
      {"only the first section is searched", Lines({"[ENG]", "Other=1", "[ENG]", "Hint=2"}), "ENG", "Hint", kDefault},
      {"header followed by header", Lines({"[ENG]", "[SCH]", "Hint=x"}), "ENG", "Hint", kDefault},
      {"indented next header ends the section", Lines({"[ENG]", "   [SCH]", "Hint=x"}), "ENG", "Hint", kDefault},
      {"section name is case-sensitive", Lines({"[eng]", "Hint=x"}), "ENG", "Hint", kDefault},
      {"key is case-sensitive", Lines({"[ENG]", "hint=x"}), "ENG", "Hint", kDefault},
      {"byte-order mark hides the first header", Lines({"\xEF\xBB\xBF[ENG]", "Hint=x"}), "ENG", "Hint", kDefault},
      {"byte-order mark spares later headers", Lines({"\xEF\xBB\xBF[SCH]", "[ENG]", "Hint=x"}), "ENG", "Hint", "x"},
      {"empty lines at the end", Lines({"[ENG]", "Other=1", "", ""}), "ENG", "Hint", kDefault},
      {"empty and blank lines inside", Lines({"[ENG]", "", "   ", "\t", "Hint=x"}), "ENG", "Hint", "x"},
      {"lines before the first header", Lines({"Hint=early", "[ENG]", "Hint=x"}), "ENG", "Hint", "x"},
      {"semicolon starts an ordinary key", Lines({"[ENG]", ";Hint=x"}), "ENG", ";Hint", "x"},
      {"line without = is ignored", Lines({"[ENG]", "Hint", "Hint=y"}), "ENG", "Hint", "y"},
      {"header without ] has the empty name", Lines({"[ENG", "Hint=x"}), "", "Hint", "x"},
      {"text after ] is ignored", Lines({"[ENG] trailing", "Hint=x"}), "ENG", "Hint", "x"},
      {"no such section", Lines({"[SCH]", "Hint=x"}), "ENG", "Hint", kDefault},
      {"no lines", Lines({}), "ENG", "Hint", kDefault},
      {"header as the last line", Lines({"[ENG]"}), "ENG", "Hint", kDefault},
      {"tabs, vertical tabs, form feeds are white space", Lines({"\t\v\f[ENG]", "\fHint\t=\vx\r"}), "ENG", "Hint", "x"},
      {"high bytes are not white space", Lines({"[ENG]", "\xA0Hint=x"}), "ENG", "Hint", kDefault},
  };
  for (const LookupRow& row : rows) {
    EXPECT_STREQ(row.expected, FindSectionValue(row.lines, row.section, row.key, kDefault))
        << row.name;
  }
}

}  // namespace
