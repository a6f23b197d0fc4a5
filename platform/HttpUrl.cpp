// Proxy addresses, request URLs and targets, URL hosts and schemes, and the
// byte checks of host names, tokens and header values.
#include "platform/HttpUrl.h"

#include <algorithm>
#include <cctype>

#include "platform/HttpError.h"
#include "platform/UrlHost.h"
#include "platform/Utf8.h"

namespace platform {

namespace {

// The characters of a URL scheme: a letter first, then letters, digits, "+", "-", ".".
template <typename Char>
bool IsSchemeStart(Char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

template <typename Char>
bool IsSchemeChar(Char c) {
    return IsSchemeStart(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

bool IsTokenChar(unsigned char c) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    return std::string_view("!#$%&'*+-.^_`|~").find(static_cast<char>(c)) != std::string_view::npos;
}

bool IsHostChar(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '.' ||
           c == '_' || c >= 0x80;
}

}  // namespace

bool EqualsNoCaseAscii(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

bool IsToken(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return IsTokenChar(c); });
}

bool IsFieldValue(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c == '\t' || (c >= 0x20 && c != 0x7F);
    });
}

bool IsHostName(std::string_view host) {
    return !host.empty() &&
           std::all_of(host.begin(), host.end(), [](char c) { return IsHostChar(static_cast<unsigned char>(c)); });
}

std::string ProxyUrl(std::string_view text) {
    constexpr std::string_view prefix = "http://";
    if (text.size() >= prefix.size() && EqualsNoCaseAscii(text.substr(0, prefix.size()), prefix))
        text.remove_prefix(prefix.size());
    if (!text.empty() && text.back() == '/') text.remove_suffix(1);
    std::string_view host = text;
    std::string_view port;
    if (!text.empty() && text.front() == '[') {
        const size_t close = text.find(']');
        if (close == std::string_view::npos) return std::string();
        host = text.substr(1, close - 1);
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return std::string();
            port = rest.substr(1);
        }
        if (host.empty() || !std::all_of(host.begin(), host.end(), [](char c) {
                return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
            }))
            return std::string();
    } else {
        const size_t colon = text.find(':');
        if (colon != std::string_view::npos) {
            host = text.substr(0, colon);
            port = text.substr(colon + 1);
        }
        if (!IsHostName(host)) return std::string();
    }
    if (port.size() > 5 || !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::string();
    if (!port.empty() && std::stoi(std::string(port)) > 65535) return std::string();
    // A named proxy without a port is asked on the HTTP port, not on the
    // engine's own proxy default.
    std::string url(prefix);
    url += text.front() == '[' ? "[" + std::string(host) + "]" : std::string(host);
    url += ':';
    url += port.empty() ? std::string_view("80") : port;
    return url;
}

std::string EncodeRequestTarget(std::string_view target) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    auto isHex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    std::string out;
    out.reserve(target.size());
    for (size_t i = 0; i < target.size(); ++i) {
        const auto c = static_cast<unsigned char>(target[i]);
        bool escape = c <= 0x20 || c >= 0x7F ||
                      std::string_view("\"<>\\^`{|}").find(static_cast<char>(c)) != std::string_view::npos;
        if (c == '%') escape = !(i + 2 < target.size() && isHex(target[i + 1]) && isHex(target[i + 2]));
        if (escape) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string RequestUrl(std::string_view host, int port, std::string_view target) {
    std::string url = "http://";
    url += host;
    if (port != 0 && port != 80) url += ":" + std::to_string(port);
    std::string path = EncodeRequestTarget(target.substr(0, target.find('#')));
    if (path.empty() || path.front() != '/') path.insert(path.begin(), '/');
    return url + path;
}

std::string_view UrlScheme(std::string_view reference) {
    if (reference.empty() || !IsSchemeStart(reference.front())) return {};
    for (size_t i = 1; i < reference.size(); ++i) {
        const char c = reference[i];
        if (c == ':') return reference.substr(0, i);
        if (!IsSchemeChar(c)) return {};
    }
    return {};
}

uint32_t ExtractUrlHost(std::wstring_view url, std::wstring& host) {
    host.clear();
    const size_t separator = url.find(L"://");
    if (separator == std::wstring_view::npos || separator == 0) return kHttpErrorUnrecognizedScheme;
    const std::wstring_view scheme = url.substr(0, separator);
    if (!IsSchemeStart(scheme.front()) ||
        !std::all_of(scheme.begin(), scheme.end(), [](wchar_t c) { return IsSchemeChar(c); }))
        return kHttpErrorUnrecognizedScheme;
    std::wstring name;
    if (const uint32_t error = CrackUrlHost(url, name); error != kHttpErrorNone) return error;

    // Decode %XX escapes: a run of escaped bytes is read as UTF-8.
    auto hexValue = [](wchar_t c) -> int {
        if (c >= L'0' && c <= L'9') return c - L'0';
        if (c >= L'a' && c <= L'f') return c - L'a' + 10;
        if (c >= L'A' && c <= L'F') return c - L'A' + 10;
        return -1;
    };
    std::string bytes;
    auto flush = [&] {
        if (bytes.empty()) return;
        host += FromUtf8(bytes);
        bytes.clear();
    };
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == L'%' && i + 2 < name.size() && hexValue(name[i + 1]) >= 0 && hexValue(name[i + 2]) >= 0) {
            bytes += static_cast<char>(hexValue(name[i + 1]) * 16 + hexValue(name[i + 2]));
            i += 2;
            continue;
        }
        flush();
        host += name[i];
    }
    flush();
    return kHttpErrorNone;
}

}  // namespace platform
