// UTF-8 conversion, printable text and display widths for the host's output.
#include "host/WideText.h"

#include <array>
#include <type_traits>
#include <utility>

namespace mivo_host {

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

bool IsValidScalar(char32_t value) {
    return value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
}

void AppendUtf8(std::string& out, char32_t value) {
    if (!IsValidScalar(value)) value = kReplacement;
    if (value < 0x80) {
        out += static_cast<char>(value);
    } else if (value < 0x800) {
        out += static_cast<char>(0xC0 | (value >> 6));
        out += static_cast<char>(0x80 | (value & 0x3F));
    } else if (value < 0x10000) {
        out += static_cast<char>(0xE0 | (value >> 12));
        out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (value >> 18));
        out += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    }
}

bool InRanges(char32_t value, const std::pair<char32_t, char32_t>* ranges, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (value >= ranges[i].first && value <= ranges[i].second) return true;
    return false;
}

// Combining marks that print on the character before them.
constexpr std::array<std::pair<char32_t, char32_t>, 9> kZeroWidth = {{
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF},
    {0x200B, 0x200F}, {0x20D0, 0x20FF}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F},
}};

// East Asian wide and full-width blocks, and the pictographs terminals draw double.
constexpr std::array<std::pair<char32_t, char32_t>, 12> kDoubleWidth = {{
    {0x1100, 0x115F}, {0x2E80, 0x303E}, {0x3041, 0x33FF}, {0x3400, 0x4DBF}, {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF}, {0xAC00, 0xD7A3}, {0xF900, 0xFAFF}, {0xFE30, 0xFE4F}, {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6}, {0x1F300, 0x1F64F},
}};

}  // namespace

std::wstring FromUtf8(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            out += static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        size_t length = 0;
        char32_t value = 0;
        char32_t minimum = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, value = lead & 0x1F, minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, value = lead & 0x0F, minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, value = lead & 0x07, minimum = 0x10000;
        }
        bool ok = length != 0 && i + length <= bytes.size();
        for (size_t k = 1; ok && k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            ok = IsContinuation(next);
            value = (value << 6) | (next & 0x3F);
        }
        if (ok && value >= minimum && IsValidScalar(value)) {
            out += static_cast<wchar_t>(value);
            i += length;
        } else {
            out += kReplacement;
            ++i;
        }
    }
    return out;
}

std::string ToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t ch : text) AppendUtf8(out, static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(ch)));
    return out;
}

std::wstring Printable(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& ch : out) {
        if (ch == L'\t' || ch == L'\n' || ch == L'\r')
            ch = L' ';
        else if (ch < 0x20 || (ch >= 0x7F && ch <= 0x9F))
            ch = kReplacement;
    }
    return out;
}

int DisplayWidth(std::wstring_view text) {
    int width = 0;
    for (wchar_t ch : text) {
        const auto value = static_cast<char32_t>(ch);
        if (InRanges(value, kZeroWidth.data(), kZeroWidth.size()))
            continue;
        width += InRanges(value, kDoubleWidth.data(), kDoubleWidth.size()) || (value >= 0x20000 && value <= 0x3FFFD) ? 2 : 1;
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
