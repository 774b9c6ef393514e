// The UI robot's eyes: the visible dialog-class windows of a process, the launcher's trace
// window among them (the one with edit control 1000), and what a message box shows.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

// The text of a window of another process: WM_GETTEXT is marshalled across processes,
// whereas GetWindowText would give only the name the window was created with.
inline std::string WindowText(HWND window) {
  char text[8192] = {};
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 2000, &result);
  return text;
}

struct DialogSearch {
  DWORD processId;
  std::vector<HWND> dialogs;
};

// Enumeration callbacks are stdcall functions; lambdas do not convert to them in 32-bit code.
inline BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (owner == search->processId && std::strcmp(cls, "#32770") == 0 && IsWindowVisible(window)) {
    search->dialogs.push_back(window);
  }
  return TRUE;
}

inline BOOL CALLBACK CollectButtonLabel(HWND window, LPARAM param) {
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (_stricmp(cls, "Button") == 0) {
    auto* buttons = reinterpret_cast<std::string*>(param);
    if (!buttons->empty()) *buttons += ",";
    *buttons += WindowText(window);
  }
  return TRUE;
}

// The visible top-level dialog-class (#32770) windows of process `processId`.
inline std::vector<HWND> FindDialogs(DWORD processId) {
  DialogSearch search{processId, {}};
  EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
  return search.dialogs;
}

inline bool IsTraceWindow(HWND dialog) { return GetDlgItem(dialog, 1000) != nullptr; }

// The trace window's text among `dialogs`, or "" when none of them is the trace window.
inline std::string TraceText(const std::vector<HWND>& dialogs) {
  for (HWND dialog : dialogs) {
    if (IsTraceWindow(dialog)) return WindowText(GetDlgItem(dialog, 1000));
  }
  return std::string();
}

struct MessageBoxView {
  std::string caption, text, buttons;  // buttons: their labels, separated by commas
};

inline MessageBoxView ReadMessageBox(HWND box) {
  MessageBoxView view{WindowText(box), WindowText(GetDlgItem(box, 0xFFFF)), {}};
  EnumChildWindows(box, CollectButtonLabel, reinterpret_cast<LPARAM>(&view.buttons));
  return view;
}
