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
bool ExtractBetween(const CString& startMarker, const CString& endMarker, const CString& text, CString& out,
                    bool includeMarkers);

// The same over views, writing a standard string.
bool ExtractBetween(std::wstring_view startMarker, std::wstring_view endMarker, std::wstring_view text,
                    std::wstring& out, bool includeMarkers);
