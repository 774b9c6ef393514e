#include "completion_pipe.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace {

std::string UniquePipeName() {
  static int next = 0;
  return "\\\\.\\PIPE\\vanu-test-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(next++);
}

// Connects as the installer would (the pipe appears only once the listener thread runs).
HANDLE ConnectClient(const std::string& name) {
  for (int attempt = 0; attempt < 500; ++attempt) {
    HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    Sleep(10);
  }
  return INVALID_HANDLE_VALUE;
}

std::string Header(std::uint32_t n) {
  return std::string{static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16),
                     static_cast<char>(n >> 24)};
}

std::string Message(const std::string& text) {
  return Header(static_cast<std::uint32_t>(text.size() + 1)) + text + std::string(1, '\0');
}

// Runs one listener, sends `bytes` from a client and returns what the listener received.
std::string Exchange(const std::string& bytes) {
  const std::string name = UniquePipeName();
  auto* exchange = new CopyEndExchange;
  exchange->pipeName = name.c_str();
  CopyEndListener listener(exchange);
  EXPECT_TRUE(listener.Start());
  HANDLE client = ConnectClient(name);
  EXPECT_NE(INVALID_HANDLE_VALUE, client);
  DWORD written = 0;
  if (!bytes.empty()) WriteFile(client, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(client);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(listener.thread, 10000));
  CloseHandle(listener.thread);
  std::string message(exchange->message, kCompletionMessageSize);
  exchange->Release();
  return message;
}

const std::string kEmpty(kCompletionMessageSize, '\0');

std::string Padded(const std::string& text) {
  return text + std::string(kCompletionMessageSize - text.size(), '\0');
}

TEST(CompletionPipeTest, ListenerReceivesOneBoundedMessage) {
  const struct {
    const char* name;
    std::string bytes;
    std::string message;
  } rows[] = {
      {"well-formed", Message("COPYEND"), Padded("COPYEND")},
      {"lower case", Message("copyend"), Padded("copyend")},
      {"a blank before the zero byte", Message("COPYEND "), Padded("COPYEND ")},
      {"N of 0", Header(0), kEmpty},
      {"no zero byte within N", Header(7) + "COPYEND", kEmpty},
      {"more than 9 characters", Message("COPYENDCOPYEND"), kEmpty},
      {"fewer bytes than N", Header(20) + "COPYEND", kEmpty},
      {"a huge N", Header(0xFFFFFFFFu) + "COPYEND", kEmpty},
      {"N above the largest payload read", Header(kMaxCompletionPayload + 1) + std::string("COPYEND\0", 8) + std::string(kMaxCompletionPayload, 'x'), kEmpty},
      {"N at the largest payload read", Header(kMaxCompletionPayload) + std::string("COPYEND\0", 8) + std::string(kMaxCompletionPayload - 8, 'x'), Padded("COPYEND")},
      {"half a header", std::string("\x08\x00", 2), kEmpty},
      {"nothing sent", std::string(), kEmpty},
  };
  for (const auto& row : rows) {
    const std::string got = Exchange(row.bytes);
    EXPECT_EQ(row.message, got) << row.name;
  }
}

TEST(CompletionPipeTest, RandomMessagesAreRecognisedExactlyWhenWellFormed) {
  std::mt19937 random(20261211);
  const std::string variants[] = {"COPYEND", "copyend", "CopyEnd", "COPYEN", "COPYEND ", "XOPYEND"};
  for (int i = 0; i < 1000; ++i) {
    std::string bytes;
    switch (random() % 3) {
      case 0:  // a message of one of the variants, its N exact or off by a little
        bytes = Message(variants[random() % 6]);
        if (random() % 4 == 0) bytes[0] = static_cast<char>(bytes[0] + static_cast<int>(random() % 5) - 2);
        break;
      case 1: {  // random text of a random length with a correct N
        std::string text(random() % 16, '\0');
        for (char& c : text) c = static_cast<char>(random() % 256);
        bytes = Header(static_cast<std::uint32_t>(text.size())) + text;
        break;
      }
      default:  // random bytes throughout
        bytes.resize(random() % 24);
        for (char& c : bytes) c = static_cast<char>(random() % 256);
    }
    // The oracle: exactly "COPYEND" in any case with its zero byte inside N bytes that came.
    bool expected = false;
    if (bytes.size() >= 4) {
      const std::uint32_t n = static_cast<unsigned char>(bytes[0]) |
                              static_cast<unsigned char>(bytes[1]) << 8 |
                              static_cast<unsigned char>(bytes[2]) << 16 |
                              static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[3])) << 24;
      if (n >= 8 && bytes.size() - 4 >= n && bytes[11] == '\0') {
        expected = true;
        for (int k = 0; k < 7; ++k) {
          char c = bytes[4 + k];
          if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
          expected = expected && c == "COPYEND"[k];
        }
      }
    }
    char message[kCompletionMessageSize];
    const std::string got = Exchange(bytes);
    std::memcpy(message, got.data(), sizeof message);
    ASSERT_EQ(expected, IsCopyEndMessage(message)) << "message " << i;
  }
}

TEST(CompletionPipeTest, ListenerOutlivesTheWaitingSide) {
  const std::string name = UniquePipeName();
  auto* exchange = new CopyEndExchange;
  exchange->pipeName = name.c_str();
  CopyEndListener listener(exchange);
  ASSERT_TRUE(listener.Start());
  exchange->Release();  // the waiting side returns before any client came
  HANDLE client = ConnectClient(name);
  ASSERT_NE(INVALID_HANDLE_VALUE, client);
  const std::string bytes = Message("COPYEND");
  DWORD written = 0;
  WriteFile(client, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(client);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(listener.thread, 10000));
  DWORD code = 1;
  GetExitCodeThread(listener.thread, &code);
  EXPECT_EQ(0u, code);
  CloseHandle(listener.thread);
}

}  // namespace
