// Every message box of the launcher goes through ShowMessageBox: no owner window, the text,
// the caption and the style flags as given. Tests replace the box with a recorder.
#pragma once

using MessageBoxFunction = int (*)(const char* text, const char* caption, unsigned style);

// Shows the box (MessageBoxA without owner) and returns the button the user chose.
int ShowMessageBox(const char* text, const char* caption, unsigned style);

// Replaces the box for tests; nullptr restores the real one. Returns the previous function.
MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction replacement);
