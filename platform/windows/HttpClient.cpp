// Windows implementation of the HTTP client layer. Transfers are not yet
// carried out on Windows: a session opens with kHttpErrorOutOfHandles, so
// every download fails cleanly with that code and its text.
#include "platform/HttpClient.h"

namespace platform {

struct HttpSession::Engine {};

struct HttpRequest::Transfer {};

HttpSession::HttpSession(std::string_view /*agent*/, std::string_view /*proxy*/)
    : m_engine(std::make_unique<Engine>()) {}

HttpSession::~HttpSession() = default;

uint32_t HttpSession::OpenError() const { return kHttpErrorOutOfHandles; }

std::unique_ptr<HttpConnection> HttpSession::Connect(std::string_view /*host*/, int /*port*/, uint32_t& error) {
    error = kHttpErrorOutOfHandles;
    return nullptr;
}

HttpConnection::HttpConnection(HttpSession& session, std::string host, int port)
    : m_session(session), m_host(std::move(host)), m_port(port) {}

HttpConnection::~HttpConnection() = default;

std::unique_ptr<HttpRequest> HttpConnection::OpenRequest(std::string_view, std::string_view, std::string_view, bool,
                                                         uint32_t& error) {
    error = kHttpErrorOutOfHandles;
    return nullptr;
}

HttpRequest::~HttpRequest() = default;

uint32_t HttpRequest::AddHeader(std::string_view, std::string_view) { return kHttpErrorIncorrectHandleState; }

uint32_t HttpRequest::SetTimeouts(const HttpTimeouts&) { return kHttpErrorIncorrectHandleState; }

uint32_t HttpRequest::SetKeepGoing(HttpKeepGoing) { return kHttpErrorIncorrectHandleState; }

uint32_t HttpRequest::Send(std::string_view) { return kHttpErrorIncorrectHandleState; }

uint32_t HttpRequest::ReceiveResponse() { return kHttpErrorIncorrectHandleState; }

uint32_t HttpRequest::QueryDataAvailable(size_t& available) {
    available = 0;
    return kHttpErrorIncorrectHandleState;
}

uint32_t HttpRequest::ReadData(char*, size_t, size_t& read) {
    read = 0;
    return kHttpErrorIncorrectHandleState;
}

std::string HttpRequest::ConnectFailure() const { return {}; }

}  // namespace platform
