// Fuzz target: HTML entity decoding of arbitrary wide text, as it meets every
// track title taken from an album page.
//
// Decoding must end, never make the text longer, leave text without "&"
// alone, and leave no decodable numeric reference behind.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "text/HtmlEntities.h"

using fuzzsupport::Require;

namespace {

// True when text holds "&#digits;" with a value in 1..65535.
bool HoldsDecodableNumericReference(const std::wstring& text) {
    for (size_t at = text.find(L"&#"); at != std::wstring::npos; at = text.find(L"&#", at + 1)) {
        size_t end = at + 2;
        uint64_t value = 0;
        while (end < text.size() && text[end] >= L'0' && text[end] <= L'9') {
            value = value * 10 + static_cast<uint64_t>(text[end] - L'0');
            if (value > 65535) value = 65536;
            ++end;
        }
        if (end > at + 2 && end < text.size() && text[end] == L';' && value >= 1 && value <= 65535) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring input = fuzzsupport::WideFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    CString text(input);
    DecodeHtmlEntities(text);
    Require(text.GetLength() <= static_cast<int>(input.size()), "decoding never lengthens the text");
    if (input.find(L'&') == std::wstring::npos) Require(text.str() == input, "text without & is left alone");
    // Also those that a replacement completes (a decoded "&", "#" or digit
    // next to the rest of a reference) are decoded.
    Require(!HoldsDecodableNumericReference(text.str()), "no decodable numeric reference is left");
    return 0;
}
