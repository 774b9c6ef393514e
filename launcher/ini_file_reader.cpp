#include "ini_file_reader.h"

#include "section_lookup.h"

bool IniFileReader::Load() {
  opened = file.Open(path, CStdioFile::modeRead | CStdioFile::shareExclusive |
                               CStdioFile::typeText);
  if (!opened) return false;
  lines.RemoveAll();
  CString line;
  while (file.ReadString(line)) lines.Add(line);
  file.Close();
  return true;
}

CString IniFileReader::GetValue(CString section, CString key, CString defaultValue) {
  Load();
  if (!opened) return defaultValue;
  return FindSectionValue(lines, section, key, defaultValue);
}
