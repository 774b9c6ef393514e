// Entry point of setup.exe: the one application object, run by the framework's entry.
#include <windows.h>

#include "setup_app.h"

namespace {
SetupApp theApp;
}

SetupApp& TheSetupApp() { return theApp; }

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLineTail, int show) {
  return AfxWinMain(instance, commandLineTail, show);
}
