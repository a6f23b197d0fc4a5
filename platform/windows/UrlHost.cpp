// The host of an absolute URL, split out by the system's URL parser
// (InternetCrackUrlW). Kept apart from the HTTP client: the headers of the
// two internet interfaces cannot stand in one file.
#include <windows.h>
#include <wininet.h>

#include <string_view>

#include "platform/HttpError.h"
#include "platform/UrlHost.h"

namespace platform {

uint32_t CrackUrlHost(std::wstring_view url, std::wstring& host) {
    const std::wstring text(url);
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwSchemeLength = 1;
    parts.dwHostNameLength = 1;
    parts.dwUrlPathLength = 1;
    if (!::InternetCrackUrlW(text.c_str(), static_cast<DWORD>(text.size()), 0, &parts)) return kHttpErrorInvalidUrl;
    if (parts.lpszHostName) host.assign(parts.lpszHostName, parts.dwHostNameLength);
    else host.clear();
    // The parser reads as much of a port as it can; a port is taken here only
    // when it is all digits and within range, as everywhere.
    if (parts.lpszHostName) {
        std::wstring_view rest(parts.lpszHostName + parts.dwHostNameLength);
        if (!rest.empty() && rest.front() == L':') {
            const std::wstring_view port = rest.substr(1, rest.find_first_of(L"/?#\\") - 1);
            unsigned long number = 0;
            for (const wchar_t c : port) {
                if (c < L'0' || c > L'9' || port.size() > 5) {
                    host.clear();
                    return kHttpErrorInvalidUrl;
                }
                number = number * 10 + static_cast<unsigned long>(c - L'0');
            }
            if (number > 65535) {
                host.clear();
                return kHttpErrorInvalidUrl;
            }
        }
    }
    return kHttpErrorNone;
}

}  // namespace platform
