#include "temp_folder_base.h"

namespace {
constexpr char kApplicationData[] = "Application Data";
constexpr int kSuffixLength = 16;
}  // namespace

bool TempBaseFromAppData(const CString& appData, CString& base) {
  if (appData.Right(kSuffixLength).CompareNoCase(kApplicationData) != 0) return false;
  const int keep = appData.GetLength() - (kSuffixLength + 1);
  base = keep > 0 ? appData.Left(keep) : CString();
  return true;
}
