#include "registry_record.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A private key below HKEY_CURRENT_USER for one test, deleted afterwards.
class RegistryRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    keyName_ = "Software\\vanu-test-" + std::to_string(GetCurrentProcessId());
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, keyName_.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key_, nullptr));
  }
  void TearDown() override {
    RegCloseKey(key_);
    RegDeleteKeyA(HKEY_CURRENT_USER, keyName_.c_str());
  }
  void SetBytes(const char* name, const std::string& bytes, DWORD type = REG_SZ) {
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key_, name, 0, type,
                                            reinterpret_cast<const BYTE*>(bytes.data()),
                                            static_cast<DWORD>(bytes.size())));
  }
  CString Read(const char* name) { return ReadRegistryText(HKEY_CURRENT_USER, keyName_.c_str(), name); }

  std::string keyName_;
  HKEY key_ = nullptr;
};

TEST_F(RegistryRecordTest, ReadsTextThatFitsTheBuffer) {
  const std::string fits(259, 'a');
  const struct {
    const char* name;
    std::string bytes;
    DWORD type;
    std::string expected;
  } rows[] = {
      {"plain", std::string("C:\\Suite\0", 9), REG_SZ, "C:\\Suite"},
      {"259 characters and the zero byte", fits + std::string(1, '\0'), REG_SZ, fits},
      {"260 bytes without a zero byte", std::string(260, 'b'), REG_BINARY, ""},
      {"longer than the buffer", std::string(400, 'c') + std::string(1, '\0'), REG_SZ, ""},
      {"any value type is read", std::string("x\0", 2), REG_EXPAND_SZ, "x"},
      {"text up to the first zero byte", std::string("ab\0cd\0", 6), REG_BINARY, "ab"},
  };
  for (const auto& row : rows) {
    SetBytes(row.name, row.bytes, row.type);
    EXPECT_EQ(row.expected, Read(row.name).str()) << row.name;
  }
}

TEST_F(RegistryRecordTest, MissingKeyOrValueReadsEmpty) {
  EXPECT_STREQ("", Read("absent"));
  EXPECT_STREQ("", ReadRegistryText(HKEY_CURRENT_USER, "Software\\vanu-no-such-key", "x"));
}

}  // namespace
