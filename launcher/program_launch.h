// The two ways the launcher starts programs.
#pragma once

#include "framework/cstring.h"

// The pipe on which the installer reports that it has copied its files.
constexpr const char kCompletionPipeName[] = "\\\\.\\PIPE\\COPYENDPIPE.PIP";

// Starts `program` through the shell (default verb, SW_SHOW, no error UI of the shell's
// own) with `parameters`. With `wait`, waits without limit until it ends. TRUE when it was
// started and, with `wait`, the wait succeeded; the program's exit code plays no part.
// With `showErrors`, a failure shows "shell execute failed!" or "wait failed!" (caption
// "error", error icon) before FALSE is returned.
bool ShellLaunch(const CString& program, const CString& parameters, bool showErrors, bool wait);

// Supplies the installed suite's folder, read when the completion message has arrived.
using InstallDirSource = CString (*)();

// Creates the installer's process with `commandLine` (so an empty string gives it an empty
// command line) and waits for whichever comes first: its end, or the end of the listener on
// `pipeName`. After a "COPYEND" message it starts installDir + "\System\Website.exe" with
// the installer's process id, without waiting. TRUE when it waited and saw either end;
// FALSE when the process, the listener or the wait could not be set up. Shows nothing.
bool LaunchWithCompletionPipe(const CString& program, const CString& commandLine,
                              InstallDirSource installDir,
                              const char* pipeName = kCompletionPipeName);
