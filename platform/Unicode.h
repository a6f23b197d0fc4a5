// Character properties from the Unicode tables, independent of the process locale.
//
// The runtime's towupper() in the "C" locale maps ASCII only; names and INI
// section names compared by the plug-in come from every script, so these
// helpers use the full simple mapping ("BJÖRK" equals "björk"). On POSIX
// systems the tables are those of the C library's built-in "C.UTF-8" locale,
// used through the *_l functions so the process locale (the host's business)
// is never touched; on Windows they are the kernel's invariant-locale tables,
// completed where those leave out a simple mapping, so that case mapping and
// white space give the same answers on both systems.
//
// A wide character is a code point where wchar_t has 32 bits and a UTF-16
// code unit where it has 16. Functions of one wide character see a surrogate
// as such (no case, no class); functions of a text (EqualNoCase,
// CompareNoCase, MapCase) take a surrogate pair as the character it encodes.
//
// Header-only, because CString uses it and a host must be able to use CString
// without linking anything of the plug-in. Thread-safe.
#pragma once

#ifndef _WIN32
#include <locale.h>
#include <wctype.h>
#endif

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Character classes, as bits of the value CharClasses() gives.
enum CharClass : unsigned {
    kClassUpper = 1u << 0,
    kClassLower = 1u << 1,
    kClassAlpha = 1u << 2,
    kClassDigit = 1u << 3,
    kClassXDigit = 1u << 4,
    kClassSpace = 1u << 5,
    kClassBlank = 1u << 6,
    kClassPunct = 1u << 7,
    kClassCntrl = 1u << 8,
    kClassPrint = 1u << 9,
};

namespace detail {

#ifdef _WIN32
// The kernel's tables (platform/windows/UnicodeTables.cpp). Case mapping
// takes code points of every plane; classes take one code unit.
char32_t SystemToUpper(char32_t cp);
char32_t SystemToLower(char32_t cp);
unsigned SystemCharClasses(wchar_t ch);
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

inline char32_t SystemToUpper(char32_t cp) {
    return static_cast<char32_t>(towupper_l(static_cast<wint_t>(cp), UnicodeLocale()));
}
inline char32_t SystemToLower(char32_t cp) {
    return static_cast<char32_t>(towlower_l(static_cast<wint_t>(cp), UnicodeLocale()));
}
inline unsigned SystemCharClasses(wchar_t ch) {
    const auto c = static_cast<wint_t>(ch);
    const locale_t l = UnicodeLocale();
    unsigned classes = 0;
    if (iswupper_l(c, l)) classes |= kClassUpper;
    if (iswlower_l(c, l)) classes |= kClassLower;
    if (iswalpha_l(c, l)) classes |= kClassAlpha;
    if (iswpunct_l(c, l)) classes |= kClassPunct;
    if (iswcntrl_l(c, l)) classes |= kClassCntrl;
    if (iswprint_l(c, l)) classes |= kClassPrint;
    return classes;
}
#endif

// White space beyond ASCII: the Unicode spaces and line separators, without
// the no-break spaces (U+00A0, U+2007, U+202F) and U+0085.
inline bool IsWideSpace(wchar_t ch) {
    return ch == 0x1680 || (ch >= 0x2000 && ch <= 0x2006) || (ch >= 0x2008 && ch <= 0x200A) || ch == 0x2028 ||
           ch == 0x2029 || ch == 0x205F || ch == 0x3000;
}

// The classes of the ASCII characters, as the "C" locale gives them.
inline constexpr unsigned AsciiClasses(unsigned ch) {
    unsigned classes = 0;
    if (ch >= 'A' && ch <= 'Z') classes |= kClassUpper | kClassAlpha;
    if (ch >= 'a' && ch <= 'z') classes |= kClassLower | kClassAlpha;
    if (ch >= '0' && ch <= '9') classes |= kClassDigit;
    if ((ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F') || (ch >= 'a' && ch <= 'f')) classes |= kClassXDigit;
    if (ch == ' ' || (ch >= 9 && ch <= 13)) classes |= kClassSpace;
    if (ch == ' ' || ch == '\t') classes |= kClassBlank;
    if (ch < 0x20 || ch == 0x7F) classes |= kClassCntrl;
    if (ch >= 0x20 && ch < 0x7F) classes |= kClassPrint;
    if (ch > 0x20 && ch < 0x7F && !(classes & (kClassAlpha | kClassDigit))) classes |= kClassPunct;
    return classes;
}

}  // namespace detail

// True where a wide character holds a whole code point (32-bit wchar_t).
// Where it holds a UTF-16 code unit instead, a character above U+FFFF takes
// two wide characters, a high and a low surrogate.
inline constexpr bool kWideHoldsCodePoints = sizeof(wchar_t) >= 4;

// True for the first half of a UTF-16 surrogate pair (U+D800..U+DBFF).
inline bool IsHighSurrogate(wchar_t ch) { return ch >= 0xD800 && ch <= 0xDBFF; }

// True for the second half of a UTF-16 surrogate pair (U+DC00..U+DFFF).
inline bool IsLowSurrogate(wchar_t ch) { return ch >= 0xDC00 && ch <= 0xDFFF; }

// The code point above U+FFFF that the pair high, low encodes (a 16-bit wide
// character cannot hold it: it stays a char32_t there).
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

// True for white space by the Unicode tables (blank, tab, line breaks, the
// wide spaces; not the no-break spaces).
inline bool IsSpace(wchar_t ch) {
    if (ch < 0x80) return ch == L' ' || (ch >= 9 && ch <= 13);
    return detail::IsWideSpace(ch);
}

// The classes of ch (bits of CharClass). Digits are the ASCII ones only, as
// in the C library's tables, where digits of other scripts count as letters.
// Surrogates have no class.
inline unsigned CharClasses(wchar_t ch) {
    if (static_cast<unsigned long>(ch) < 0x80) return detail::AsciiClasses(static_cast<unsigned>(ch));
    if (IsHighSurrogate(ch) || IsLowSurrogate(ch)) return 0;
    unsigned classes = detail::SystemCharClasses(ch) & ~(kClassDigit | kClassXDigit | kClassSpace | kClassBlank);
    if (detail::IsWideSpace(ch)) {
        classes |= kClassSpace;
        if (ch != 0x2028 && ch != 0x2029) classes |= kClassBlank;
    }
    return classes;
}

// The upper-case form of code point cp, of any plane, by simple case mapping.
inline char32_t ToUpperCodePoint(char32_t cp) {
    if (cp < 0x80) return (cp >= U'a' && cp <= U'z') ? cp - 32 : cp;
    return detail::SystemToUpper(cp);
}

// The lower-case form of code point cp, of any plane, by simple case mapping.
inline char32_t ToLowerCodePoint(char32_t cp) {
    if (cp < 0x80) return (cp >= U'A' && cp <= U'Z') ? cp + 32 : cp;
    return detail::SystemToLower(cp);
}

// The upper-case form of ch by simple case mapping (ch itself when it has
// none, and for a surrogate).
inline wchar_t ToUpper(wchar_t ch) {
    if (IsHighSurrogate(ch) || IsLowSurrogate(ch)) return ch;
    const char32_t mapped = ToUpperCodePoint(static_cast<char32_t>(ch));
    return kWideHoldsCodePoints || mapped < 0x10000 ? static_cast<wchar_t>(mapped) : ch;
}

// The lower-case form of ch by simple case mapping (ch itself when it has
// none, and for a surrogate).
inline wchar_t ToLower(wchar_t ch) {
    if (IsHighSurrogate(ch) || IsLowSurrogate(ch)) return ch;
    const char32_t mapped = ToLowerCodePoint(static_cast<char32_t>(ch));
    return kWideHoldsCodePoints || mapped < 0x10000 ? static_cast<wchar_t>(mapped) : ch;
}

namespace detail {

// The code point at text[i] (a surrogate pair where wide characters are
// UTF-16 code units) and the number of elements it takes.
inline char32_t CodePointAt(std::wstring_view text, size_t i, size_t& length) {
    const wchar_t ch = text[i];
    if (!kWideHoldsCodePoints && IsHighSurrogate(ch) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
        length = 2;
        return CodePointOfPair(ch, text[i + 1]);
    }
    length = 1;
    return static_cast<char32_t>(ch);
}

// The upper-case form of the code point at text[i], moving i past it.
inline char32_t NextFolded(std::wstring_view text, size_t& i) {
    size_t length = 1;
    const char32_t cp = CodePointAt(text, i, length);
    i += length;
    return length == 1 ? static_cast<char32_t>(ToUpper(static_cast<wchar_t>(cp))) : ToUpperCodePoint(cp);
}

}  // namespace detail

// Maps text in place to upper case (upper) or lower case, character by
// character, surrogate pairs included. A mapping that would change the number
// of elements a character takes is left out.
inline void MapCase(std::wstring& text, bool upper) {
    for (size_t i = 0; i < text.size();) {
        size_t length = 1;
        const char32_t cp = detail::CodePointAt(text, i, length);
        if (length == 1) {
            text[i] = upper ? ToUpper(text[i]) : ToLower(text[i]);
        } else {
            const char32_t mapped = upper ? ToUpperCodePoint(cp) : ToLowerCodePoint(cp);
            if (mapped >= 0x10000 && mapped <= 0x10FFFF) {
                text[i] = static_cast<wchar_t>(0xD800 + ((mapped - 0x10000) >> 10));
                text[i + 1] = static_cast<wchar_t>(0xDC00 + ((mapped - 0x10000) & 0x3FF));
            }
        }
        i += length;
    }
}

// True when a and b are equal after upper-case mapping of each character.
inline bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size())
        if (detail::NextFolded(a, i) != detail::NextFolded(b, j)) return false;
    return i == a.size() && j == b.size();
}

// Three-way comparison of a and b after upper-case mapping of each character.
inline int CompareNoCase(std::wstring_view a, std::wstring_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t x = detail::NextFolded(a, i);
        const char32_t y = detail::NextFolded(b, j);
        if (x != y) return x < y ? -1 : 1;
    }
    if (i == a.size() && j == b.size()) return 0;
    return i == a.size() ? -1 : 1;
}

}  // namespace platform
