// The folder of the running test program, where the build puts the programs it runs.
#pragma once

#include <windows.h>

#include <string>

inline std::string OwnFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string s(path);
  return s.substr(0, s.rfind('\\'));
}
