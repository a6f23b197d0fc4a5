// CNameMatcher: how far apart two artist names are, as a weighted edit
// distance, and SwapFirstWord, the one name variant the artist lookup tries.
//
// Inserting, deleting or replacing a character is priced by the kind of
// character (punctuation, digit, blank, anything else); differences inside
// brackets cost a tenth, and letter case does not count unless the matcher is
// case-sensitive. All arithmetic is 32-bit float, each product and sum rounded
// to float, so results are reproducible to the last bit.
//
// Names are compared element by element, as CString holds them: code points
// where wchar_t has 32 bits (Linux), UTF-16 code units where it has 16
// (Windows). The two agree on every name whose letters lie in the Basic
// Multilingual Plane. A letter above U+FFFF is one element on Linux and two
// (a surrogate pair, each half of class "other") on Windows: deleting or
// inserting it costs 70 on Linux and 140 on Windows; replacing it by another
// such letter costs 100 on Linux, and on Windows 100 when the two share their
// high half, else 200; and its case is ignored on Linux only, since a lone
// half has no case.
//
// A matcher is a small value created on the caller's stack for one search; it
// holds no state besides its two settings and is used by one thread at a time.
// GetDifference keeps two rows of the distance table, never the whole table,
// so memory grows with the shorter name only.
#pragma once

#include "platform/CString.h"

class CNameMatcher {
public:
    // A matcher that ignores letter case (Unicode simple mapping) unless caseSensitive.
    explicit CNameMatcher(bool caseSensitive);

    // The difference of the two names after trimming white space at both ends;
    // 0 means equal under the case rule. Symmetric in its arguments.
    float GetDifference(const CString& first, const CString& second) const;

    // The same difference as GetDifference when it is strictly below threshold;
    // otherwise some value not below threshold. Time grows with the longer
    // name times the threshold, not with the product of the lengths.
    float GetDifferenceBelow(const CString& first, const CString& second, float threshold) const;

    // The class of ch: 4 none (U+0000), 1 digit, 3 blank, 0 ASCII punctuation, 2 anything else.
    static int GetCharClass(wchar_t ch);

    // The cost of replacing a by b; U+0000 on one side gives the insertion or deletion cost.
    static float GetCharCost(wchar_t a, wchar_t b);

    // True when index i of first or index j of second lies inside a bracket pair
    // that does not enclose its whole name. first and second are trimmed names.
    static bool IsInsideBrackets(const CString& first, const CString& second, int i, int j);

    float m_fBracketFactor;
    int m_bCaseSensitive;

private:
    float Compute(const CString& first, const CString& second, float threshold) const;
};

// name with its first word moved to the end: the text from the first blank on,
// a blank, then the first word, with blanks removed from the front. A name
// without a blank comes back unchanged.
CString SwapFirstWord(const CString& name);
