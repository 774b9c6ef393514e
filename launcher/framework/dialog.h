// CDialog: a modeless dialog created from a template, with data exchange of strings to
// controls and a paint handler. Only what the trace window needs.
#pragma once

#include <windows.h>

#include "framework/cstring.h"

class CDialog {
 public:
  CDialog(UINT templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Creates the window, hidden unless the template says otherwise, centred on the screen
  // when it has no parent. FALSE when the window could not be created.
  BOOL Create(HINSTANCE instance);
  BOOL ShowWindow(int show) { return m_hWnd != nullptr && ::ShowWindow(m_hWnd, show); }
  BOOL DestroyWindow();

  // Runs the data exchange: FALSE pushes members into controls, TRUE reads them back.
  BOOL UpdateData(BOOL saveAndValidate);

  HWND m_hWnd = nullptr;

 protected:
  // Binds members to controls through DDX_Text.
  virtual void DoDataExchange(BOOL saveAndValidate) { (void)saveAndValidate; }
  virtual void OnPaint();

  // Exchanges `text` with control `id`. Pushing sets the control's whole text, and is
  // skipped when the control already holds exactly that text.
  void DDX_Text(BOOL saveAndValidate, int id, CString& text);

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  UINT m_templateId;
  HWND m_parent;
};
