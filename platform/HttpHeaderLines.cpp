// Reading a raw response head: its header lines and the value of one header.
// Shared by every system's HTTP client.
#include "platform/HttpClient.h"

namespace platform {

std::string_view TrimHeaderBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> HeaderLines(std::string_view rawHeaders) {
    std::vector<std::string_view> lines;
    std::string_view rest(rawHeaders);
    bool statusLine = true;
    while (!rest.empty()) {
        const size_t end = rest.find("\r\n");
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 2);
        if (statusLine) {
            statusLine = false;
            continue;
        }
        if (line.empty()) break;
        lines.push_back(line);
    }
    return lines;
}

std::optional<std::string> HttpRequest::HeaderValue(std::string_view name) const {
    for (const std::string_view line : HeaderLines(m_rawHeaders)) {
        const size_t colon = line.find(':');
        if (colon != std::string_view::npos && EqualsNoCaseAscii(TrimHeaderBlanks(line.substr(0, colon)), name))
            return std::string(TrimHeaderBlanks(line.substr(colon + 1)));
    }
    return std::nullopt;
}

}  // namespace platform
