// Feeds arbitrary text to the version parser, the form test and the code comparison.
#include <cstddef>
#include <cstdint>
#include <string>

#include "version_numbers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const CString text(std::string(reinterpret_cast<const char*>(data), size));
  (void)IsVersionPlausible(text);
  const VersionParser parser;
  VersionRecord record;
  if (parser.Parse(text, record)) {
    if (record.code.GetLength() > 2) __builtin_trap();
    if (CompareVersionCodes(record, record) != 2) __builtin_trap();
  }
  return 0;
}
