// Feeds arbitrary bytes to the completion-message decoding, as the pipe would deliver them:
// 4 length bytes, then at most that many payload bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "completion_message.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const unsigned char header[4] = {data[0], data[1], data[2], data[3]};
  const std::size_t length = DecodeMessageLength(header);
  if (length > size - 4) return 0;  // the pipe read would fail: no message
  // An exact-size copy, so that a read past the payload is caught by AddressSanitizer.
  std::vector<unsigned char> payload(data + 4, data + 4 + length);
  char message[kCompletionMessageSize];
  const bool decoded = DecodeCompletionPayload(payload.data(), payload.size(), message);
  const bool copyEnd = IsCopyEndMessage(message);
  // Independent oracle: seven letters of COPYEND in any case, then the zero byte.
  bool wellFormed = length >= 8 && payload[7] == 0;
  for (std::size_t i = 0; wellFormed && i < 7; ++i) {
    unsigned char c = payload[i];
    if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 32);
    wellFormed = c == static_cast<unsigned char>("COPYEND"[i]);
  }
  if (copyEnd != wellFormed) __builtin_trap();
  if (copyEnd && !decoded) __builtin_trap();
  return 0;
}
