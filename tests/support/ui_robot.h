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

// The icon control of a message box (a static control with the SS_ICON style).
inline BOOL CALLBACK FindIconControl(HWND window, LPARAM param) {
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (_stricmp(cls, "Static") == 0 && (GetWindowLongA(window, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
  }
  return TRUE;
}

// Which icon a message box shows, told by the colours on a 24-bit screen, since icon
// handles cannot be compared across processes: "error" (red), "warning" (yellow), "blue"
// (information or question) or "none".
inline std::string ClassifyIconPixels(HWND box) {
  HWND icon = nullptr;
  EnumChildWindows(box, FindIconControl, reinterpret_cast<LPARAM>(&icon));
  if (icon == nullptr || !IsWindowVisible(icon)) return "none";
  RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT rect = {};
  GetWindowRect(icon, &rect);
  HDC screen = GetDC(nullptr);
  int red = 0, yellow = 0, blue = 0;
  for (LONG y = rect.top; y < rect.bottom; ++y) {
    for (LONG x = rect.left; x < rect.right; ++x) {
      const COLORREF c = GetPixel(screen, x, y);
      const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
      if (r > 150 && g < 100 && b < 100) ++red;
      else if (r > 150 && g > 150 && b < 100) ++yellow;
      else if (b > 150 && r < 120) ++blue;
    }
  }
  ReleaseDC(nullptr, screen);
  const int enough = 100;  // a 32 x 32 icon shows several hundred pixels of its colour
  if (yellow >= enough) return "warning";
  if (red >= enough) return "error";
  if (blue >= enough) return "blue";
  return "none";
}

// The icon, read again after a moment when nothing was seen, since a box just found may
// not have been painted yet.
inline std::string ReadBoxIcon(HWND box) {
  std::string icon = "none";
  for (int attempt = 0; attempt < 3 && icon == "none"; ++attempt) {
    Sleep(100);
    icon = ClassifyIconPixels(box);
  }
  return icon;
}

struct MessageBoxView {
  std::string caption, text, buttons;  // buttons: their labels, separated by commas
  std::string icon;                    // see ReadBoxIcon
};

inline MessageBoxView ReadMessageBox(HWND box) {
  MessageBoxView view{WindowText(box), WindowText(GetDlgItem(box, 0xFFFF)), {}, ReadBoxIcon(box)};
  EnumChildWindows(box, CollectButtonLabel, reinterpret_cast<LPARAM>(&view.buttons));
  return view;
}
