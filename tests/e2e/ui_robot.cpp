// ui_robot.exe REPORT GO-FILE PROGRAM [ARGS...]
// Starts PROGRAM with ARGS, records every message box it shows (caption, text, buttons, icon and
// the trace window's text at that moment) into REPORT, and answers each with OK. Before
// answering a box it writes "OPEN" into REPORT.open and waits (at most 60 s) until GO-FILE
// exists, so that a caller can take a screenshot while the box is on screen.
#include <windows.h>

#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "ui_robot.h"

namespace {

std::string Printable(std::string text) {
  std::string out;
  for (char c : text) out += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  const std::string reportPath = argv[1], goFile = argv[2], program = argv[3];
  std::string commandLine = "\"" + program + "\"";
  for (int i = 4; i < argc; ++i) commandLine += std::string(" ") + argv[i];
  std::ofstream report(reportPath);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    report << "could not start " << program << "\n";
    return 1;
  }
  std::set<HWND> answered;
  while (WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT) {
    const std::vector<HWND> dialogs = FindDialogs(process.dwProcessId);
    const std::string traceText = TraceText(dialogs);
    for (HWND dialog : dialogs) {
      if (IsTraceWindow(dialog) || answered.count(dialog) != 0) continue;
      const MessageBoxView view = ReadMessageBox(dialog);
      report << "box: caption \"" << view.caption << "\", text \"" << Printable(view.text)
             << "\", buttons " << view.buttons << ", icon " << view.icon << "\n";
      if (!traceText.empty()) report << "trace window: \"" << Printable(traceText) << "\"\n";
      report.flush();
      std::ofstream(reportPath + ".open") << "OPEN\n";
      for (int wait = 0; wait < 1200 && GetFileAttributesA(goFile.c_str()) == INVALID_FILE_ATTRIBUTES; ++wait) {
        Sleep(50);
      }
      answered.insert(dialog);
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  report << "exit code: " << exitCode << "\n";
  return 0;
}
