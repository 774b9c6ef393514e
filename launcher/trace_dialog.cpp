#include "trace_dialog.h"

int traceEnabled = 0;

void TraceDialog::AppendLine(CString message) {
  logText += CString("\r\n ") + message;
  UpdateData(FALSE);
}

void TraceDialog::DoDataExchange(BOOL saveAndValidate) {
  DDX_Text(saveAndValidate, kTraceEditControl, logText);
}

void TraceDialog::OnPaint() {
  PAINTSTRUCT paint;
  BeginPaint(m_hWnd, &paint);
  UpdateData(FALSE);
  EndPaint(m_hWnd, &paint);
}
