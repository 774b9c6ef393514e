#include "framework/dialog.h"

#include <vector>

namespace {

void CenterOnScreen(HWND window) {
  RECT area = {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT own = {};
  GetWindowRect(window, &own);
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  SetWindowPos(window, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

CDialog::~CDialog() { DestroyWindow(); }

BOOL CDialog::Create(HINSTANCE instance) {
  if (m_hWnd != nullptr) return FALSE;
  HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(m_templateId), m_parent,
                                   DialogProc, reinterpret_cast<LPARAM>(this));
  return window != nullptr;
}

BOOL CDialog::DestroyWindow() {
  if (m_hWnd == nullptr) return FALSE;
  HWND window = m_hWnd;
  m_hWnd = nullptr;
  SetWindowLongPtrA(window, DWLP_USER, 0);
  return ::DestroyWindow(window);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  if (m_hWnd == nullptr) return FALSE;
  DoDataExchange(saveAndValidate);
  return TRUE;
}

void CDialog::OnPaint() {
  PAINTSTRUCT paint;
  BeginPaint(m_hWnd, &paint);
  EndPaint(m_hWnd, &paint);
}

void CDialog::DDX_Text(BOOL saveAndValidate, int id, CString& text) {
  HWND control = GetDlgItem(m_hWnd, id);
  if (control == nullptr) return;
  const int length = GetWindowTextLengthA(control);
  std::vector<char> current(static_cast<std::size_t>(length) + 1, '\0');
  GetWindowTextA(control, current.data(), length + 1);
  if (saveAndValidate) {
    text = current.data();
  } else if (text != current.data()) {
    SetWindowTextA(control, text);
  }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<CDialog*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    self->m_hWnd = window;
    if (self->m_parent == nullptr) CenterOnScreen(window);
    self->UpdateData(FALSE);
    return TRUE;
  }
  auto* self = reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, DWLP_USER));
  if (self == nullptr) return FALSE;
  if (message == WM_PAINT) {
    self->OnPaint();
    return TRUE;
  }
  return FALSE;
}
