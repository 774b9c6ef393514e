// EngineChecker: re-registers the system libraries the installer engine needs and tests the
// engine's files. Not built yet: Init reports that the check cannot run, so the main
// sequence goes on without it.
#pragma once

#include <windows.h>

class TraceDialog;

class EngineChecker {
 public:
  EngineChecker() = default;
  virtual ~EngineChecker() = default;

  BOOL Init() { return FALSE; }
  BOOL CheckEngine() { return TRUE; }

  TraceDialog* traceWindow = nullptr;  // set in trace mode
};
