// The host of an absolute URL, split out by our own reading of its authority.
#include <algorithm>

#include "platform/HttpError.h"
#include "platform/UrlHost.h"

namespace platform {

uint32_t CrackUrlHost(std::wstring_view url, std::wstring& host) {
    const size_t separator = url.find(L"://");
    std::wstring_view authority = url.substr(separator + 3);
    authority = authority.substr(0, authority.find_first_of(L"/?#\\"));
    const size_t at = authority.rfind(L'@');
    if (at != std::wstring_view::npos) authority.remove_prefix(at + 1);
    std::wstring_view name = authority;
    std::wstring_view port;
    if (!authority.empty() && authority.front() == L'[') {
        const size_t close = authority.find(L']');
        if (close == std::wstring_view::npos) return kHttpErrorInvalidUrl;
        name = authority.substr(0, close + 1);
        const std::wstring_view rest = authority.substr(close + 1);
        if (!rest.empty() && rest.front() != L':') return kHttpErrorInvalidUrl;
        if (!rest.empty()) port = rest.substr(1);
    } else if (const size_t colon = authority.find(L':'); colon != std::wstring_view::npos) {
        name = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }
    if (port.size() > 5 || !std::all_of(port.begin(), port.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
        return kHttpErrorInvalidUrl;
    unsigned long portNumber = 0;
    for (wchar_t c : port) portNumber = portNumber * 10 + static_cast<unsigned long>(c - L'0');
    if (portNumber > 65535) return kHttpErrorInvalidUrl;

    host.assign(name);
    return kHttpErrorNone;
}

}  // namespace platform
