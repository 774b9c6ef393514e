#include "completion_message.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(CompletionMessageTest, DecodesTheLengthLittleEndian) {
  const unsigned char eight[4] = {8, 0, 0, 0};
  const unsigned char big[4] = {0x78, 0x56, 0x34, 0xF2};
  EXPECT_EQ(8u, DecodeMessageLength(eight));
  EXPECT_EQ(0xF2345678u, DecodeMessageLength(big));
}

TEST(CompletionMessageTest, RecognisesOnlyAWellFormedCopyEnd) {
  const struct {
    const char* name;
    std::string payload;
    bool decoded;
    bool copyEnd;
  } rows[] = {
      {"the installer's message", std::string("COPYEND\0", 8), true, true},
      {"lower case", std::string("copyend\0", 8), true, true},
      {"mixed case", std::string("CopyEnd\0", 8), true, true},
      {"a blank before the zero byte", std::string("COPYEND \0", 9), true, false},
      {"bytes after the zero byte are ignored", std::string("COPYEND\0xyz", 11), true, true},
      {"N of 0", std::string(), false, false},
      {"no zero byte within N", std::string("COPYEND", 7), false, false},
      {"nine characters fit", std::string("COPYENDXY\0", 10), true, false},
      {"ten characters do not fit", std::string("COPYENDXYZ\0", 11), false, false},
      {"a longer text does not fit", std::string(64, 'C') + std::string(1, '\0'), false, false},
      {"empty text", std::string("\0", 1), true, false},
      {"a prefix of the text", std::string("COPY\0", 5), true, false},
  };
  for (const auto& row : rows) {
    char message[kCompletionMessageSize];
    std::memset(message, 0x5A, sizeof message);
    const auto* bytes = reinterpret_cast<const unsigned char*>(row.payload.data());
    EXPECT_EQ(row.decoded, DecodeCompletionPayload(bytes, row.payload.size(), message)) << row.name;
    if (!row.decoded) {
      EXPECT_EQ(std::string(sizeof message, '\0'), std::string(message, sizeof message)) << row.name;
    }
    EXPECT_EQ(row.copyEnd, IsCopyEndMessage(message)) << row.name;
  }
}

TEST(CompletionMessageTest, FormatsTheFollowUpCommandLine) {
  CString line = "untouched";
  ASSERT_TRUE(FormatFollowUpCommandLine("C:\\Program Files\\Suite", 1234, line));
  EXPECT_STREQ("\"C:\\Program Files\\Suite\\System\\Website.exe\" -copyend processid=1234", line);

  // A missing install folder gives the bare "\System\Website.exe".
  ASSERT_TRUE(FormatFollowUpCommandLine("", 7, line));
  EXPECT_STREQ("\"\\System\\Website.exe\" -copyend processid=7", line);

  // The line must fit the 512-byte buffer with its zero byte.
  const std::string fixedPart = "\"\\System\\Website.exe\" -copyend processid=4294967295";
  const CString fits(std::string(511 - fixedPart.size(), 'd'));
  ASSERT_TRUE(FormatFollowUpCommandLine(fits, 4294967295ul, line));
  EXPECT_EQ(511, line.GetLength());
  line = "untouched";
  EXPECT_FALSE(FormatFollowUpCommandLine(fits + "d", 4294967295ul, line));
  EXPECT_STREQ("untouched", line);
}

}  // namespace
