// The HTTP client layer: plain HTTP/1.1 requests in the steps a downloader
// takes (open a session, connect, open a request, add headers, send, receive
// the response, query status and headers, read the body in chunks, close).
//
// Ownership: an HttpSession owns one transfer engine (one libcurl easy handle
// driven through its own multi handle), so cookies that responses set live as
// long as the session and are sent again on later requests of the session.
// An HttpConnection names a host and port inside a session (no network
// activity of its own); an HttpRequest is one request on a connection.
// Closing is destruction: destroy a request before its connection and a
// connection before its session. A session carries one open request at a time.
//
// Behaviour: redirects are followed, at most 10, to http and https only; a
// redirect to any other scheme is not followed and its 3xx response becomes
// the final response. A named proxy "host:port" (port 80 when none is given)
// receives every request in absolute form; without one no proxy is used at all (proxy environment
// variables are ignored). Default timeouts: connect 60 s, receive 30 s (the
// longest silence tolerated while waiting for response bytes). A response head
// larger than 192 KB fails with kHttpErrorHeaderSizeOverflow; the trailer lines
// after a chunked body count against the same limit. A body is delivered as
// the server's transfer coding leaves it (a compressed transfer coding is
// undone); a request may bound it (SetBodyLimit). Bytes that may
// not stand in a request target are percent-encoded; a header name or value
// holding CR, LF or another control byte is refused, so no line break from a
// caller ever reaches the wire (platform/HttpUrl.h holds these rules).
//
// Errors are codes of platform/HttpError.h (0 = success). Every object is used
// by one thread at a time; separate sessions are independent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/HttpError.h"
#include "platform/HttpKeepGoing.h"
#include "platform/HttpUrl.h"

namespace platform {

class HttpConnection;
class HttpRequest;

// The most redirects a request follows, and the largest response head (and
// trailer after a chunked body) accepted, on every system.
constexpr long kHttpMaxRedirects = 10;
constexpr size_t kHttpMaxHeaderBytes = 192 * 1024;

// Timeouts of one request, in milliseconds. A receive timeout of 0 waits
// without limit; a connect timeout of 0 leaves the engine's own (300 s).
struct HttpTimeouts {
    uint32_t connectMs = 60000;
    uint32_t receiveMs = 30000;
};

class HttpSession {
public:
    // Opens a session whose requests carry agent as their User-Agent unless a
    // request header replaces it. proxy is a text ProxyUrl() accepts, such as
    // "host:port" or "host" (port 80), or empty for direct connections. Never fails as such: a setup
    // failure (an invalid proxy, no transfer engine) is kept in OpenError().
    HttpSession(std::string_view agent, std::string_view proxy);
    ~HttpSession();
    HttpSession(const HttpSession&) = delete;
    HttpSession& operator=(const HttpSession&) = delete;

    // 0 when the session can carry requests, else why it cannot.
    uint32_t OpenError() const;

    // Names host:port for requests (port 0 = the default port 80). Fails with
    // kHttpErrorInvalidUrl for an empty host, a host holding bytes that cannot
    // stand in a host name, or a port outside 0..65535; with OpenError() when
    // the session is unusable. No network activity.
    std::unique_ptr<HttpConnection> Connect(std::string_view host, int port, uint32_t& error);

private:
    friend class HttpConnection;
    friend class HttpRequest;
    struct Engine;

    // Takes agent and proxy for every system's constructor: false, with
    // m_openError set, when either cannot be used; else m_proxyUrl holds the
    // proxy's URL ("http://host:port", empty for none).
    bool AcceptSettings(std::string_view agent, std::string_view proxy);

    std::unique_ptr<Engine> m_engine;
    std::string m_proxyUrl;
    uint32_t m_openError = kHttpErrorNone;
    bool m_requestOpen = false;  // a request of this session is open
};

class HttpConnection {
public:
    ~HttpConnection();
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;

    // Opens a request for target (the request target, starting with "/";
    // query kept, any fragment from "#" on dropped, bytes that may not stand
    // there percent-encoded). verb must be an HTTP token. referrer, when not
    // empty, is sent as "Referer". refresh asks caches not to answer from
    // store ("Pragma: no-cache", "Cache-Control: no-cache"). Fails with
    // kHttpErrorInvalidHeader for a bad verb or referrer, and with
    // kHttpErrorIncorrectHandleState while another request of the session is open.
    std::unique_ptr<HttpRequest> OpenRequest(std::string_view verb, std::string_view target, std::string_view referrer,
                                             bool refresh, uint32_t& error);

    const std::string& Host() const { return m_host; }
    int Port() const { return m_port; }

private:
    friend class HttpSession;
    HttpConnection(HttpSession& session, std::string host, int port);

    HttpSession& m_session;
    std::string m_host;
    int m_port;
};

// The header lines of a raw response head (lines ended by CR LF): every line
// after the status line, up to the first empty line.
std::vector<std::string_view> HeaderLines(std::string_view rawHeaders);

// text without its leading and trailing blanks and tabs.
std::string_view TrimHeaderBlanks(std::string_view text);

class HttpRequest {
public:
    // Closes the request; a transfer still in progress is abandoned.
    ~HttpRequest();
    HttpRequest(const HttpRequest&) = delete;
    HttpRequest& operator=(const HttpRequest&) = delete;

    // Adds "name: value", replacing an earlier header of the same name (any
    // letter case); an empty value removes the header, the client's own
    // included. A "Cookie" header is merged with the session's cookies into one
    // header. Fails with kHttpErrorInvalidHeader (nothing added) when name is
    // not an HTTP token or value holds a control byte other than tab; with
    // kHttpErrorIncorrectHandleState after Send().
    uint32_t AddHeader(std::string_view name, std::string_view value);

    // Replaces the default timeouts. Before Send() only.
    uint32_t SetTimeouts(const HttpTimeouts& timeouts);

    // Bounds the body at limit bytes, counted as delivered (after a transfer
    // coding is undone), whenever they arrived: the moment more arrive the
    // transfer ends, bytes not yet read are dropped and QueryDataAvailable()
    // fails with kHttpErrorResponseTooLarge. 0 (the default) sets no bound.
    void SetBodyLimit(size_t limit) { m_bodyLimit = limit; }

    // Has keepGoing asked while the transfer runs (platform/HttpKeepGoing.h).
    // A false answer drops the connection and fails the call that was
    // waiting (Send, ReceiveResponse or QueryDataAvailable) with
    // kHttpErrorOperationCancelled. Before Send() only.
    uint32_t SetKeepGoing(HttpKeepGoing keepGoing);

    // Starts the transfer and returns once the connection stands and the
    // request is on its way. body is sent when not empty. Fails with the
    // connection's error (name not resolved, cannot connect, timeout, ...).
    uint32_t Send(std::string_view body);

    // Waits for the final response's status line and headers (redirects
    // followed, interim 1xx responses passed over) and returns as soon as its
    // head is complete, before any of its body. Fails with the transfer's
    // error when no complete head arrives, and with kHttpErrorRedirectFailed
    // for the redirect past the limit.
    uint32_t ReceiveResponse();

    // Status code of the final response; 0 before ReceiveResponse() succeeded.
    uint32_t StatusCode() const { return m_statusCode; }
    // Reason phrase of the final response's status line (may be empty).
    const std::string& ReasonPhrase() const { return m_reasonPhrase; }
    // Status line and header lines of the final response as received, each
    // ending in CR LF, followed by an empty line; empty before a response.
    const std::string& RawHeaders() const { return m_rawHeaders; }
    // The first value of header name (any letter case) in the final response,
    // trimmed; nullopt when it has no such header.
    std::optional<std::string> HeaderValue(std::string_view name) const;

    // Waits until body bytes are ready and reports how many (0 = the body is
    // complete). Fails with the transfer's error (a truncated body, a broken
    // connection, a receive timeout) once the bytes before it have been read.
    uint32_t QueryDataAvailable(size_t& available);
    // Copies up to size ready body bytes into buffer and reports how many.
    // Never waits; call QueryDataAvailable() first. Once every ready byte is
    // read, a large receive buffer is given back.
    uint32_t ReadData(char* buffer, size_t size, size_t& read);

    // After a transfer that could not connect, why, in the system's words:
    // "could not connect to 127.0.0.1:1 (proxy): connection refused" (the
    // address tried, marked when it is the proxy's). Empty otherwise.
    std::string ConnectFailure() const;

private:
    friend class HttpConnection;
    struct Transfer;
    HttpRequest(HttpSession& session, std::string url, std::string verb, std::string referrer, bool refresh);

    enum class Goal { RequestSent, FinalHead, DataReady };
    void Pump(Goal goal);
    bool Reached(Goal goal) const;
    uint32_t TransferError() const;
    static bool HeadTooLarge(const Transfer& transfer);

    HttpSession& m_session;
    std::string m_url;
    std::string m_verb;
    std::string m_referrer;
    bool m_refresh;
    std::vector<std::pair<std::string, std::string>> m_headers;
    HttpTimeouts m_timeouts;
    size_t m_bodyLimit = 0;
    HttpKeepGoing m_keepGoing;

    uint32_t m_statusCode = 0;
    std::string m_reasonPhrase;
    std::string m_rawHeaders;
    std::unique_ptr<Transfer> m_transfer;
};

}  // namespace platform
