// ExtractBetween (see ExtractBetween.h for the exact extent).
#include "search/ExtractBetween.h"

bool ExtractBetweenView(std::wstring_view startMarker, std::wstring_view endMarker, std::wstring_view text,
                        std::wstring& out, bool includeMarkers) {
    const size_t s = text.find(startMarker);
    if (s == std::wstring_view::npos) return false;
    const size_t e = text.find(endMarker, s);
    if (e == std::wstring_view::npos || s >= e) return false;
    if (includeMarkers) out.assign(text.substr(s, e - s + endMarker.size()));
    else out.assign(text.substr(s + startMarker.size(), e - s));  // substr cuts at the end of text
    return true;
}
