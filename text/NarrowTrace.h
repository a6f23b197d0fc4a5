// The one way a message assembled as 8-bit text reaches the trace log: it is
// widened with the calling thread's ANSI code page first, as every such
// message of the plug-in is. Any thread may call it.
#pragma once

#include <string>

// True when a line at level would be written now (the log is open and its
// level lets the line pass), so callers can skip assembling costly messages.
bool IsTraceLevelWritten(int level);

// Widens message (up to its first zero byte) with the thread's ANSI code page
// and writes it literally at level. Throws what NarrowToWide throws.
void WriteNarrowTrace(int level, const std::string& message);

// Narrows text (up to its first zero element) with the thread's ANSI code
// page; characters the page lacks become "?". Throws what WideToNarrow throws.
std::string NarrowForTrace(const wchar_t* text);
