// Percent-encoding of query components (see QueryComponent.h).
#include "search/QueryComponent.h"

#include <string>

#include "platform/CodePage.h"

CString EncodeQueryComponent(const CString& text) {
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    const std::string bytes = platform::ToUtf8(text.str());
    std::wstring out;
    out.reserve(bytes.size() * 3);
    for (unsigned char c : bytes) {
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                                c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved) {
            out += static_cast<wchar_t>(c);
        } else {
            out += L'%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return CString(std::move(out));
}
