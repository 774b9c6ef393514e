#include "message_box.h"

#include <windows.h>

namespace {

int RealMessageBox(const char* text, const char* caption, unsigned style) {
  return MessageBoxA(nullptr, text, caption, style);
}

MessageBoxFunction g_messageBox = RealMessageBox;

}  // namespace

int ShowMessageBox(const char* text, const char* caption, unsigned style) {
  return g_messageBox(text, caption, style);
}

MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction replacement) {
  MessageBoxFunction previous = g_messageBox;
  g_messageBox = replacement != nullptr ? replacement : RealMessageBox;
  return previous;
}
