#include "framework/win_app.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp() { return g_app; }

int AfxWinMain(HINSTANCE instance, const char* commandLineTail, int show) {
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return 0;
  app->m_hInstance = instance;
  app->m_lpCmdLine = commandLineTail != nullptr ? commandLineTail : "";
  app->m_nCmdShow = show;
  app->InitInstance();  // its result only decides whether a message loop would run: never
  return 0;
}
