// Printable text and display widths for the host's output.
#include "host/WideText.h"

#include <array>
#include <utility>

#include "platform/Unicode.h"

namespace mivo_host {

namespace {

bool InRanges(char32_t value, const std::pair<char32_t, char32_t>* ranges, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (value >= ranges[i].first && value <= ranges[i].second) return true;
    return false;
}

// Combining marks that print on the character before them.
constexpr std::array<std::pair<char32_t, char32_t>, 9> kZeroWidth = {{
    {0x0300, 0x036F},
    {0x0483, 0x0489},
    {0x0591, 0x05BD},
    {0x1AB0, 0x1AFF},
    {0x1DC0, 0x1DFF},
    {0x200B, 0x200F},
    {0x20D0, 0x20FF},
    {0xFE00, 0xFE0F},
    {0xFE20, 0xFE2F},
}};

// East Asian wide and full-width blocks, and the pictographs terminals draw double.
constexpr std::array<std::pair<char32_t, char32_t>, 12> kDoubleWidth = {{
    {0x1100, 0x115F},
    {0x2E80, 0x303E},
    {0x3041, 0x33FF},
    {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF},
    {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF},
    {0xFE30, 0xFE4F},
    {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6},
    {0x1F300, 0x1F64F},
}};

}  // namespace

std::wstring Printable(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& ch : out) {
        if (ch == L'\t' || ch == L'\n' || ch == L'\r') ch = L' ';
        else if (ch < 0x20 || (ch >= 0x7F && ch <= 0x9F)) ch = platform::kReplacementCharacter;
    }
    return out;
}

int DisplayWidth(std::wstring_view text) {
    int width = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        // A surrogate pair (16-bit wide characters) is one character.
        auto value = static_cast<char32_t>(text[i]);
        if (!platform::kWideHoldsCodePoints && platform::IsHighSurrogate(text[i]) && i + 1 < text.size() &&
            platform::IsLowSurrogate(text[i + 1])) {
            value = platform::CodePointOfPair(text[i], text[i + 1]);
            ++i;
        }
        if (InRanges(value, kZeroWidth.data(), kZeroWidth.size())) continue;
        width +=
            InRanges(value, kDoubleWidth.data(), kDoubleWidth.size()) || (value >= 0x20000 && value <= 0x3FFFD) ? 2 : 1;
    }
    return width;
}

std::wstring PadRight(std::wstring_view text, int width) {
    std::wstring out(text);
    const int have = DisplayWidth(text);
    if (have < width) out.append(static_cast<size_t>(width - have), L' ');
    return out;
}

std::wstring PadLeft(std::wstring_view text, int width) {
    const int have = DisplayWidth(text);
    std::wstring out;
    if (have < width) out.append(static_cast<size_t>(width - have), L' ');
    out += text;
    return out;
}

}  // namespace mivo_host
