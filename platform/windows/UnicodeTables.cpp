// Windows implementation of the Unicode character tables of platform/Unicode.h:
// the kernel's invariant-locale case mapping and character types.
//
// The invariant locale leaves out some simple case mappings that the Unicode
// data gives (the micro sign, the dotless i, the long s, the title-case
// digraphs, the Greek symbol letters, ...); a table of our own completes it,
// so that names fold as they do on POSIX systems. Character types come from
// GetStringTypeW, which knows one code unit at a time.
#include <windows.h>

#include <algorithm>
#include <iterator>

#include "platform/Unicode.h"

namespace platform::detail {

namespace {

struct CaseRow {
    char32_t from;
    char32_t to;
};

// Simple upper-case mappings the invariant locale lacks, by code point.
constexpr CaseRow kExtraUpper[] = {
    {0x00B5, 0x039C}, {0x0131, 0x0049}, {0x017F, 0x0053}, {0x01C5, 0x01C4}, {0x01C8, 0x01C7}, {0x01CB, 0x01CA},
    {0x01F2, 0x01F1}, {0x0345, 0x0399}, {0x03C2, 0x03A3}, {0x03D0, 0x0392}, {0x03D1, 0x0398}, {0x03D5, 0x03A6},
    {0x03D6, 0x03A0}, {0x03F0, 0x039A}, {0x03F1, 0x03A1}, {0x03F5, 0x0395}, {0x1C80, 0x0412}, {0x1C81, 0x0414},
    {0x1C82, 0x041E}, {0x1C83, 0x0421}, {0x1C84, 0x0422}, {0x1C85, 0x0422}, {0x1C86, 0x042A}, {0x1C87, 0x0462},
    {0x1C88, 0xA64A}, {0x1E9B, 0x1E60}, {0x1FBE, 0x0399},
};

// Simple lower-case mappings the invariant locale lacks, by code point.
constexpr CaseRow kExtraLower[] = {
    {0x0130, 0x0069}, {0x01C5, 0x01C6}, {0x01C8, 0x01C9}, {0x01CB, 0x01CC}, {0x01F2, 0x01F3},
    {0x03F4, 0x03B8}, {0x1E9E, 0x00DF}, {0x2126, 0x03C9}, {0x212A, 0x006B}, {0x212B, 0x00E5},
};

// The mapping of cp in table, or 0 when the table has none.
template <size_t N>
char32_t Lookup(const CaseRow (&table)[N], char32_t cp) {
    const auto it = std::lower_bound(std::begin(table), std::end(table), cp,
                                     [](const CaseRow& row, char32_t value) { return row.from < value; });
    return it != std::end(table) && it->from == cp ? it->to : 0;
}

// cp mapped by LCMapStringEx with flags, as one code unit or one surrogate
// pair; cp itself when the mapping fails or gives anything else.
char32_t MapCase(char32_t cp, DWORD flags) {
    if (cp > 0x10FFFF) return cp;
    wchar_t in[2];
    int count = 1;
    if (cp < 0x10000) {
        in[0] = static_cast<wchar_t>(cp);
    } else {
        in[0] = static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
        in[1] = static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        count = 2;
    }
    wchar_t out[4] = {};
    const int n = ::LCMapStringEx(LOCALE_NAME_INVARIANT, flags, in, count, out, 4, nullptr, nullptr, 0);
    if (n == 1 && !IsHighSurrogate(out[0]) && !IsLowSurrogate(out[0])) return out[0];
    if (n == 2 && IsHighSurrogate(out[0]) && IsLowSurrogate(out[1])) return CodePointOfPair(out[0], out[1]);
    return cp;
}

}  // namespace

char32_t SystemToUpper(char32_t cp) {
    const char32_t extra = Lookup(kExtraUpper, cp);
    return extra != 0 ? extra : MapCase(cp, LCMAP_UPPERCASE);
}

char32_t SystemToLower(char32_t cp) {
    const char32_t extra = Lookup(kExtraLower, cp);
    return extra != 0 ? extra : MapCase(cp, LCMAP_LOWERCASE);
}

unsigned SystemCharClasses(wchar_t ch) {
    WORD type = 0;
    if (!::GetStringTypeW(CT_CTYPE1, &ch, 1, &type)) return 0;
    unsigned classes = 0;
    if (type & C1_UPPER) classes |= kClassUpper;
    if (type & C1_LOWER) classes |= kClassLower;
    // Digits of other scripts are letters, as in the C library's tables.
    if (type & (C1_ALPHA | C1_DIGIT)) classes |= kClassAlpha;
    if (type & C1_PUNCT) classes |= kClassPunct;
    if (type & C1_CNTRL) classes |= kClassCntrl;
    if ((type & C1_DEFINED) && !(type & C1_CNTRL)) classes |= kClassPrint;
    return classes;
}

}  // namespace platform::detail
