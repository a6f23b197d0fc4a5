// The HTTP client layer over libcurl: one easy handle per session, driven
// step by step through a multi handle of the session so that sending,
// receiving the headers and reading the body are separate calls.
#include "platform/HttpClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <system_error>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

constexpr long kMaxRedirects = kHttpMaxRedirects;
constexpr long kReceiveBufferBytes = 128 * 1024;
// A response head beyond this size ends the transfer with the header-size
// error. It stays below the engine's own limits (300 KB for one response's
// head, 100 KB for one line) by more than one line, so that ours is met first
// and an oversized head is reported the same way however it is made up.
constexpr size_t kMaxHeaderBytes = kHttpMaxHeaderBytes;
static_assert(kMaxHeaderBytes + 100 * 1024 < 300 * 1024);

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The code that names why the engine ended a transfer. An unsupported
// protocol after the request went out is the server's answer, not the URL's
// scheme; TransferError() tells the two apart before asking here.
uint32_t MapCurlError(CURLcode code) {
    switch (code) {
        case CURLE_OK: return kHttpErrorNone;
        case CURLE_FAILED_INIT: return kHttpErrorOutOfHandles;
        case CURLE_OUT_OF_MEMORY: return ENOMEM;
        case CURLE_URL_MALFORMAT: return kHttpErrorInvalidUrl;
        case CURLE_UNSUPPORTED_PROTOCOL: return kHttpErrorUnrecognizedScheme;
        case CURLE_TOO_MANY_REDIRECTS: return kHttpErrorRedirectFailed;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY: return kHttpErrorNameNotResolved;
        case CURLE_COULDNT_CONNECT:
        case CURLE_INTERFACE_FAILED:
        case CURLE_PROXY: return kHttpErrorCannotConnect;
        case CURLE_OPERATION_TIMEDOUT: return kHttpErrorTimeout;
        case CURLE_ABORTED_BY_CALLBACK: return kHttpErrorOperationCancelled;
        case CURLE_PARTIAL_FILE:
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
        case CURLE_SEND_FAIL_REWIND: return kHttpErrorConnectionError;
        case CURLE_GOT_NOTHING:
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_HTTP2:
        case CURLE_HTTP2_STREAM:
        case CURLE_BAD_CONTENT_ENCODING: return kHttpErrorInvalidServerResponse;
        case CURLE_FILESIZE_EXCEEDED: return kHttpErrorResponseTooLarge;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_SSL_ENGINE_NOTFOUND:
        case CURLE_SSL_ENGINE_SETFAILED:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_USE_SSL_FAILED:
        case CURLE_SSL_ENGINE_INITFAILED:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_SHUTDOWN_FAILED:
        case CURLE_SSL_CRL_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS:
        case CURLE_SSL_CLIENTCERT: return kHttpErrorSecureFailure;
        // A refusal of our own callbacks carries its own code; one without it,
        // a misused option or a failed wait are faults of this layer.
        default: return kHttpErrorInternal;
    }
}

// Reads the three-digit code and the reason phrase of "HTTP/x.y CODE REASON".
void ParseStatusLine(std::string_view line, uint32_t& code, std::string& reason) {
    code = 0;
    reason.clear();
    size_t pos = line.find(' ');
    if (pos == std::string_view::npos) return;
    while (pos < line.size() && line[pos] == ' ') ++pos;
    size_t digits = 0;
    while (pos + digits < line.size() && digits < 3 && line[pos + digits] >= '0' && line[pos + digits] <= '9') {
        code = code * 10 + static_cast<uint32_t>(line[pos + digits] - '0');
        ++digits;
    }
    if (digits != 3) {
        code = 0;
        return;
    }
    pos += digits;
    if (pos < line.size() && line[pos] == ' ') ++pos;
    reason.assign(line.substr(std::min(pos, line.size())));
}

// True when the transfer engine goes on from a response head with this status
// and these header lines to another request: a 3xx whose first non-empty
// Location names a relative, http or https target. Every other 3xx is final.
bool IsFollowedRedirect(uint32_t status, const std::vector<std::string_view>& headerLines) {
    if (status < 300 || status > 399) return false;
    for (const std::string_view line : headerLines) {
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos || !EqualsNoCaseAscii(line.substr(0, colon), "Location")) continue;
        const std::string_view target = TrimHeaderBlanks(line.substr(colon + 1));
        if (target.empty()) continue;
        const std::string_view scheme = UrlScheme(target);
        return scheme.empty() || EqualsNoCaseAscii(scheme, "http") || EqualsNoCaseAscii(scheme, "https");
    }
    return false;
}

}  // namespace

// ---------------------------------------------------------------------------
// Session

struct HttpSession::Engine {
    CURL* easy = nullptr;
    CURLM* multi = nullptr;
    std::string agent;

    ~Engine() {
        if (multi) curl_multi_cleanup(multi);
        if (easy) curl_easy_cleanup(easy);
    }
};

HttpSession::HttpSession(std::string_view agent, std::string_view proxy) : m_engine(std::make_unique<Engine>()) {
    InitCurlOnce();
    Engine& e = *m_engine;
    if (!AcceptSettings(agent, proxy)) return;
    e.agent.assign(agent);
    e.easy = curl_easy_init();
    e.multi = curl_multi_init();
    if (!e.easy || !e.multi) {
        m_openError = kHttpErrorOutOfHandles;
        return;
    }
    CURL* h = e.easy;
    bool ok = true;
    auto set = [&](CURLoption option, auto value) { ok = ok && curl_easy_setopt(h, option, value) == CURLE_OK; };
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_USERAGENT, e.agent.c_str());
    // An empty proxy string turns proxies off, environment variables included;
    // an empty no-proxy list sends every host through a named proxy.
    set(CURLOPT_PROXY, m_proxyUrl.c_str());
    set(CURLOPT_NOPROXY, "");
    set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    set(CURLOPT_COOKIEFILE, "");
    set(CURLOPT_FOLLOWLOCATION, 1L);
    set(CURLOPT_MAXREDIRS, kMaxRedirects);
    set(CURLOPT_PROTOCOLS_STR, "http,https");
    set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    set(CURLOPT_PATH_AS_IS, 1L);
    // Pages of a few hundred kilobytes arrive in few reads.
    set(CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
    if (!ok) m_openError = kHttpErrorInternal;
}

HttpSession::~HttpSession() = default;

// ---------------------------------------------------------------------------
// Request

struct HttpRequest::Transfer {
    HttpRequest* owner = nullptr;
    CURL* easy = nullptr;
    CURLM* multi = nullptr;
    curl_slist* headerList = nullptr;
    std::string cookie;
    bool added = false;            // the easy handle is in the multi handle
    bool requestSent = false;      // the connection stands, the request went out
    bool responseStarted = false;  // body bytes arrived (the headers are complete)
    bool headersComplete = false;  // the current response's empty line was seen
    bool finalHead = false;        // the head of the final response is complete
    bool done = false;
    CURLcode result = CURLE_OK;
    uint32_t ownError = kHttpErrorNone;   // an end decided here (timeout, header flood, body past its limit)
    uint32_t headError = kHttpErrorNone;  // the final head is refused (one redirect too many)
    long redirects = 0;                   // redirects the engine follows
    size_t headerBytes = 0;               // of the current head and the trailer after its body
    size_t bodyBytes = 0;                 // body bytes delivered, read or not
    std::string pending;                  // body bytes received, not yet read
    size_t pendingOffset = 0;
    Clock::time_point lastActivity;
    char engineMessage[CURL_ERROR_SIZE] = {};  // the engine's own words for how it ended

    ~Transfer() {
        if (added) curl_multi_remove_handle(multi, easy);
        if (easy) {
            // The handle stays with the session; nothing may point back here.
            curl_easy_setopt(easy, CURLOPT_HTTPHEADER, nullptr);
            curl_easy_setopt(easy, CURLOPT_HEADERDATA, nullptr);
            curl_easy_setopt(easy, CURLOPT_WRITEDATA, nullptr);
            curl_easy_setopt(easy, CURLOPT_PREREQDATA, nullptr);
            curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, nullptr);
        }
        if (headerList) curl_slist_free_all(headerList);
    }

    void Finish(uint32_t error) {
        ownError = error;
        done = true;
        if (added) curl_multi_remove_handle(multi, easy);
        added = false;
    }

    // Ends the transfer from inside a callback with error; the engine then
    // reports a write error, which TransferError() does not look at.
    size_t Refuse(uint32_t error) {
        ownError = error;
        return 0;
    }

    static size_t OnHeader(char* data, size_t size, size_t count, void* user) {
        auto* t = static_cast<Transfer*>(user);
        const size_t n = size * count;
        t->lastActivity = Clock::now();
        std::string_view line(data, n);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
        HttpRequest& r = *t->owner;
        // After the final head every line is a trailer line, whatever it says.
        if (!t->finalHead && line.size() >= 5 && line.substr(0, 5) == "HTTP/") {
            // A new response (a redirect, an interim 1xx or the final one).
            t->headerBytes = 0;
            t->headersComplete = false;
            r.m_rawHeaders.clear();
            ParseStatusLine(line, r.m_statusCode, r.m_reasonPhrase);
        }
        // Trailer lines after a chunked body count against the head's limit
        // (the engine keeps every one of them) but are not part of the headers.
        t->headerBytes += n;
        if (t->headerBytes > kMaxHeaderBytes) return t->Refuse(kHttpErrorHeaderSizeOverflow);
        if (t->headersComplete) return n;
        r.m_rawHeaders.append(line);
        r.m_rawHeaders.append("\r\n");
        if (line.empty()) {
            t->headersComplete = true;
            t->OnHeadComplete(r.m_statusCode, HeaderLines(r.m_rawHeaders));
        }
        return n;
    }

    // Decides at the end of a head whether it is the final response's: not an
    // interim 1xx and not a redirect the engine follows. The redirect past the
    // limit is final too, refused as the engine would refuse it.
    void OnHeadComplete(uint32_t status, const std::vector<std::string_view>& headerLines) {
        if (status >= 100 && status <= 199) return;
        if (IsFollowedRedirect(status, headerLines)) {
            if (++redirects <= kMaxRedirects) return;
            headError = kHttpErrorRedirectFailed;
        }
        finalHead = true;
    }

    static size_t OnBody(char* data, size_t size, size_t count, void* user) {
        auto* t = static_cast<Transfer*>(user);
        const size_t n = size * count;
        t->lastActivity = Clock::now();
        t->responseStarted = true;
        // The bound applies to every byte as it arrives, so a body that
        // inflates in transit ends here, not after the engine inflated it all.
        const size_t limit = t->owner->m_bodyLimit;
        if (limit != 0 && (t->bodyBytes > limit || n > limit - t->bodyBytes)) {
            std::string().swap(t->pending);
            t->pendingOffset = 0;
            return t->Refuse(kHttpErrorResponseTooLarge);
        }
        t->bodyBytes += n;
        if (t->pendingOffset == t->pending.size()) {
            t->pending.clear();
            t->pendingOffset = 0;
        }
        t->pending.append(data, n);
        return n;
    }

    static int OnRequestReady(void* user, char*, char*, int, int) {
        auto* t = static_cast<Transfer*>(user);
        t->requestSent = true;
        t->lastActivity = Clock::now();
        return CURL_PREREQFUNC_OK;
    }
};

HttpRequest::HttpRequest(HttpSession& session, std::string url, std::string verb, std::string referrer, bool refresh)
    : m_session(session),
      m_url(std::move(url)),
      m_verb(std::move(verb)),
      m_referrer(std::move(referrer)),
      m_refresh(refresh) {}

HttpRequest::~HttpRequest() {
    m_transfer.reset();
    m_session.m_requestOpen = false;
}

uint32_t HttpRequest::Send(std::string_view body) {
    if (m_transfer) return kHttpErrorIncorrectHandleState;
    HttpSession::Engine& engine = *m_session.m_engine;
    m_transfer = std::make_unique<Transfer>();
    Transfer& t = *m_transfer;
    t.owner = this;
    t.easy = engine.easy;
    t.multi = engine.multi;

    auto hasHeader = [&](std::string_view name) {
        return std::any_of(m_headers.begin(), m_headers.end(),
                           [&](const auto& header) { return EqualsNoCaseAscii(header.first, name); });
    };
    std::vector<std::string> lines;
    if (!hasHeader("Accept")) lines.emplace_back("Accept:");  // no Accept header unless asked for
    if (m_refresh && !hasHeader("Pragma")) lines.emplace_back("Pragma: no-cache");
    if (m_refresh && !hasHeader("Cache-Control")) lines.emplace_back("Cache-Control: no-cache");
    for (const auto& [name, value] : m_headers) {
        if (EqualsNoCaseAscii(name, "Cookie")) {
            // Given to the cookie engine, which sends it in one header with the session's cookies.
            t.cookie = value;
            continue;
        }
        lines.push_back(value.empty() ? name + ":" : name + ": " + value);
    }
    for (const std::string& line : lines) {
        curl_slist* extended = curl_slist_append(t.headerList, line.c_str());
        if (!extended) return kHttpErrorOutOfHandles;
        t.headerList = extended;
    }

    CURL* h = t.easy;
    bool ok = true;
    auto set = [&](CURLoption option, auto value) { ok = ok && curl_easy_setopt(h, option, value) == CURLE_OK; };
    set(CURLOPT_URL, m_url.c_str());
    set(CURLOPT_HTTPGET, 1L);
    set(CURLOPT_CUSTOMREQUEST, m_verb == "GET" ? nullptr : m_verb.c_str());
    if (!body.empty()) {
        set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        set(CURLOPT_COPYPOSTFIELDS, std::string(body).c_str());
    }
    set(CURLOPT_REFERER, m_referrer.empty() ? nullptr : m_referrer.c_str());
    set(CURLOPT_COOKIE, t.cookie.empty() ? nullptr : t.cookie.c_str());
    set(CURLOPT_HTTPHEADER, t.headerList);
    set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_timeouts.connectMs));
    // The receive timeout is the longest silence: libcurl's low-speed limit
    // (whole seconds) stands behind the pump's own millisecond check.
    const long lowSpeedSeconds = static_cast<long>((uint64_t{m_timeouts.receiveMs} + 999) / 1000);
    set(CURLOPT_LOW_SPEED_LIMIT, lowSpeedSeconds == 0 ? 0L : 1L);
    set(CURLOPT_LOW_SPEED_TIME, lowSpeedSeconds);
    set(CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
    set(CURLOPT_HEADERDATA, &t);
    set(CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
    set(CURLOPT_WRITEDATA, &t);
    set(CURLOPT_PREREQFUNCTION, &Transfer::OnRequestReady);
    set(CURLOPT_PREREQDATA, &t);
    set(CURLOPT_ERRORBUFFER, t.engineMessage);
    if (!ok) return kHttpErrorInternal;

    m_statusCode = 0;
    m_reasonPhrase.clear();
    m_rawHeaders.clear();
    if (curl_multi_add_handle(t.multi, h) != CURLM_OK) return kHttpErrorInternal;
    t.added = true;
    t.lastActivity = Clock::now();
    Pump(Goal::RequestSent);
    return t.requestSent ? kHttpErrorNone : TransferError();
}

// True when the transfer ended on the engine's limit for a single header
// line, which it reports as exhausted memory (a dedicated code in later
// versions). Our own limit is met first for a head made of many lines.
bool HttpRequest::HeadTooLarge(const Transfer& t) {
    const bool inHead = t.requestSent && !t.finalHead && !t.responseStarted;
#if LIBCURL_VERSION_NUM >= 0x080600
    if (t.result == CURLE_TOO_LARGE) return inHead;
#endif
    return t.result == CURLE_OUT_OF_MEMORY && inHead;
}

uint32_t HttpRequest::ReceiveResponse() {
    if (!m_transfer) return kHttpErrorIncorrectHandleState;
    Pump(Goal::FinalHead);
    const Transfer& t = *m_transfer;
    if (t.headError != kHttpErrorNone) return t.headError;
    // Once the final head is complete, whatever befalls the body is the
    // body reader's to report.
    if (!t.finalHead && !t.responseStarted) {
        const uint32_t transferError = TransferError();
        if (transferError != kHttpErrorNone) return transferError;
    }
    return m_statusCode != 0 ? kHttpErrorNone : kHttpErrorInvalidServerResponse;
}

uint32_t HttpRequest::QueryDataAvailable(size_t& available) {
    available = 0;
    if (!m_transfer || m_statusCode == 0) return kHttpErrorIncorrectHandleState;
    Pump(Goal::DataReady);
    available = m_transfer->pending.size() - m_transfer->pendingOffset;
    return available > 0 ? kHttpErrorNone : TransferError();
}

uint32_t HttpRequest::ReadData(char* buffer, size_t size, size_t& read) {
    read = 0;
    if (!m_transfer || m_statusCode == 0) return kHttpErrorIncorrectHandleState;
    Transfer& t = *m_transfer;
    read = std::min(size, t.pending.size() - t.pendingOffset);
    std::copy_n(t.pending.data() + t.pendingOffset, read, buffer);
    t.pendingOffset += read;
    // What one burst of the engine left here is not kept beside the reader's
    // copy: a drained buffer beyond a few receive buffers goes back at once.
    if (t.pendingOffset == t.pending.size() && t.pending.capacity() > static_cast<size_t>(4 * kReceiveBufferBytes)) {
        std::string().swap(t.pending);
        t.pendingOffset = 0;
    }
    return kHttpErrorNone;
}

bool HttpRequest::Reached(Goal goal) const {
    const Transfer& t = *m_transfer;
    switch (goal) {
        case Goal::RequestSent: return t.requestSent || t.done;
        case Goal::FinalHead: return t.finalHead || t.responseStarted || t.done;
        case Goal::DataReady: return t.pending.size() > t.pendingOffset || t.done;
    }
    return true;
}

// Drives the transfer until goal is reached or the transfer has ended.
// An engine failure, a receive timeout or a "no" to the keep-going question
// ends the transfer with its own error.
void HttpRequest::Pump(Goal goal) {
    Transfer& t = *m_transfer;
    while (!Reached(goal)) {
        if (m_keepGoing.ask && !m_keepGoing.ask()) {
            t.Finish(kHttpErrorOperationCancelled);
            break;
        }
        int running = 0;
        if (curl_multi_perform(t.multi, &running) != CURLM_OK) {
            t.Finish(kHttpErrorInternal);
            break;
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(t.multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == t.easy) {
                t.done = true;
                t.result = message->data.result;
                curl_multi_remove_handle(t.multi, t.easy);
                t.added = false;
            }
        }
        if (t.done && t.ownError == kHttpErrorNone && HeadTooLarge(t)) t.ownError = kHttpErrorHeaderSizeOverflow;
        if (Reached(goal)) break;

        // Silence after the request went out counts against the receive timeout.
        int waitMs = 1000;
        if (m_keepGoing.ask) waitMs = static_cast<int>(std::clamp<uint32_t>(m_keepGoing.everyMs, 1, 1000));
        if (t.requestSent && m_timeouts.receiveMs != 0) {
            const auto silent =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t.lastActivity).count();
            if (silent >= static_cast<long long>(m_timeouts.receiveMs)) {
                t.Finish(kHttpErrorTimeout);
                break;
            }
            waitMs = static_cast<int>(std::min<long long>(waitMs, m_timeouts.receiveMs - silent));
        }
        if (curl_multi_poll(t.multi, nullptr, 0, waitMs, nullptr) != CURLM_OK) {
            t.Finish(kHttpErrorInternal);
            break;
        }
    }
}

// The error with which an ended transfer ended (0 for a complete one). A
// redirect that was refused for its scheme leaves its 3xx response final.
uint32_t HttpRequest::TransferError() const {
    const Transfer& t = *m_transfer;
    if (!t.done) return kHttpErrorNone;
    if (t.ownError != kHttpErrorNone) return t.ownError;
    if ((t.result == CURLE_UNSUPPORTED_PROTOCOL || t.result == CURLE_URL_MALFORMAT) && t.requestSent &&
        m_statusCode >= 300 && m_statusCode <= 399 && (t.finalHead || t.result == CURLE_URL_MALFORMAT))
        return kHttpErrorNone;
    // Once the request is out, an unsupported protocol is the server's reply:
    // no status line at all (HTTP/0.9) or a version other than HTTP/1.x.
    if (t.result == CURLE_UNSUPPORTED_PROTOCOL && t.requestSent) return kHttpErrorInvalidServerResponse;
    // The engine reports a malformed chunked body with the code of a broken
    // connection; only its message tells the two apart.
    if (t.result == CURLE_RECV_ERROR && std::string_view(t.engineMessage).find("chunked") != std::string_view::npos)
        return kHttpErrorInvalidServerResponse;
    return MapCurlError(t.result);
}

}  // namespace platform

namespace platform {

std::string HttpRequest::ConnectFailure() const {
    if (!m_transfer || !m_transfer->done || m_transfer->result != CURLE_COULDNT_CONNECT) return {};
    const Transfer& t = *m_transfer;
    long number = 0;
    curl_easy_getinfo(t.easy, CURLINFO_OS_ERRNO, &number);
    char* ip = nullptr;
    long port = 0;
    curl_easy_getinfo(t.easy, CURLINFO_PRIMARY_IP, &ip);
    curl_easy_getinfo(t.easy, CURLINFO_PRIMARY_PORT, &port);
    // The address the engine tried, else the proxy's or the server's as named.
    const std::string& proxy = m_session.m_proxyUrl;
    const std::string& named = proxy.empty() ? m_url : proxy;
    const size_t scheme = named.find("://");
    const size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    std::string where =
        ip && *ip ? std::string(ip) + ":" + std::to_string(port) : named.substr(start, named.find('/', start) - start);
    if (!proxy.empty()) where += " (proxy)";
    std::string reason =
        number != 0 ? std::generic_category().message(static_cast<int>(number)) : std::string(t.engineMessage);
    if (!reason.empty() && reason[0] >= 'A' && reason[0] <= 'Z') reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    return "could not connect to " + where + (reason.empty() ? std::string() : ": " + reason);
}

}  // namespace platform
