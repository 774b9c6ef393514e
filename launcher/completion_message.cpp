#include "completion_message.h"

#include <cstring>
#include <string>

std::uint32_t DecodeMessageLength(const unsigned char (&header)[4]) {
  return static_cast<std::uint32_t>(header[0]) | static_cast<std::uint32_t>(header[1]) << 8 |
         static_cast<std::uint32_t>(header[2]) << 16 | static_cast<std::uint32_t>(header[3]) << 24;
}

bool DecodeCompletionPayload(const unsigned char* payload, std::size_t size,
                             char (&message)[kCompletionMessageSize]) {
  std::memset(message, 0, sizeof message);
  if (payload == nullptr || size == 0) return false;
  const void* zero = std::memchr(payload, 0, size);
  if (zero == nullptr) return false;
  const std::size_t length = static_cast<const unsigned char*>(zero) - payload;
  if (length + 1 > sizeof message) return false;
  std::memcpy(message, payload, length + 1);
  return true;
}

bool IsCopyEndMessage(const char (&message)[kCompletionMessageSize]) {
  static const char kText[] = "COPYEND";
  for (std::size_t i = 0; i < sizeof kText; ++i) {
    char ch = message[i];
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    if (ch != kText[i]) return false;
  }
  return true;
}

CString FollowUpProgramPath(const CString& installDir) {
  return installDir + "\\System\\Website.exe";
}

bool FormatFollowUpCommandLine(const CString& installDir, unsigned long processId,
                               CString& commandLine) {
  const CString formatted = CString("\"") + FollowUpProgramPath(installDir) +
                            "\" -copyend processid=" + std::to_string(processId).c_str();
  if (static_cast<std::size_t>(formatted.GetLength()) + 1 > kFollowUpCommandLineSize) return false;
  commandLine = formatted;
  return true;
}
