// The installer's completion message on the named pipe, and the follow-up command line.
// Wire format: a 32-bit little-endian byte count N, then N bytes: the text and its zero byte.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/cstring.h"

// The message buffer shared with the pipe listener: at most 9 characters and a zero byte.
constexpr std::size_t kCompletionMessageSize = 10;

// The largest payload the listener reads; a larger N is taken as a malformed message.
constexpr std::uint32_t kMaxCompletionPayload = 4096;

// The byte count at the start of a message, from its first 4 bytes.
std::uint32_t DecodeMessageLength(const unsigned char (&header)[4]);

// Copies the text of the N payload bytes into `message` with its zero byte and returns true,
// when a zero byte lies within the payload and the text fits the buffer (at most 9
// characters). Otherwise `message` is left all zero and the result is false. Never reads
// past `size` bytes of `payload` nor writes past `message`.
bool DecodeCompletionPayload(const unsigned char* payload, std::size_t size,
                             char (&message)[kCompletionMessageSize]);

// True when `message` holds a non-empty text equal to "COPYEND" without regard to case.
bool IsCopyEndMessage(const char (&message)[kCompletionMessageSize]);

// The follow-up program's command line: the quoted path installDir + "\System\Website.exe",
// then " -copyend processid=" and the installer's process id in decimal. False, with
// `commandLine` untouched, when it would not fit the 512-byte command-line buffer.
bool FormatFollowUpCommandLine(const CString& installDir, unsigned long processId,
                               CString& commandLine);

// The follow-up program's path for an install folder.
CString FollowUpProgramPath(const CString& installDir);

// Size of the command-line buffer, including its terminating zero byte.
constexpr std::size_t kFollowUpCommandLineSize = 512;
