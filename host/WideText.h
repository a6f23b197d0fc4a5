// Text at the edges of the host: command-line bytes become wide text, wide
// text becomes UTF-8 for the terminal and for JSON, and text that came from a
// web page is made safe to print and measured for table columns.
//
// The host reads its arguments and writes its output as UTF-8, whatever the
// process locale says. Pure functions; safe from any thread.
#pragma once

#include <string>
#include <string_view>

namespace mivo_host {

// Wide text of UTF-8 bytes; each byte that does not belong to a well-formed
// sequence (overlong forms, surrogates and values above U+10FFFF included)
// becomes U+FFFD.
std::wstring FromUtf8(std::string_view bytes);

// UTF-8 bytes of wide text; a surrogate or a value above U+10FFFF becomes U+FFFD,
// so the result is always valid UTF-8.
std::string ToUtf8(std::wstring_view text);

// text with every control character (C0, DEL, C1) replaced: tab and line
// breaks by a blank, the others by U+FFFD, so page text cannot steer a terminal.
std::wstring Printable(std::wstring_view text);

// Columns that text takes on a terminal: 0 for combining marks, 2 for East
// Asian wide and full-width characters, 1 for the rest.
int DisplayWidth(std::wstring_view text);

// text followed by blanks up to width columns (text wider than that is kept whole).
std::wstring PadRight(std::wstring_view text, int width);

// text preceded by blanks up to width columns.
std::wstring PadLeft(std::wstring_view text, int width);

}  // namespace mivo_host
