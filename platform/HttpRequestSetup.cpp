// What every system's HTTP client does alike before a transfer starts: the
// session's settings, a connection's host and port, opening a request (one at
// a time per session), and the headers, timeouts and keep-going question a
// request collects until Send().
#include <algorithm>

#include "platform/HttpClient.h"

namespace platform {

bool HttpSession::AcceptSettings(std::string_view agent, std::string_view proxy) {
    if (!IsFieldValue(agent)) {
        m_openError = kHttpErrorInvalidHeader;
        return false;
    }
    if (!proxy.empty()) {
        m_proxyUrl = ProxyUrl(proxy);
        if (m_proxyUrl.empty()) {
            m_openError = kHttpErrorInvalidOption;
            return false;
        }
    }
    return true;
}

uint32_t HttpSession::OpenError() const { return m_openError; }

std::unique_ptr<HttpConnection> HttpSession::Connect(std::string_view host, int port, uint32_t& error) {
    error = m_openError;
    if (error != kHttpErrorNone) return nullptr;
    if (!IsHostName(host) || port < 0 || port > 65535) {
        error = kHttpErrorInvalidUrl;
        return nullptr;
    }
    return std::unique_ptr<HttpConnection>(new HttpConnection(*this, std::string(host), port));
}

HttpConnection::HttpConnection(HttpSession& session, std::string host, int port)
    : m_session(session), m_host(std::move(host)), m_port(port) {}

HttpConnection::~HttpConnection() = default;

std::unique_ptr<HttpRequest> HttpConnection::OpenRequest(std::string_view verb, std::string_view target,
                                                         std::string_view referrer, bool refresh, uint32_t& error) {
    error = kHttpErrorNone;
    if (!IsToken(verb) || !IsFieldValue(referrer)) {
        error = kHttpErrorInvalidHeader;
        return nullptr;
    }
    if (m_session.m_requestOpen) {
        error = kHttpErrorIncorrectHandleState;
        return nullptr;
    }
    m_session.m_requestOpen = true;
    return std::unique_ptr<HttpRequest>(new HttpRequest(m_session, RequestUrl(m_host, m_port, target),
                                                        std::string(verb), std::string(referrer), refresh));
}

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
