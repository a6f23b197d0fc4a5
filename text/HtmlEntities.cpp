// DecodeHtmlEntities: the named pass, then the numeric pass, each one walk
// over the text.
//
// Named pass. Replacing the table's references one entry after another, each
// over the whole text, gives the same text as one left-to-right walk that
// replaces every reference where it stands: references ("&" letters-or-digits
// ";") never overlap, and every replacement except the last entry's ("&amp;"
// gives "&") is a character that cannot be part of a reference, so no entry's
// replacement creates or destroys an occurrence of a later entry. The "&"
// that "&amp;" leaves is never looked at again, as the last pass would not.
//
// Numeric pass: text/NumericReferences.cpp.
#include "text/HtmlEntities.h"

#include <string>
#include <string_view>
#include <unordered_map>

#include "text/NumericReferences.h"
#include "text/RegexMatcher.h"

namespace {

constexpr const wchar_t* kNumericReferencePattern = L"&#([0-9]+);";

// The longest name in the table, "&thetasym;", is 10 characters.
constexpr size_t kMaxNamedReferenceLength = 16;

bool IsAsciiAlnum(wchar_t ch) {
    return (ch >= L'0' && ch <= L'9') || (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z');
}

// The table as a lookup from the reference's text to its value. Names are
// plain ASCII, which every supported code page widens to the same characters.
const std::unordered_map<std::string_view, wchar_t>& NamedReferences() {
    static const std::unordered_map<std::string_view, wchar_t> references = [] {
        std::unordered_map<std::string_view, wchar_t> map;
        for (const HtmlEntity* entry = HtmlEntityTable; entry->name; ++entry)
            map.emplace(entry->name, static_cast<wchar_t>(entry->value));
        return map;
    }();
    return references;
}

// The named reference starting at text[pos] ("&" + letters or digits + ";")
// when the table holds it: its length and value.
bool MatchNamedReference(const std::wstring& text, size_t pos, size_t& length, wchar_t& value) {
    char name[kMaxNamedReferenceLength];
    size_t n = 0;
    name[n++] = '&';
    size_t i = pos + 1;
    while (i < text.size() && n + 1 < kMaxNamedReferenceLength && IsAsciiAlnum(text[i]))
        name[n++] = static_cast<char>(text[i++]);
    if (n == 1 || i >= text.size() || text[i] != L';') return false;
    name[n++] = ';';
    const auto& references = NamedReferences();
    const auto found = references.find(std::string_view(name, n));
    if (found == references.end()) return false;
    length = n;
    value = found->second;
    return true;
}

void DecodeNamedReferences(std::wstring& text) {
    size_t pos = text.find(L'&');
    if (pos == std::wstring::npos) return;
    std::wstring out;
    out.reserve(text.size());
    size_t copied = 0;
    while (pos != std::wstring::npos) {
        size_t length = 0;
        wchar_t value = 0;
        if (MatchNamedReference(text, pos, length, value)) {
            out.append(text, copied, pos - copied);
            out += value;
            copied = pos + length;
            pos = text.find(L'&', copied);
        } else {
            pos = text.find(L'&', pos + 1);
        }
    }
    out.append(text, copied, std::wstring::npos);
    text.swap(out);
}

}  // namespace

void DecodeHtmlEntities(CString& text) {
    if (text.IsEmpty()) {
        // An empty text gets the matcher's Warning line for an empty subject.
        CRegexMatcher matcher;
        matcher.FindFirst(text, kNumericReferencePattern, true);
        return;
    }
    std::wstring& chars = text.str();
    DecodeNamedReferences(chars);
    chars = DecodeNumericReferences(std::move(chars));
}
