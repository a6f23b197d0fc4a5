// Escapes of control characters in trace lines.
#include "log/TraceLineEscape.h"

#include <algorithm>
#include <cstdint>

bool NeedsTraceEscape(wchar_t ch) {
    const auto code = static_cast<uint32_t>(ch);
    return (code < 0x20 && ch != L'\t') || code == 0x7F;
}

void AppendEscapedTraceText(std::wstring& line, std::wstring_view text, size_t maxLength) {
    static const wchar_t kHexDigits[] = L"0123456789ABCDEF";
    size_t room = maxLength;
    size_t from = 0;
    while (from < text.size() && room > 0) {
        // Copy the run of plain characters up to the next one to escape.
        const auto special =
            std::find_if(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), NeedsTraceEscape);
        const size_t until = static_cast<size_t>(special - text.begin());
        const size_t plain = std::min(until - from, room);
        line.append(text, from, plain);
        room -= plain;
        if (plain < until - from || until == text.size()) return;

        const wchar_t ch = text[until];
        wchar_t escape[4] = {L'\\', 0, 0, 0};
        size_t length = 2;
        if (ch == L'\r') {
            escape[1] = L'r';
        } else if (ch == L'\n') {
            escape[1] = L'n';
        } else {
            escape[1] = L'x';
            escape[2] = kHexDigits[(ch >> 4) & 0xF];
            escape[3] = kHexDigits[ch & 0xF];
            length = 4;
        }
        if (length > room) return;
        line.append(escape, length);
        room -= length;
        from = until + 1;
    }
}
