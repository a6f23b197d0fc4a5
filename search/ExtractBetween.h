// ExtractBetween: the block of a text that a start marker opens, as the album
// details' track walk reads it.
//
// The extent is deliberate and must not be "fixed": without the markers the
// block starts right behind the start marker and is as long as the distance
// from the start marker's position to the end marker's position, so it runs
// on past the end marker's beginning by the start marker's length (for the
// track rows: the whole "</div>" and 20 characters behind it). The track walk
// resumes behind that block.
//
// Pure functions; any thread may call them.
#pragma once

#include <string>
#include <string_view>

#include "platform/CString.h"

// s := first startMarker in text; e := first endMarker at or after s. False,
// with out untouched, when either is missing or s is not before e. Otherwise
// out := with includeMarkers text[s, e + length(endMarker)), else the text
// from s + length(startMarker) of length e - s, cut short at the end of text.
bool ExtractBetweenView(std::wstring_view startMarker, std::wstring_view endMarker, std::wstring_view text,
                        std::wstring& out, bool includeMarkers);

namespace extract_between_detail {
inline std::wstring_view View(const CString& text) { return text.str(); }
inline std::wstring_view View(const std::wstring& text) { return text; }
inline std::wstring_view View(std::wstring_view text) { return text; }
inline std::wstring_view View(const wchar_t* text) { return text ? std::wstring_view(text) : std::wstring_view(); }
inline void Assign(CString& out, std::wstring&& block) { out = CString(std::move(block)); }
inline void Assign(std::wstring& out, std::wstring&& block) { out = std::move(block); }
}  // namespace extract_between_detail

// ExtractBetweenView for any mix of CString, std::wstring, string views and
// wide literals as markers and text; out is a CString or a std::wstring.
template <class Start, class End, class Text, class Out>
bool ExtractBetween(const Start& startMarker, const End& endMarker, const Text& text, Out& out, bool includeMarkers) {
    using namespace extract_between_detail;
    std::wstring block;
    if (!ExtractBetweenView(View(startMarker), View(endMarker), View(text), block, includeMarkers)) return false;
    Assign(out, std::move(block));
    return true;
}
