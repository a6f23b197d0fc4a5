// What every system's HTTP client does alike before a transfer starts: a
// connection's host and port, and the headers, timeouts and keep-going
// question a request collects until Send().
#include <algorithm>

#include "platform/HttpClient.h"

namespace platform {

HttpConnection::HttpConnection(HttpSession& session, std::string host, int port)
    : m_session(session), m_host(std::move(host)), m_port(port) {}

HttpConnection::~HttpConnection() = default;

uint32_t HttpRequest::AddHeader(std::string_view name, std::string_view value) {
    if (m_transfer) return kHttpErrorIncorrectHandleState;
    if (!IsToken(name) || !IsFieldValue(value)) return kHttpErrorInvalidHeader;
    value = TrimHeaderBlanks(value);
    auto same = std::find_if(m_headers.begin(), m_headers.end(),
                             [&](const auto& header) { return EqualsNoCaseAscii(header.first, name); });
    if (same != m_headers.end()) m_headers.erase(same);
    m_headers.emplace_back(std::string(name), std::string(value));
    return kHttpErrorNone;
}

uint32_t HttpRequest::SetTimeouts(const HttpTimeouts& timeouts) {
    if (m_transfer) return kHttpErrorIncorrectHandleState;
    m_timeouts = timeouts;
    return kHttpErrorNone;
}

uint32_t HttpRequest::SetKeepGoing(HttpKeepGoing keepGoing) {
    if (m_transfer) return kHttpErrorIncorrectHandleState;
    m_keepGoing = std::move(keepGoing);
    return kHttpErrorNone;
}

}  // namespace platform
