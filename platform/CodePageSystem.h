// What the code-page conversions take from the system: the characters of a
// single-byte page and the page the process's locale names. One
// implementation per system. Thread-safe.
#pragma once

#include <array>
#include <optional>

namespace platform {

// The characters of the 256 bytes of a single-byte page, by byte value.
using SingleBytePage = std::array<wchar_t, 256>;

// The characters of single-byte page codePage; nullopt when the system does
// not know the page. A byte the page leaves undefined maps to the code point
// of the same value, so that every byte decodes to a character that encodes
// back to it.
std::optional<SingleBytePage> SystemSingleBytePage(int codePage);

// The code page that the process's locale names, or 0 when it names none.
int SystemAnsiCodePage();

}  // namespace platform
