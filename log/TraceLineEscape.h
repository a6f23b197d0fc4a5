// Control characters in trace lines, made visible.
//
// A trace line is one line in the per-run file and, after the merge, one line
// in the parent log; logged texts come from pages and hosts, so a line break
// or another control character inside one must not start a line of its own
// or hide what follows. Pure functions; any thread may call them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// True for a character that a trace line shows escaped: every C0 control
// character but tab, and DEL.
bool NeedsTraceEscape(wchar_t ch);

// Appends text to line with each character for which NeedsTraceEscape holds
// replaced by a visible escape: "\r" for CR, "\n" for LF, else "\x" and two
// upper-case hexadecimal digits ("\x00", "\x1B", "\x7F"). Tab and backslash
// are kept as they are. At most maxLength characters are appended: an escape
// that would cross that bound is left out whole, with everything after it.
void AppendEscapedTraceText(std::wstring& line, std::wstring_view text, size_t maxLength);
