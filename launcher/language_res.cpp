#include "language_res.h"

#include <windows.h>

#include "framework/file_find.h"
#include "ini_file_reader.h"
#include "message_box.h"
#include "module_dir.h"

const LanguageRes::Entry LanguageRes::kEntries[15] = {
    {"Error", &LanguageRes::Error, "Error"},
    {"Warning", &LanguageRes::Warning, "Warning"},
    {"Hint", &LanguageRes::Hint, "Hint"},
    {"Privilege", &LanguageRes::Privilege,
     "The current user does not have the right priviledge to run this program.\n"
     "Please contact your administrator."},
    {"ExistQmoPro", &LanguageRes::ExistQmoPro,
     "A running version of Vanu Duvude has been found.\n"
     "Close Vanu Duvude and run the Setup Program again."},
    {"ExistFileConvert", &LanguageRes::ExistFileConvert,
     "File conversion is running. Please close it and try again."},
    {"ExistVerNum", &LanguageRes::ExistVerNum,
     "That installed version of Vanu Duvude is not avalaible at this time!"},
    {"InsVerNum", &LanguageRes::InsVerNum,
     "That version of Vanu Duvude is not avaliable at this time!"},
    {"QmoName", &LanguageRes::QmoName, "Vanu Duvude"},
    {"Msg00", &LanguageRes::Msg00, "The Installation program has detected that %p already exists."},
    {"Msg01", &LanguageRes::Msg01, "Delete Vanu Duvude and re-install."},
    {"Msg02", &LanguageRes::Msg02, "The newest version of Vanu Duvude has already been installed!"},
    {"Msg03", &LanguageRes::Msg03,
     "Do you want to delete Vanu Duvude and install the newest version?"},
    {"Msg04", &LanguageRes::Msg04, ""},
    {"Msg05", &LanguageRes::Msg05, ""},
};

LanguageRes::LanguageRes(CString languageCode) {
  for (const Entry& entry : kEntries) this->*entry.text = entry.englishDefault;
  moduleDir = GetModuleDir();
  const CString path = moduleDir + "\\SetupLan.ini";
  CFileFind finder;
  if (!finder.FindFile(path)) {
    ShowMessageBox("No SetupLan.ini !", "Error", MB_OK);
    return;
  }
  finder.Close();
  IniFileReader reader(path);
  for (const Entry& entry : kEntries) {
    this->*entry.text = reader.GetValue(languageCode, entry.key, this->*entry.text);
  }
}
