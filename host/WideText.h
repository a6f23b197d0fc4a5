// Text at the edges of the host: command-line bytes become wide text, wide
// text becomes UTF-8 for the terminal and for JSON, and text that came from a
// web page is made safe to print and measured for table columns.
//
// The host reads its arguments and writes its output as UTF-8, whatever the
// process locale says. Pure functions; safe from any thread.
#pragma once

#include <string>
#include <string_view>

#include "platform/Utf8.h"

namespace mivo_host {

// UTF-8 to wide text and back, as the plug-in converts: each maximal invalid
// subpart of the bytes becomes one U+FFFD, and what UTF-8 cannot carry
// (surrogates, values above U+10FFFF) is written as U+FFFD.
using platform::FromUtf8;
using platform::ToUtf8;

// text with every control character (C0, DEL, C1) replaced: tab and line
// breaks by a blank, the others by U+FFFD, so page text cannot steer a terminal.
std::wstring Printable(std::wstring_view text);

// Columns that text takes on a terminal: 0 for combining marks, 2 for East
// Asian wide and full-width characters, 1 for the rest; a surrogate pair
// counts as the one character it encodes.
int DisplayWidth(std::wstring_view text);

// text followed by blanks up to width columns (text wider than that is kept whole).
std::wstring PadRight(std::wstring_view text, int width);

// text preceded by blanks up to width columns.
std::wstring PadLeft(std::wstring_view text, int width);

}  // namespace mivo_host
