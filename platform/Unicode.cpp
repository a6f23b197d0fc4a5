// Case mapping through the built-in "C.UTF-8" locale of the C library, which
// carries the Unicode tables, used with the *_l functions so the process
// locale (the host's business) is never touched.
#include "platform/Unicode.h"

#include <clocale>
#include <cwctype>
#include <locale.h>
#include <wctype.h>

namespace platform {
namespace {

locale_t UnicodeLocale() {
    static const locale_t loc = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        if (l == static_cast<locale_t>(0)) l = newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(0));
        return l;
    }();
    return loc;
}

}  // namespace

bool IsSpace(wchar_t ch) {
    if (ch < 0x80) return ch == L' ' || (ch >= 9 && ch <= 13);
    return iswspace_l(static_cast<wint_t>(ch), UnicodeLocale()) != 0;
}

wchar_t ToUpper(wchar_t ch) {
    if (ch < 0x80) return (ch >= L'a' && ch <= L'z') ? static_cast<wchar_t>(ch - 32) : ch;
    return static_cast<wchar_t>(towupper_l(static_cast<wint_t>(ch), UnicodeLocale()));
}

wchar_t ToLower(wchar_t ch) {
    if (ch < 0x80) return (ch >= L'A' && ch <= L'Z') ? static_cast<wchar_t>(ch + 32) : ch;
    return static_cast<wchar_t>(towlower_l(static_cast<wint_t>(ch), UnicodeLocale()));
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && ToUpper(a[i]) != ToUpper(b[i])) return false;
    return true;
}

int CompareNoCase(std::wstring_view a, std::wstring_view b) {
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
