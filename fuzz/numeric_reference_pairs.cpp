// Fuzz target: surrogate halves written as numeric references, among the
// pieces that make, break and complete references.
//
// The fuzz bytes pick a sequence of pieces (high and low halves in decimal
// with leading zeros, other values good and bad, escaped ampersands, loose
// "&", "#", digits and ";", halves already in the text). DecodeHtmlEntities
// must give what a plain model gives: every named reference replaced over
// the whole text, entry after entry; then the first numeric reference from
// the start searched again and again, every copy of a valid one replaced by
// its code unit, the search moved past a bad one; last, each high half
// followed at once by a low half, one of them written by a reference, made
// one character. And directly: two references that form a pair give the
// one code point, a lone half gives U+FFFD once the text is UTF-8.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/CodePage.h"
#include "platform/Unicode.h"
#include "text/HtmlEntities.h"

using fuzzsupport::Require;

namespace {

// Reads the fuzz bytes one at a time; 0 once they are used up.
class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : m_bytes(bytes) {}
    bool AtEnd() const { return m_at >= m_bytes.size(); }
    unsigned Next() { return AtEnd() ? 0 : static_cast<unsigned char>(m_bytes[m_at++]); }
    unsigned Next16() { return Next() | Next() << 8; }

private:
    std::string_view m_bytes;
    size_t m_at = 0;
};

std::wstring Reference(uint32_t value, unsigned leadingZeros) {
    return L"&#" + std::wstring(leadingZeros, L'0') + std::to_wstring(value) + L";";
}

// The text the bytes describe, at most maxPieces pieces.
std::wstring MakeText(ByteReader& in, size_t maxPieces) {
    std::wstring text;
    for (size_t piece = 0; piece < maxPieces && !in.AtEnd(); ++piece) {
        const unsigned choice = in.Next();
        switch (choice % 16) {
            case 0: text += Reference(0xD800 + in.Next16() % 0x400, choice / 16 % 3); break;
            case 1: text += Reference(0xDC00 + in.Next16() % 0x400, choice / 16 % 3); break;
            case 2: text += Reference((in.Next16() | (in.Next() & 1) << 16), 0); break;
            case 3: text += L"&#38;"; break;
            case 4: text += L"&amp;"; break;
            case 5: text += L"&"; break;
            case 6: text += L"#"; break;
            case 7: text += L";"; break;
            case 8: text += static_cast<wchar_t>(L'0' + choice / 16 % 10); break;
            case 9: text += static_cast<wchar_t>(L'a' + choice / 16); break;
            case 10: text += static_cast<wchar_t>((choice & 0x10 ? 0xDC00 : 0xD800) + in.Next() * 4); break;
            case 11: text += L"&#35;"; break;
            case 12: text += L"&#59;"; break;
            case 13: text += Reference(48 + choice / 16 % 10, 0); break;
            case 14: text += L" "; break;
            default: text += L"&lt;"; break;
        }
    }
    return text;
}

// One element of the model's text: a wide character and whether a numeric
// reference wrote it.
struct Unit {
    wchar_t ch;
    bool written;
};
using Units = std::vector<Unit>;

bool SameText(const Units& text, size_t at, std::wstring_view what) {
    if (at + what.size() > text.size()) return false;
    for (size_t i = 0; i < what.size(); ++i)
        if (text[at + i].ch != what[i]) return false;
    return true;
}

// Every copy of what, left to right without overlap, replaced by one unit
// (in place: the text only gets shorter).
void ReplaceAll(Units& text, std::wstring_view what, Unit by) {
    size_t out = 0;
    for (size_t i = 0; i < text.size();) {
        if (SameText(text, i, what)) {
            text[out++] = by;
            i += what.size();
        } else {
            text[out++] = text[i++];
        }
    }
    text.resize(out);
}

std::wstring Chars(const Units& text, size_t from, size_t to) {
    std::wstring chars;
    for (size_t i = from; i < to; ++i) chars += text[i].ch;
    return chars;
}

std::wstring Model(const std::wstring& input) {
    Units text;
    for (wchar_t ch : input) text.push_back({ch, false});
    static const std::vector<std::pair<std::wstring, wchar_t>> named = [] {
        std::vector<std::pair<std::wstring, wchar_t>> entries;
        for (const HtmlEntity* entry = HtmlEntityTable; entry->name; ++entry) {
            const std::string_view name(entry->name);
            entries.emplace_back(std::wstring(name.begin(), name.end()), static_cast<wchar_t>(entry->value));
        }
        return entries;
    }();
    for (const auto& [name, value] : named) ReplaceAll(text, name, {value, false});
    size_t from = 0;
    for (;;) {
        // The first "&#digits;" at or after from.
        size_t start = from;
        size_t end = 0;
        for (; start + 1 < text.size(); ++start) {
            if (text[start].ch != L'&' || text[start + 1].ch != L'#') continue;
            end = start + 2;
            while (end < text.size() && text[end].ch >= L'0' && text[end].ch <= L'9') ++end;
            if (end > start + 2 && end < text.size() && text[end].ch == L';') break;
        }
        if (start + 1 >= text.size()) break;
        uint64_t value = 0;
        for (size_t i = start + 2; i < end; ++i) value = std::min<uint64_t>(value * 10 + (text[i].ch - L'0'), 1u << 20);
        if (value >= 1 && value <= 65535) {
            ReplaceAll(text, Chars(text, start, end + 1), {static_cast<wchar_t>(value), true});
            from = 0;
        } else {
            from = end + 1;
        }
    }
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        const Unit unit = text[i];
        if (i + 1 < text.size() && unit.ch >= 0xD800 && unit.ch <= 0xDBFF && text[i + 1].ch >= 0xDC00 &&
            text[i + 1].ch <= 0xDFFF && (unit.written || text[i + 1].written)) {
            out += static_cast<wchar_t>(0x10000 + (unit.ch - 0xD800) * 0x400 + (text[i + 1].ch - 0xDC00));
            ++i;
        } else {
            out += unit.ch;
        }
    }
    return out;
}

std::wstring Decoded(const std::wstring& input) {
    CString text(input);
    DecodeHtmlEntities(text);
    return text.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!platform::kWideHoldsCodePoints) return 0;
    ByteReader in(std::string_view(reinterpret_cast<const char*>(data), size));

    // One pair, one lone half of each kind, in decimal with leading zeros.
    const uint32_t high = 0xD800 + in.Next16() % 0x400;
    const uint32_t low = 0xDC00 + in.Next16() % 0x400;
    const unsigned zeros = in.Next() % 4;
    const uint32_t codePoint = 0x10000 + (high - 0xD800) * 0x400 + (low - 0xDC00);
    Require(Decoded(L"x" + Reference(high, zeros) + Reference(low, 3 - zeros) + L"y") ==
                std::wstring{L'x', static_cast<wchar_t>(codePoint), L'y'},
            "a high and a low half written as references give the one code point");
    Require(platform::ToUtf8(Decoded(L"x" + Reference(high, zeros) + L"y")) == "x\xEF\xBF\xBDy",
            "a lone high half is U+FFFD in UTF-8");
    Require(platform::ToUtf8(Decoded(L"x" + Reference(low, zeros) + Reference(high, zeros) + L"y")) ==
                "x\xEF\xBF\xBD\xEF\xBF\xBDy",
            "a low half before a high half are two lone halves");

    // The pieces the rest of the bytes describe, against the model.
    const std::wstring input = MakeText(in, 400);
    Require(Decoded(input) == Model(input), "decoding agrees with the plain model");
    return 0;
}
