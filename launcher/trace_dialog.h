// The trace window: a caption-less window with one read-only edit control (1000) that shows
// every trace line written in trace mode ("-show").
#pragma once

#include "framework/dialog.h"

constexpr UINT kTraceDialogTemplate = 132;
constexpr int kTraceEditControl = 1000;

// 1 once the trace window has been created; it is never reset.
extern int traceEnabled;

class TraceDialog : public CDialog {
 public:
  TraceDialog() : CDialog(kTraceDialogTemplate, nullptr) {}

  // Appends CR LF, a blank and `message` to logText and pushes the whole text into the
  // control at once.
  void AppendLine(CString message);

  CString logText;

 protected:
  void DoDataExchange(BOOL saveAndValidate) override;
  // Every repaint pushes the text into the control once more.
  void OnPaint() override;
};
