// LanguageRes: the fifteen message texts of the pre-installation checks, in the language
// chosen at start-up, read from SetupLan.ini beside the program over built-in English.
#pragma once

#include "framework/cstring.h"

class LanguageRes {
 public:
  // Sets the English defaults, then reads section `languageCode` of SetupLan.ini in the
  // program's folder. Without the file it shows "No SetupLan.ini !" and keeps the defaults.
  explicit LanguageRes(CString languageCode);
  virtual ~LanguageRes() = default;

  CString Error, Warning, Hint, Privilege, ExistQmoPro, ExistFileConvert, ExistVerNum,
      InsVerNum, QmoName, Msg00, Msg01, Msg02, Msg03, Msg04, Msg05;
  CString moduleDir;

  // The texts with their keys in the order they are read. Used by the constructor.
  struct Entry {
    const char* key;
    CString LanguageRes::*text;
    const char* englishDefault;
  };
  static const Entry kEntries[15];
};
