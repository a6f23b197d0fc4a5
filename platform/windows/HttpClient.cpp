// The HTTP client layer over WinHTTP. A session is one WinHTTP session handle
// opened for asynchronous use, so that every step that waits on the network
// (send, the response head, body bytes) waits here, where the keep-going
// question is asked and the receive timeout is watched; WinHTTP reports each
// step's completion through the request's status callback.
#include "platform/HttpClient.h"

#include <windows.h>
#include <winhttp.h>
#include <winsock2.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kMaxRedirects = kHttpMaxRedirects;
constexpr DWORD kMaxHeaderBytes = kHttpMaxHeaderBytes;
// The most body bytes fetched from WinHTTP in one read.
constexpr DWORD kReadBytes = 128 * 1024;
// The engine's own connect limit, which a connect timeout of 0 leaves in place.
constexpr DWORD kDefaultConnectMs = 300000;

// Bytes as UTF-16 code units of the same values: what WinHTTP is given for
// the wire (agent, header lines, targets) goes back out as the same bytes.
std::wstring WidenBytes(std::string_view bytes) {
    std::wstring wide(bytes.size(), L'\0');
    std::transform(bytes.begin(), bytes.end(), wide.begin(),
                   [](char c) { return static_cast<wchar_t>(static_cast<unsigned char>(c)); });
    return wide;
}

// What WinHTTP read off the wire, back to bytes: it widened them in the
// system's ANSI code page.
std::string NarrowWire(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size =
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(std::max(size, 0)), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), size, nullptr,
                              nullptr);
    return bytes;
}

// The code of this layer for a WinHTTP or system error: WinHTTP's own codes
// are the numbers of platform/HttpError.h; anything else is a fault here.
uint32_t MapWinHttpError(DWORD code) {
    if (code == ERROR_SUCCESS) return kHttpErrorNone;
    if (code == ERROR_NOT_ENOUGH_MEMORY || code == ERROR_OUTOFMEMORY) return code;
    // A receive that timed out inside WinHTTP may come back in the socket's words.
    if (code == WSAETIMEDOUT || code == ERROR_TIMEOUT) return kHttpErrorTimeout;
    if (IsHttpError(code) && HttpErrorText(code) != nullptr) return code;
    return kHttpErrorInternal;
}

}  // namespace

// ---------------------------------------------------------------------------
// Session

struct HttpSession::Engine {
    HINTERNET session = nullptr;

    ~Engine() {
        if (session) ::WinHttpCloseHandle(session);
    }
};

HttpSession::HttpSession(std::string_view agent, std::string_view proxy) : m_engine(std::make_unique<Engine>()) {
    Engine& e = *m_engine;
    if (!AcceptSettings(agent, proxy)) return;
    std::wstring proxyName;
    if (!m_proxyUrl.empty())
        proxyName = WidenBytes(std::string_view(m_proxyUrl).substr(std::string_view("http://").size()));
    // A named proxy receives every request, loopback ones included; without
    // one no proxy is used, whatever the system's settings say.
    const std::wstring agentText = WidenBytes(agent);
    e.session = ::WinHttpOpen(agentText.c_str(),
                              proxyName.empty() ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_NAMED_PROXY,
                              proxyName.empty() ? WINHTTP_NO_PROXY_NAME : proxyName.c_str(), WINHTTP_NO_PROXY_BYPASS,
                              WINHTTP_FLAG_ASYNC);
    if (!e.session) {
        m_openError = kHttpErrorOutOfHandles;
        return;
    }
    DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_ALWAYS;
    DWORD redirects = kMaxRedirects;
    DWORD headerBytes = kMaxHeaderBytes;
    ::WinHttpSetOption(e.session, WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof policy);
    ::WinHttpSetOption(e.session, WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS, &redirects, sizeof redirects);
    ::WinHttpSetOption(e.session, WINHTTP_OPTION_MAX_RESPONSE_HEADER_SIZE, &headerBytes, sizeof headerBytes);
}

HttpSession::~HttpSession() = default;

// ---------------------------------------------------------------------------
// Request

// What the status callback reports about one request, shared with WinHTTP's
// threads and guarded by mutex. It lives until WinHTTP lets go of the request
// handle, which may be after the transfer that opened it has ended: a closed
// request whose step still waits on a silent peer calls back once that wait ends.
struct StepSignals {
    std::mutex mutex;
    std::condition_variable changed;
    bool completed = false;  // the step under way completed...
    DWORD stepError = 0;     // ...with this error (0: success)
    DWORD stepBytes = 0;     // ...and this many bytes (available or read)
    bool wrote = false;      // the request went out on the wire
    Clock::time_point lastActivity;
    std::string readBuffer;             // where a read step writes
    std::shared_ptr<StepSignals> self;  // set while WinHTTP may call back

    static void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD length) {
        auto* s = reinterpret_cast<StepSignals*>(context);
        if (!s) return;
        std::shared_ptr<StepSignals> released;  // let go after the lock below
        std::lock_guard<std::mutex> lock(s->mutex);
        s->lastActivity = Clock::now();
        switch (status) {
            case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
            case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE: s->Complete(0, 0); break;
            case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE: s->Complete(0, *static_cast<DWORD*>(info)); break;
            case WINHTTP_CALLBACK_STATUS_READ_COMPLETE: s->Complete(0, length); break;
            case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
                s->Complete(static_cast<WINHTTP_ASYNC_RESULT*>(info)->dwError, 0);
                break;
            case WINHTTP_CALLBACK_STATUS_REQUEST_SENT: s->wrote = true; break;
            case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING: released = std::move(s->self); return;
            default: return;
        }
        s->changed.notify_all();
    }

    void Complete(DWORD error, DWORD bytes) {
        completed = true;
        stepError = error;
        stepBytes = bytes;
    }
};

// One request's WinHTTP handles, its body bytes and how it ended.
struct HttpRequest::Transfer {
    HINTERNET connect = nullptr;
    HINTERNET request = nullptr;
    std::wstring host;
    INTERNET_PORT port = 0;
    bool requestSent = false;  // the request is on the wire
    bool sendPending = false;  // ...but WinHTTP has not yet completed the send step
    bool bodyDone = false;
    uint32_t endError = kHttpErrorNone;  // how the transfer ended, once it did
    std::string pending;                 // body bytes read, not yet handed out
    size_t pendingOffset = 0;
    size_t bodyBytes = 0;
    std::shared_ptr<StepSignals> signals = std::make_shared<StepSignals>();

    ~Transfer() { Close(); }

    // Closes the handles; WinHTTP calls back no more once it has let go of them.
    void Close() {
        if (request) ::WinHttpCloseHandle(request);
        request = nullptr;
        if (connect) ::WinHttpCloseHandle(connect);
        connect = nullptr;
    }

    // Ends the transfer with error: the connection is dropped.
    void End(uint32_t error) {
        endError = error;
        bodyDone = true;
        std::string().swap(pending);
        pendingOffset = 0;
        Close();
    }

    // Starts one asynchronous WinHTTP step; a step that cannot start ends the transfer.
    uint32_t Begin(const std::function<bool()>& start) {
        StepSignals& s = *signals;
        {
            std::lock_guard<std::mutex> lock(s.mutex);
            s.completed = false;
            s.stepError = 0;
            s.stepBytes = 0;
            s.lastActivity = Clock::now();
        }
        if (start()) return kHttpErrorNone;
        const uint32_t error = MapWinHttpError(::GetLastError());
        End(error);
        return error;
    }

    // Waits until the step under way completed or reached is true, asking
    // the keep-going question while it waits. Silence counts against the
    // receive timeout when silenceCounts. A failed step, a timeout or a "no"
    // ends the transfer with its error.
    uint32_t Wait(const std::function<bool()>& reached, bool silenceCounts, const HttpTimeouts& timeouts,
                  const HttpKeepGoing& keepGoing) {
        StepSignals& s = *signals;
        std::unique_lock<std::mutex> lock(s.mutex);
        auto done = [&] { return s.completed || (reached && reached()); };
        while (!done()) {
            lock.unlock();
            const bool goOn = !keepGoing.ask || keepGoing.ask();
            lock.lock();
            if (done()) break;
            uint32_t ending = goOn ? kHttpErrorNone : kHttpErrorOperationCancelled;
            auto wait =
                std::chrono::milliseconds(keepGoing.ask ? std::clamp<uint32_t>(keepGoing.everyMs, 1, 1000) : 1000);
            if (ending == kHttpErrorNone && silenceCounts && timeouts.receiveMs != 0) {
                const auto silent =
                    std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - s.lastActivity);
                const auto limit = std::chrono::milliseconds(timeouts.receiveMs);
                if (silent >= limit) ending = kHttpErrorTimeout;
                else wait = std::min(wait, limit - silent);
            }
            if (ending != kHttpErrorNone) {
                lock.unlock();
                End(ending);
                return ending;
            }
            s.changed.wait_for(lock, wait, done);
        }
        const uint32_t error = s.completed ? MapWinHttpError(s.stepError) : kHttpErrorNone;
        lock.unlock();
        if (error != kHttpErrorNone) End(error);
        return error;
    }

    // Begin() and Wait() for the step's completion.
    uint32_t Await(const std::function<bool()>& start, bool silenceCounts, const HttpTimeouts& timeouts,
                   const HttpKeepGoing& keepGoing) {
        const uint32_t error = Begin(start);
        return error != kHttpErrorNone ? error : Wait(nullptr, silenceCounts, timeouts, keepGoing);
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

namespace {

// The header lines a request sends beside the ones WinHTTP makes itself.
std::wstring RequestHeaderLines(const std::vector<std::pair<std::string, std::string>>& headers,
                                const std::string& referrer, bool refresh) {
    auto has = [&](std::string_view name) {
        return std::any_of(headers.begin(), headers.end(),
                           [&](const auto& header) { return EqualsNoCaseAscii(header.first, name); });
    };
    std::string lines;
    // The referrer argument of WinHttpOpenRequest is not honoured everywhere;
    // as a header line it always reaches the wire.
    if (!referrer.empty() && !has("Referer")) lines += "Referer: " + referrer + "\r\n";
    if (refresh && !has("Pragma")) lines += "Pragma: no-cache\r\n";
    if (refresh && !has("Cache-Control")) lines += "Cache-Control: no-cache\r\n";
    for (const auto& [name, value] : headers) lines += name + ": " + value + "\r\n";
    return WidenBytes(lines);
}

}  // namespace

uint32_t HttpRequest::Send(std::string_view body) {
    if (m_transfer) return kHttpErrorIncorrectHandleState;
    m_transfer = std::make_unique<Transfer>();
    Transfer& t = *m_transfer;

    // The URL this layer built: "http://host[:port]/target", target already encoded.
    const std::wstring url = WidenBytes(m_url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!::WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return kHttpErrorInvalidUrl;
    t.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    t.port = parts.nPort;
    std::wstring target(parts.lpszUrlPath, parts.dwUrlPathLength);
    target.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);

    // The default port is named as such, so that no ":80" is added to
    // absolute-form targets and Host headers.
    t.connect = ::WinHttpConnect(m_session.m_engine->session, t.host.c_str(),
                                 t.port == INTERNET_DEFAULT_HTTP_PORT ? INTERNET_DEFAULT_PORT : t.port, 0);
    if (!t.connect) return MapWinHttpError(::GetLastError());
    const std::wstring verb = WidenBytes(m_verb);
    // No Accept header unless asked for; the target goes out as given.
    t.request = ::WinHttpOpenRequest(t.connect, verb.c_str(), target.c_str(), nullptr, WINHTTP_NO_REFERER,
                                     WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_ESCAPE_DISABLE);
    if (!t.request) return MapWinHttpError(::GetLastError());

    // The session's cookies and a caller's "Cookie" header go out in one header.
    std::vector<std::pair<std::string, std::string>> headers;
    std::string cookie;
    for (const auto& header : m_headers) {
        if (EqualsNoCaseAscii(header.first, "Cookie")) cookie = header.second;
        else headers.push_back(header);
    }
    const std::wstring lines = RequestHeaderLines(headers, m_referrer, m_refresh);
    // An empty value removes a header, WinHTTP's own included.
    for (const auto& [name, value] : headers) {
        if (!value.empty()) continue;
        const std::wstring line = WidenBytes(name + ":");
        ::WinHttpAddRequestHeaders(t.request, line.c_str(), static_cast<DWORD>(line.size()),
                                   WINHTTP_ADDREQ_FLAG_REPLACE);
    }
    if (!lines.empty() && !::WinHttpAddRequestHeaders(t.request, lines.c_str(), static_cast<DWORD>(lines.size()),
                                                      WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE))
        return MapWinHttpError(::GetLastError());
    if (!cookie.empty()) {
        const std::wstring line = WidenBytes("Cookie: " + cookie);
        ::WinHttpAddRequestHeaders(t.request, line.c_str(), static_cast<DWORD>(line.size()),
                                   WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_COALESCE_WITH_SEMICOLON);
    }

    const int connectMs = static_cast<int>(m_timeouts.connectMs == 0 ? kDefaultConnectMs : m_timeouts.connectMs);
    // The receive timeout is watched here, where every wait happens; WinHTTP's
    // own stands behind it, later, so that a silence ends with the same code
    // however long it lasts.
    const int receiveMs = m_timeouts.receiveMs == 0
                              ? -1
                              : static_cast<int>(std::min<uint32_t>(m_timeouts.receiveMs, 1u << 29) * 2 + 1000);
    ::WinHttpSetTimeouts(t.request, 0, connectMs, receiveMs, receiveMs);

    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(t.signals.get());
    ::WinHttpSetOption(t.request, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context);
    if (::WinHttpSetStatusCallback(t.request, &StepSignals::OnStatus,
                                   WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES |
                                       WINHTTP_CALLBACK_STATUS_REQUEST_SENT,
                                   0) == WINHTTP_INVALID_STATUS_CALLBACK)
        return MapWinHttpError(::GetLastError());
    // From here on WinHTTP may call back until it lets go of the handle.
    t.signals->self = t.signals;

    m_statusCode = 0;
    m_reasonPhrase.clear();
    m_rawHeaders.clear();
    const std::string payload(body);
    uint32_t error = t.Begin([&] {
        return ::WinHttpSendRequest(t.request, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                                    payload.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(payload.data()),
                                    static_cast<DWORD>(payload.size()), static_cast<DWORD>(payload.size()),
                                    context) != FALSE;
    });
    // The send step may complete only with the response head: the request is
    // on its way once it is on the wire.
    if (error == kHttpErrorNone) error = t.Wait([&] { return t.signals->wrote; }, false, m_timeouts, m_keepGoing);
    if (error != kHttpErrorNone) return error;
    t.requestSent = true;
    std::lock_guard<std::mutex> lock(t.signals->mutex);
    t.sendPending = !t.signals->completed;
    return kHttpErrorNone;
}

uint32_t HttpRequest::ReceiveResponse() {
    if (!m_transfer) return kHttpErrorIncorrectHandleState;
    Transfer& t = *m_transfer;
    if (t.bodyDone) return t.endError != kHttpErrorNone ? t.endError : kHttpErrorIncorrectHandleState;
    if (t.sendPending) {
        t.sendPending = false;
        if (const uint32_t error = t.Wait(nullptr, true, m_timeouts, m_keepGoing); error != kHttpErrorNone)
            return error;
    }
    const uint32_t error =
        t.Await([&] { return ::WinHttpReceiveResponse(t.request, nullptr) != FALSE; }, true, m_timeouts, m_keepGoing);
    if (error != kHttpErrorNone) return error;

    DWORD status = 0;
    DWORD size = sizeof status;
    if (!::WinHttpQueryHeaders(t.request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX) ||
        status < 100 || status > 999)
        return kHttpErrorInvalidServerResponse;
    auto text = [&](DWORD query) {
        DWORD bytes = 0;
        ::WinHttpQueryHeaders(t.request, query, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &bytes,
                              WINHTTP_NO_HEADER_INDEX);
        std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
        bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        if (!::WinHttpQueryHeaders(t.request, query, WINHTTP_HEADER_NAME_BY_INDEX, value.data(), &bytes,
                                   WINHTTP_NO_HEADER_INDEX))
            return std::string();
        value.resize(bytes / sizeof(wchar_t));
        return NarrowWire(value);
    };
    std::string rawHeaders = text(WINHTTP_QUERY_RAW_HEADERS_CRLF);
    // WinHTTP does not hold every system to the head's size limit; the limit holds here.
    if (rawHeaders.size() > kMaxHeaderBytes) {
        t.End(kHttpErrorHeaderSizeOverflow);
        return t.endError;
    }
    m_statusCode = status;
    m_reasonPhrase = text(WINHTTP_QUERY_STATUS_TEXT);
    m_rawHeaders = std::move(rawHeaders);
    return kHttpErrorNone;
}

uint32_t HttpRequest::QueryDataAvailable(size_t& available) {
    available = 0;
    if (!m_transfer || m_statusCode == 0) return kHttpErrorIncorrectHandleState;
    Transfer& t = *m_transfer;
    available = t.pending.size() - t.pendingOffset;
    if (available > 0) return kHttpErrorNone;
    if (t.bodyDone) return t.endError;

    uint32_t error = t.Await([&] { return ::WinHttpQueryDataAvailable(t.request, nullptr) != FALSE; }, true, m_timeouts,
                             m_keepGoing);
    if (error != kHttpErrorNone) return error;
    const DWORD ready = t.signals->stepBytes;
    if (ready == 0) {
        // A body that ends before its announced length was cut off.
        const std::optional<std::string> length = HeaderValue("Content-Length");
        if (length && !HeaderValue("Transfer-Encoding") && std::to_string(t.bodyBytes) != *length) {
            t.End(kHttpErrorConnectionError);
            return t.endError;
        }
        t.bodyDone = true;
        return kHttpErrorNone;
    }
    // The bound applies the moment more bytes are there than it allows.
    if (m_bodyLimit != 0 && (t.bodyBytes > m_bodyLimit || ready > m_bodyLimit - t.bodyBytes)) {
        t.End(kHttpErrorResponseTooLarge);
        return t.endError;
    }
    t.signals->readBuffer.resize(std::min(ready, kReadBytes));
    error = t.Await(
        [&] {
            return ::WinHttpReadData(t.request, t.signals->readBuffer.data(),
                                     static_cast<DWORD>(t.signals->readBuffer.size()), nullptr) != FALSE;
        },
        true, m_timeouts, m_keepGoing);
    if (error != kHttpErrorNone) return error;
    const size_t read = std::min<size_t>(t.signals->stepBytes, t.signals->readBuffer.size());
    t.bodyBytes += read;
    t.pending.assign(t.signals->readBuffer.data(), read);
    t.pendingOffset = 0;
    if (read == 0) t.bodyDone = true;
    available = read;
    return kHttpErrorNone;
}

uint32_t HttpRequest::ReadData(char* buffer, size_t size, size_t& read) {
    read = 0;
    if (!m_transfer || m_statusCode == 0) return kHttpErrorIncorrectHandleState;
    Transfer& t = *m_transfer;
    read = std::min(size, t.pending.size() - t.pendingOffset);
    std::copy_n(t.pending.data() + t.pendingOffset, read, buffer);
    t.pendingOffset += read;
    return kHttpErrorNone;
}

std::string HttpRequest::ConnectFailure() const {
    if (!m_transfer || m_transfer->requestSent || m_transfer->endError != kHttpErrorCannotConnect) return {};
    const Transfer& t = *m_transfer;
    // WinHTTP names neither the address it tried nor the system's reason:
    // the address is the proxy's or the server's as named.
    const std::string& proxy = m_session.m_proxyUrl;
    if (!proxy.empty()) return "could not connect to " + proxy.substr(std::string_view("http://").size()) + " (proxy)";
    return "could not connect to " + NarrowWire(t.host) + ":" + std::to_string(t.port);
}

}  // namespace platform
