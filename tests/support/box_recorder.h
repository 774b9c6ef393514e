// Records the launcher's message boxes through its message-box seam instead of showing them,
// for as long as the recorder lives. Every box is answered with `answer` (IDOK by default).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "message_box.h"
#include "trace_dialog.h"

class BoxRecorder {
 public:
  struct Box {
    std::string text, caption;
    unsigned style;
    std::string traceText;  // the trace window's text while the box was open, if one is watched
  };

  // `trace`: a trace window whose text is recorded with each box, or null.
  explicit BoxRecorder(const TraceDialog* trace = nullptr, int answer = IDOK)
      : trace_(trace), answer_(answer), outer_(current_) {
    current_ = this;
    previous_ = SetMessageBoxFunction(Record);
  }
  ~BoxRecorder() {
    SetMessageBoxFunction(previous_);
    current_ = outer_;
  }
  BoxRecorder(const BoxRecorder&) = delete;
  BoxRecorder& operator=(const BoxRecorder&) = delete;

  const std::vector<Box>& boxes() const { return boxes_; }
  void Clear() { boxes_.clear(); }

 private:
  static int Record(const char* text, const char* caption, unsigned style) {
    BoxRecorder* self = current_;
    self->boxes_.push_back({text, caption, style, self->trace_ != nullptr ? self->trace_->logText.str() : ""});
    return self->answer_;
  }

  static inline BoxRecorder* current_ = nullptr;
  const TraceDialog* trace_;
  int answer_;
  BoxRecorder* outer_;
  MessageBoxFunction previous_ = nullptr;
  std::vector<Box> boxes_;
};
