// Windows implementation of the code pages' system side: the kernel's
// conversion of each byte and the process's ANSI code page.
#include "platform/CodePageSystem.h"

#include <windows.h>

namespace platform {

std::optional<SingleBytePage> SystemSingleBytePage(int codePage) {
    if (codePage <= 0 || !::IsValidCodePage(static_cast<UINT>(codePage))) return std::nullopt;
    SingleBytePage page{};
    for (int b = 0; b < 256; ++b) {
        const char in = static_cast<char>(b);
        wchar_t out[2] = {};
        const int n = ::MultiByteToWideChar(static_cast<UINT>(codePage), MB_ERR_INVALID_CHARS, &in, 1, out, 2);
        page[static_cast<size_t>(b)] = n == 1 ? out[0] : static_cast<wchar_t>(b);
    }
    return page;
}

int SystemAnsiCodePage() { return static_cast<int>(::GetACP()); }

}  // namespace platform
