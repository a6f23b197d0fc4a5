// UnicodeCtypeFacet: the wide-character classification and case mapping of
// the regular expressions, from the Unicode tables of platform/Unicode.h
// instead of a named system locale (which not every C++ library provides:
// some know no "C.UTF-8", and some fold ASCII only).
//
// UnicodeLocale() is the classic locale with this facet in place of its
// wide ctype facet: "\s" matches U+3000, "\w" matches "é", "\d" the ASCII
// digits, and a case-blind "björk" matches "BJÖRK", whatever locale the host
// process has set. A wide character is a code unit where wchar_t has 16
// bits: surrogates have no class and no case there, so a letter above U+FFFF
// matches case-blind only in the case it is written in.
//
// The locale is built once and never changes; any thread may use it.
#pragma once

#include <locale>

class UnicodeCtypeFacet : public std::ctype<wchar_t> {
public:
    explicit UnicodeCtypeFacet(size_t refs = 0) : std::ctype<wchar_t>(refs) {}

protected:
    bool do_is(mask m, wchar_t c) const override;
    const wchar_t* do_is(const wchar_t* low, const wchar_t* high, mask* vec) const override;
    const wchar_t* do_scan_is(mask m, const wchar_t* low, const wchar_t* high) const override;
    const wchar_t* do_scan_not(mask m, const wchar_t* low, const wchar_t* high) const override;
    wchar_t do_toupper(wchar_t c) const override;
    const wchar_t* do_toupper(wchar_t* low, const wchar_t* high) const override;
    wchar_t do_tolower(wchar_t c) const override;
    const wchar_t* do_tolower(wchar_t* low, const wchar_t* high) const override;
};

// The classic locale with UnicodeCtypeFacet as its wide ctype facet.
const std::locale& UnicodeLocale();
