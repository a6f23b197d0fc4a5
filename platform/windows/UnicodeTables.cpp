// Windows implementation of the Unicode character tables of platform/Unicode.h:
// the kernel's invariant-locale case mapping and character types.
#include <windows.h>

#include "platform/Unicode.h"

namespace platform::detail {

namespace {

// ch mapped by LCMapStringEx with flags; ch itself when the mapping fails or
// does not give one code unit.
wchar_t MapCase(wchar_t ch, DWORD flags) {
    wchar_t out[2] = {};
    const int n = ::LCMapStringEx(LOCALE_NAME_INVARIANT, flags, &ch, 1, out, 2, nullptr, nullptr, 0);
    return n == 1 ? out[0] : ch;
}

}  // namespace

bool SystemIsSpace(wchar_t ch) {
    WORD type = 0;
    return ::GetStringTypeW(CT_CTYPE1, &ch, 1, &type) && (type & C1_SPACE) != 0;
}

wchar_t SystemToUpper(wchar_t ch) { return MapCase(ch, LCMAP_UPPERCASE); }

wchar_t SystemToLower(wchar_t ch) { return MapCase(ch, LCMAP_LOWERCASE); }

}  // namespace platform::detail
