// CWinApp: the application object. Exactly one instance exists; the program's entry calls
// its InitInstance once. The launcher never runs a message loop, and the process always
// ends with exit code 0.
#pragma once

#include <windows.h>

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // The start-up routine. Returning FALSE ends the program without a message loop.
  virtual BOOL InitInstance() { return FALSE; }

  HINSTANCE m_hInstance = nullptr;
  const char* m_lpCmdLine = "";  // the command-line tail: after the program name and blanks
  int m_nCmdShow = SW_SHOWNORMAL;
};

// The one application object, or null.
CWinApp* AfxGetApp();

// Runs the application object; the program's WinMain calls it. Always returns 0.
int AfxWinMain(HINSTANCE instance, const char* commandLineTail, int show);
