// FindFirstOccurrence by the prefix-function search: the text is read once,
// and a mismatch falls back within the pattern instead of going back in the text.
#include "text/FirstOccurrence.h"

#include <vector>

size_t FindFirstOccurrence(std::wstring_view text, std::wstring_view pattern, size_t from) {
    constexpr size_t npos = std::wstring_view::npos;
    if (from > text.size() || pattern.size() > text.size() - from) return npos;
    if (pattern.empty()) return from;

    // border[i]: length of the longest proper prefix of pattern[0, i] that is also its suffix.
    std::vector<size_t> border(pattern.size(), 0);
    for (size_t i = 1, length = 0; i < pattern.size(); ++i) {
        while (length > 0 && pattern[i] != pattern[length]) length = border[length - 1];
        if (pattern[i] == pattern[length]) ++length;
        border[i] = length;
    }

    for (size_t i = from, matched = 0; i < text.size(); ++i) {
        while (matched > 0 && text[i] != pattern[matched]) matched = border[matched - 1];
        if (text[i] == pattern[matched]) ++matched;
        if (matched == pattern.size()) return i + 1 - pattern.size();
    }
    return npos;
}
