// Process-level services: time, ids, error texts, debugger output.
//
// Everything here is thread-safe. Error codes are the system's own (errno
// values on POSIX systems, system error codes on Windows), or the HTTP
// layer's codes (platform/HttpError.h, 12000 to 12199).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

// Local calendar date and time of day with milliseconds.
struct LocalTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// The current local date and time.
LocalTime GetLocalTime();

// Milliseconds since an arbitrary start, wrapping at 2^32.
uint32_t GetTickCount();

// A high-resolution counter: nanoseconds of the monotonic clock (on Windows,
// the performance counter scaled to nanoseconds).
uint64_t QueryPerformanceCounter();

// Id of the calling process.
uint32_t CurrentProcessId();

// Id of the calling thread; never 0.
uint32_t CurrentThreadId();

// Pauses the calling thread.
void SleepMilliseconds(uint32_t ms);

// The last error code of the calling thread (errno, or the Windows last error).
uint32_t GetLastError();

// The system's text for an error code followed by CR LF, the line end that
// trace lines quote with it; empty when the system has no text for it.
std::wstring SystemErrorText(uint32_t code);

// Sends text to the system's debugger channel, where the system has one, and
// to the installed sink (none by default).
void DebugOutput(const std::wstring& text);

// Installs the debugger-output sink (an empty function silences it again).
void SetDebugOutputSink(std::function<void(const std::wstring&)> sink);

// Full path of the file of the module (shared library or program) that holds
// address, whatever the current folder is; " (deleted)" follows the name of a
// file removed since it was loaded. Empty when it cannot be found.
std::wstring ModuleFileName(const void* address);

}  // namespace platform
