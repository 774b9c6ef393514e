// Decisions of the launcher's start-up that need no Windows call: the trace-mode switch,
// the language code and the program's own folder.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/cstring.h"

// True when the command-line tail (everything after the program name and the blanks that
// follow it) is "-show" as a whole, without regard to case.
bool IsTraceModeTail(const CString& tail);

// The language code for a system default language identifier: 0x0404 "TCH", 0x0411 "JAP",
// 0x0804 "SCH", anything else "ENG". The whole 16-bit identifier is compared.
CString ChooseLanguageCode(std::uint16_t languageId);

// Size of the buffer the launcher gives GetModuleFileNameA, in bytes.
constexpr std::size_t kModulePathCapacity = 260;

// The folder of the running program, without its trailing backslash, from what
// GetModuleFileNameA wrote into a buffer of `capacity` bytes and returned (`length`).
// Empty when the path cannot be determined: the call failed (0), or it filled the buffer
// to the end, which means the path was cut; and empty when the path has no backslash.
CString ModuleDirFromModulePath(const char* buffer, std::size_t length,
                                std::size_t capacity = kModulePathCapacity);
