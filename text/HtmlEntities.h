// HTML character references in wide text: the table of named references and
// DecodeHtmlEntities, which replaces named references first, then decimal
// numeric references ("&#65;"), in place.
//
// The table is constant data; DecodeHtmlEntities works on the caller's string
// only and may be called from any thread.
#pragma once

#include <cstddef>

#include "platform/CString.h"

// One named reference: the whole reference with "&" and ";" ("&amp;") and the
// code unit that replaces it.
struct HtmlEntity {
    const char* name;
    int value;
};

// Number of named references in HtmlEntityTable.
constexpr size_t HtmlEntityCount = 253;

// The named references in the order they are replaced, then one entry whose
// name is null. "&nbsp;" gives a plain blank (32); "&amp;" comes last.
extern const HtmlEntity HtmlEntityTable[HtmlEntityCount + 1];

// Replaces, in text, every named reference of HtmlEntityTable (exact case,
// each table entry in turn over the whole text) and then every decimal
// reference "&#digits;" whose value lies in 1..65535 by that code unit. A
// numeric reference outside that range stays in place and is reported once at
// level Error (the first 10 of a text one by one, then their number); an empty
// text is reported at level Warning. A replacement that completes a numeric
// reference in front of it ("&&#35;38;") decodes that too. A surrogate pair
// written as two references gives its one character (see NumericReferences.h).
void DecodeHtmlEntities(CString& text);
