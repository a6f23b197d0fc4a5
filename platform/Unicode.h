// Character properties from the Unicode tables, independent of the process locale.
//
// The runtime's towupper() in the "C" locale maps ASCII only; names and INI
// section names compared by the plug-in come from every script, so these
// helpers use the full simple mapping ("BJÖRK" equals "björk"). The tables
// are those of the C library's built-in "C.UTF-8" locale, used through the
// *_l functions so the process locale (the host's business) is never touched.
//
// Header-only, because CString uses it and a host must be able to use CString
// without linking anything of the plug-in. Thread-safe.
#pragma once

#ifndef _WIN32
#include <locale.h>
#include <wctype.h>
#endif

#include <cstddef>
#include <string_view>

namespace platform {

namespace detail {

#ifdef _WIN32
// The kernel's invariant-locale tables.
bool SystemIsSpace(wchar_t ch);
wchar_t SystemToUpper(wchar_t ch);
wchar_t SystemToLower(wchar_t ch);
#else
// The locale that carries the Unicode tables (plain "C" if the C library lacks it).
inline locale_t UnicodeLocale() {
    static const locale_t loc = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        if (l == static_cast<locale_t>(0)) l = newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(0));
        return l;
    }();
    return loc;
}

inline bool SystemIsSpace(wchar_t ch) { return iswspace_l(static_cast<wint_t>(ch), UnicodeLocale()) != 0; }
inline wchar_t SystemToUpper(wchar_t ch) {
    return static_cast<wchar_t>(towupper_l(static_cast<wint_t>(ch), UnicodeLocale()));
}
inline wchar_t SystemToLower(wchar_t ch) {
    return static_cast<wchar_t>(towlower_l(static_cast<wint_t>(ch), UnicodeLocale()));
}
#endif

}  // namespace detail

// True where a wide character holds a whole code point (32-bit wchar_t).
// Where it holds a UTF-16 code unit instead, a character above U+FFFF takes
// two wide characters, a high and a low surrogate.
inline constexpr bool kWideHoldsCodePoints = sizeof(wchar_t) >= 4;

// True for the first half of a UTF-16 surrogate pair (U+D800..U+DBFF).
inline bool IsHighSurrogate(wchar_t ch) { return ch >= 0xD800 && ch <= 0xDBFF; }

// True for the second half of a UTF-16 surrogate pair (U+DC00..U+DFFF).
inline bool IsLowSurrogate(wchar_t ch) { return ch >= 0xDC00 && ch <= 0xDFFF; }

// The code point above U+FFFF that the pair high, low encodes. Only where
// kWideHoldsCodePoints: a 16-bit wide character cannot hold it.
inline char32_t CodePointOfPair(wchar_t high, wchar_t low) {
    return 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (static_cast<char32_t>(low) - 0xDC00);
}

// Copies count UTF-16 code units to out, each surrogate pair joined into the
// code point it encodes; a lone surrogate is copied as it stands. Where wide
// characters are UTF-16 code units themselves (not kWideHoldsCodePoints) the
// pairs stay as they are. out has room for count characters and may be units
// itself (nothing is written ahead of what was read). Returns the number written.
template <typename Unit>
size_t JoinSurrogatePairs(const Unit* units, size_t count, wchar_t* out) {
    size_t written = 0;
    for (size_t i = 0; i < count; ++i) {
        const auto unit = static_cast<wchar_t>(units[i]);
        if (kWideHoldsCodePoints && IsHighSurrogate(unit) && i + 1 < count &&
            IsLowSurrogate(static_cast<wchar_t>(units[i + 1]))) {
            out[written++] = static_cast<wchar_t>(CodePointOfPair(unit, static_cast<wchar_t>(units[i + 1])));
            ++i;
        } else {
            out[written++] = unit;
        }
    }
    return written;
}

// True for white space by the Unicode tables (blank, tab, line breaks, the wide spaces).
inline bool IsSpace(wchar_t ch) {
    if (ch < 0x80) return ch == L' ' || (ch >= 9 && ch <= 13);
    return detail::SystemIsSpace(ch);
}

// The upper-case form of ch by simple case mapping (ch itself when it has none).
inline wchar_t ToUpper(wchar_t ch) {
    if (ch < 0x80) return (ch >= L'a' && ch <= L'z') ? static_cast<wchar_t>(ch - 32) : ch;
    return detail::SystemToUpper(ch);
}

// The lower-case form of ch by simple case mapping (ch itself when it has none).
inline wchar_t ToLower(wchar_t ch) {
    if (ch < 0x80) return (ch >= L'A' && ch <= L'Z') ? static_cast<wchar_t>(ch + 32) : ch;
    return detail::SystemToLower(ch);
}

// True when a and b are equal after upper-case mapping of each element.
inline bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && ToUpper(a[i]) != ToUpper(b[i])) return false;
    return true;
}

// Three-way comparison of a and b after upper-case mapping of each element.
inline int CompareNoCase(std::wstring_view a, std::wstring_view b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const wchar_t x = ToUpper(a[i]);
        const wchar_t y = ToUpper(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace platform
