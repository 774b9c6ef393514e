// ui_robot.exe REPORT GO-FILE PROGRAM [ARGS...]
// Starts PROGRAM with ARGS, records every message box it shows (caption, text, buttons, and
// the trace window's text at that moment) into REPORT, and answers each with OK. Before
// answering a box it writes "OPEN" into REPORT.open and waits (at most 60 s) until GO-FILE
// exists, so that a caller can take a screenshot while the box is on screen.
#include <windows.h>

#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

std::string WindowText(HWND window) {
  char text[8192] = {};
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 2000, &result);
  return text;
}

struct Collected {
  DWORD processId;
  std::vector<HWND> dialogs;
};

BOOL CALLBACK CollectDialogs(HWND window, LPARAM param) {
  auto* collected = reinterpret_cast<Collected*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (owner == collected->processId && std::strcmp(cls, "#32770") == 0 && IsWindowVisible(window)) {
    collected->dialogs.push_back(window);
  }
  return TRUE;
}

BOOL CALLBACK CollectButtons(HWND window, LPARAM param) {
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (_stricmp(cls, "Button") == 0) {
    auto* buttons = reinterpret_cast<std::string*>(param);
    if (!buttons->empty()) *buttons += ",";
    *buttons += WindowText(window);
  }
  return TRUE;
}

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
    Collected collected{process.dwProcessId, {}};
    EnumWindows(CollectDialogs, reinterpret_cast<LPARAM>(&collected));
    std::string traceText;
    for (HWND dialog : collected.dialogs) {
      if (HWND edit = GetDlgItem(dialog, 1000)) traceText = WindowText(edit);
    }
    for (HWND dialog : collected.dialogs) {
      if (GetDlgItem(dialog, 1000) != nullptr || answered.count(dialog) != 0) continue;
      std::string buttons;
      EnumChildWindows(dialog, CollectButtons, reinterpret_cast<LPARAM>(&buttons));
      report << "box: caption \"" << WindowText(dialog) << "\", text \""
             << Printable(WindowText(GetDlgItem(dialog, 0xFFFF))) << "\", buttons " << buttons << "\n";
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
