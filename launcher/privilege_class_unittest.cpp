#include "privilege_class.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

// The process token opened with `access`; closed by the caller.
HANDLE OwnToken(DWORD access) {
  HANDLE token = nullptr;
  EXPECT_TRUE(OpenProcessToken(GetCurrentProcess(), access, &token));
  return token;
}

std::vector<LUID_AND_ATTRIBUTES> PrivilegesOf(HANDLE token) {
  DWORD size = 0;
  GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
  std::vector<BYTE> buffer(size + sizeof(TOKEN_PRIVILEGES));
  EXPECT_TRUE(GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size));
  const auto* list = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
  return {list->Privileges, list->Privileges + list->PrivilegeCount};
}

// A copy of the process token keeping only the first `keep` of its privileges.
HANDLE TokenWith(DWORD keep) {
  HANDLE own = OwnToken(TOKEN_ALL_ACCESS);
  std::vector<LUID_AND_ATTRIBUTES> drop = PrivilegesOf(own);
  EXPECT_GE(drop.size(), keep);
  drop.erase(drop.begin(), drop.begin() + keep);
  HANDLE restricted = nullptr;
  EXPECT_TRUE(CreateRestrictedToken(own, 0, 0, nullptr, static_cast<DWORD>(drop.size()),
                                    drop.empty() ? nullptr : drop.data(), 0, nullptr, &restricted));
  CloseHandle(own);
  return restricted;
}

TEST(PrivilegeClassOfToken, FollowsTheCountOfARestrictedToken) {
  const DWORD available = static_cast<DWORD>(PrivilegesOf(OwnToken(TOKEN_QUERY)).size());
  ASSERT_GT(available, 20u) << "the test prefix's token has too few privileges to cut down";
  const struct {
    DWORD keep;
    int expected;
  } rows[] = {{0, -1}, {3, -1}, {4, 0}, {10, 0}, {15, 0}, {16, 2}, {20, 2}, {21, 3}};
  for (const auto& row : rows) {
    HANDLE token = TokenWith(row.keep);
    ASSERT_NE(nullptr, token) << row.keep;
    ASSERT_EQ(row.keep, PrivilegesOf(token).size());
    EXPECT_EQ(row.expected, PrivilegeClassOfToken(token)) << row.keep;
    CloseHandle(token);
  }
}

TEST(PrivilegeClassOfToken, UnreadablePrivilegesGiveMinusOne) {
  // A handle without query access: the privilege information cannot be fetched.
  HANDLE own = OwnToken(TOKEN_DUPLICATE);
  ASSERT_NE(nullptr, own);
  EXPECT_EQ(-1, PrivilegeClassOfToken(own));
  CloseHandle(own);
  // Not a token at all.
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  EXPECT_EQ(-1, PrivilegeClassOfToken(event));
  CloseHandle(event);
  EXPECT_EQ(-1, PrivilegeClassOfToken(nullptr));
}

TEST(PrivilegeClassOfToken, OwnTokenIsTheFullAdministrators) {
  // Wine's default user is an administrator with every privilege: it passes the rights test.
  EXPECT_EQ(3, GetPrivilegeClass());
}

}  // namespace
