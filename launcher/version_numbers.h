// Version numbers: the platform class of the running Windows, the form test of an installed
// suite version, the parser of version strings and the comparison of two parsed versions.
#pragma once

#include <cstdint>

#include "framework/cstring.h"

// The platform class: 0 for the Windows NT family; 1 for Windows 98 and ME; 2 for
// Windows 95; 3 for anything else, including a failed version query.
int ClassifyPlatform(std::uint32_t platformId, std::uint32_t majorVersion,
                     std::uint32_t minorVersion);

// The platform class of the running system, asked afresh on every call (Windows only).
int GetPlatformClass();

// The fields of one parsed version string.
struct VersionRecord {
  std::int32_t major = -1;
  std::int32_t minor = -1;
  std::int32_t build = -1;
  CString code;
  CString letters;
  std::int32_t letters_number = -1;
  std::int32_t sp = -1;
  std::int32_t number = -1;
  CString tag;
  std::int32_t irregular = 0;
};

// The form test of the version recorded for an installed suite: at least 14 characters,
// and the first "6." (else "5.", else "4.") followed by one character and a '.'.
bool IsVersionPlausible(const CString& version);

class VersionParser {
 public:
  virtual ~VersionParser() = default;

  // Fills `record` from `text` and returns true. Returns false, leaving `record` untouched,
  // when `text` is empty, has fewer than three '.' characters, or has fewer than four
  // fields from its start field on (the first field of exactly one character).
  bool Parse(const CString& text, VersionRecord& record) const;
};

// The number at the start of a field as the C run-time's atoi reads it: leading white
// space, an optional sign, decimal digits up to the first other character; 0 without
// digits. Values beyond the 32-bit range are clamped to it.
std::int32_t ReadFieldNumber(const CString& field);

// Compares the codes of the offered and the installed version without regard to case:
// 2 when they are equal, 3 when they differ. No other field takes part.
int CompareVersionCodes(const VersionRecord& offered, const VersionRecord& installed);
