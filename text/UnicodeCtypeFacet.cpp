// The wide ctype facet over platform/Unicode.h.
#include "text/UnicodeCtypeFacet.h"

#include "platform/Unicode.h"

namespace {

using Mask = std::ctype_base::mask;

// The ctype mask of ch, from its Unicode classes. Only the masks of one
// class are set: "graph" and "alnum" are unions of "alpha", "digit" and
// "punct" in the C++ library, and setting them would set those.
Mask MaskOf(wchar_t ch) {
    const unsigned classes = platform::CharClasses(ch);
    Mask m = 0;
    if (classes & platform::kClassUpper) m |= std::ctype_base::upper;
    if (classes & platform::kClassLower) m |= std::ctype_base::lower;
    if (classes & platform::kClassAlpha) m |= std::ctype_base::alpha;
    if (classes & platform::kClassDigit) m |= std::ctype_base::digit;
    if (classes & platform::kClassXDigit) m |= std::ctype_base::xdigit;
    if (classes & platform::kClassSpace) m |= std::ctype_base::space;
    if (classes & platform::kClassBlank) m |= std::ctype_base::blank;
    if (classes & platform::kClassPunct) m |= std::ctype_base::punct;
    if (classes & platform::kClassCntrl) m |= std::ctype_base::cntrl;
    if (classes & platform::kClassPrint) m |= std::ctype_base::print;
    return m;
}

}  // namespace

bool UnicodeCtypeFacet::do_is(mask m, wchar_t c) const { return (MaskOf(c) & m) != 0; }

const wchar_t* UnicodeCtypeFacet::do_is(const wchar_t* low, const wchar_t* high, mask* vec) const {
    for (; low < high; ++low, ++vec) *vec = MaskOf(*low);
    return high;
}

const wchar_t* UnicodeCtypeFacet::do_scan_is(mask m, const wchar_t* low, const wchar_t* high) const {
    while (low < high && !do_is(m, *low)) ++low;
    return low;
}

const wchar_t* UnicodeCtypeFacet::do_scan_not(mask m, const wchar_t* low, const wchar_t* high) const {
    while (low < high && do_is(m, *low)) ++low;
    return low;
}

wchar_t UnicodeCtypeFacet::do_toupper(wchar_t c) const { return platform::ToUpper(c); }

const wchar_t* UnicodeCtypeFacet::do_toupper(wchar_t* low, const wchar_t* high) const {
    for (; low < high; ++low) *low = platform::ToUpper(*low);
    return high;
}

wchar_t UnicodeCtypeFacet::do_tolower(wchar_t c) const { return platform::ToLower(c); }

const wchar_t* UnicodeCtypeFacet::do_tolower(wchar_t* low, const wchar_t* high) const {
    for (; low < high; ++low) *low = platform::ToLower(*low);
    return high;
}

const std::locale& UnicodeLocale() {
    // The locale owns the facet: it deletes it with its last copy (refs 0).
    static const std::locale locale(std::locale::classic(), new UnicodeCtypeFacet(0));
    return locale;
}
