// Character properties from the Unicode tables, independent of the process locale.
//
// The runtime's towupper() in the "C" locale maps ASCII only; names and INI
// section names compared by the plug-in come from every script, so these
// helpers use the full simple mapping ("BJÖRK" equals "björk"). Thread-safe.
#pragma once

#include <string_view>

namespace platform {

// True for white space by the Unicode tables (blank, tab, line breaks, the wide spaces).
bool IsSpace(wchar_t ch);

// The upper-case form of ch by simple case mapping (ch itself when it has none).
wchar_t ToUpper(wchar_t ch);

// The lower-case form of ch by simple case mapping (ch itself when it has none).
wchar_t ToLower(wchar_t ch);

// True when a and b are equal after upper-case mapping of each element.
bool EqualNoCase(std::wstring_view a, std::wstring_view b);

// Three-way comparison of a and b after upper-case mapping of each element.
int CompareNoCase(std::wstring_view a, std::wstring_view b);

}  // namespace platform
