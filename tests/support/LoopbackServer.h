// A well-formed HTTP/1.1 server for the tests, of our own over the loopback
// sockets of RawServer.h, so that it builds wherever the tests do: on
// 127.0.0.1 with an ephemeral port, it answers GET requests with the handler
// registered for their path (an ECMAScript pattern matched against the whole
// path, the query left out), 404 when none matches, and records every
// request it receives. One request per connection: every answer carries
// "Connection: close". It only ever speaks proper HTTP; answers that break
// the protocol come from RawServer.h.
//
// Register handlers before Start(); they run on the server's connection
// threads, so the record is guarded by a mutex.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/HandlerRelease.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/RawServer.h"

namespace testsupport {

// Header names compared without regard to letter case.
struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
            return lower(x) < lower(y);
        });
    }
};
using HeaderMap = std::multimap<std::string, std::string, NoCaseLess>;

// One request as the server received it.
struct SeenRequest {
    std::string method;
    std::string target;  // the request target exactly as on the request line
    HeaderMap headers;

    // The value of header name; empty when it is absent.
    std::string Header(const std::string& name) const {
        auto it = headers.find(name);
        return it == headers.end() ? std::string() : it->second;
    }
    // How many times header name came.
    size_t HeaderCount(const std::string& name) const { return headers.count(name); }
};

// A request as a handler sees it.
struct Request : SeenRequest {
    std::string path;     // the target without its query
    std::smatch matches;  // the handler's pattern matched against path
};

// Where a streamed body goes: Write() is false once the peer has gone.
class BodySink {
public:
    BodySink(SocketHandle socket, bool chunked) : m_socket(socket), m_chunked(chunked) {}
    // Sends bytes as the next part of the body.
    bool Write(const std::string& bytes) {
        if (bytes.empty()) return true;
        return RawServer::Send(m_socket, m_chunked ? RawServer::Chunk(bytes) : bytes);
    }

private:
    SocketHandle m_socket;
    bool m_chunked;
};

// The answer a handler gives: status 200 with an empty body unless it says otherwise.
struct Response {
    // writer(sink) sends a streamed body; true when the body is complete,
    // false to end the connection where it stands.
    using Writer = std::function<bool(BodySink& sink)>;

    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;  // in the order given
    std::string body;
    Writer writer;
    std::optional<size_t> streamLength;  // a streamed body's Content-Length; none: chunked

    // Answers with body and its Content-Type.
    void SetContent(const std::string& content, const std::string& type) {
        body = content;
        SetHeader("Content-Type", type);
    }
    // Adds a header line (a name may come more than once).
    void SetHeader(const std::string& name, const std::string& value) { headers.emplace_back(name, value); }
    // Answers with a redirect to location.
    void SetRedirect(const std::string& location, int code = 302) {
        status = code;
        SetHeader("Location", location);
    }
    // Streams the body from writer: with a Content-Length of length, or chunked without one.
    void Stream(std::optional<size_t> length, const std::string& type, Writer write) {
        streamLength = length;
        writer = std::move(write);
        SetHeader("Content-Type", type);
    }
};

class LoopbackServer {
public:
    using Handler = std::function<void(const Request& request, Response& response)>;

    LoopbackServer() = default;
    ~LoopbackServer() { Stop(); }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Answers GET requests whose path matches pattern with handler (the first match wins).
    void Get(const std::string& pattern, Handler handler) {
        m_routes.emplace_back(std::regex(pattern), std::move(handler));
    }
    // Answers GET requests whose path matches pattern with body, status 200.
    void Serve(const std::string& pattern, const std::string& body, const std::string& type = "text/plain") {
        Get(pattern, [body, type](const Request&, Response& res) { res.SetContent(body, type); });
    }

    // Listens on port of 127.0.0.1 (0: an ephemeral one) and serves; false
    // when the port cannot be had.
    bool Start(int port = 0) {
        m_raw =
            std::make_unique<RawServer>([this](SocketHandle socket, const std::string& head) { Answer(socket, head); },
                                        port);
        return m_raw->Port() != 0;
    }
    // Releases stalled handlers, stops serving and waits for every connection to end.
    void Stop() {
        ReleaseStalls();
        m_raw.reset();
    }

    // The bound port, 0 before Start().
    int Port() const { return m_raw ? m_raw->Port() : 0; }
    // "127.0.0.1:<port>" followed by path (which should start with "/").
    std::string Address(const std::string& path = "/") const { return LoopbackAddress(Port(), path); }

    // Every request received so far, in order.
    std::vector<SeenRequest> Seen() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_seen;
    }

    // Blocks a handler until the server stops or the limit passes.
    void Stall(std::chrono::milliseconds limit) { m_stalls.WaitFor(limit); }
    // Lets every Stall() return, now and from now on.
    void ReleaseStalls() { m_stalls.Open(); }

private:
    // Parses head; false when it is no request line and headers.
    static bool ParseHead(const std::string& head, Request& request) {
        const size_t end = head.find("\r\n\r\n");
        if (end == std::string::npos) return false;
        size_t lineEnd = head.find("\r\n");
        const std::string line = head.substr(0, lineEnd);
        const size_t first = line.find(' ');
        const size_t second = line.find(' ', first + 1);
        if (first == std::string::npos || second == std::string::npos) return false;
        request.method = line.substr(0, first);
        request.target = line.substr(first + 1, second - first - 1);
        request.path = request.target.substr(0, request.target.find('?'));
        while (lineEnd < end) {
            const size_t start = lineEnd + 2;
            lineEnd = head.find("\r\n", start);
            const std::string field = head.substr(start, lineEnd - start);
            const size_t colon = field.find(':');
            if (colon == std::string::npos) continue;
            std::string value = field.substr(colon + 1);
            value.erase(0, value.find_first_not_of(" \t"));
            value.erase(value.find_last_not_of(" \t") + 1);
            request.headers.emplace(field.substr(0, colon), value);
        }
        return true;
    }

    static const char* Reason(int status) {
        switch (status) {
            case 200: return "OK";
            case 301: return "Moved Permanently";
            case 302: return "Found";
            case 400: return "Bad Request";
            case 404: return "Not Found";
            case 500: return "Internal Server Error";
            default: return "Status";
        }
    }

    void Answer(SocketHandle socket, const std::string& head) {
        Request request;
        Response response;
        if (!ParseHead(head, request)) {
            response.status = 400;
        } else {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_seen.push_back(request);
            }
            const auto route = std::find_if(m_routes.begin(), m_routes.end(), [&](const auto& candidate) {
                return std::regex_match(request.path, request.matches, candidate.first);
            });
            if (route == m_routes.end() || request.method != "GET") response.status = 404;
            else route->second(request, response);
        }
        std::string reply = "HTTP/1.1 " + std::to_string(response.status) + " " + Reason(response.status) + "\r\n";
        for (const auto& [name, value] : response.headers) reply += name + ": " + value + "\r\n";
        const bool chunked = response.writer && !response.streamLength;
        if (chunked) reply += "Transfer-Encoding: chunked\r\n";
        else
            reply +=
                "Content-Length: " + std::to_string(response.writer ? *response.streamLength : response.body.size()) +
                "\r\n";
        reply += "Connection: close\r\n\r\n";
        if (!response.writer) {
            RawServer::Send(socket, reply + response.body);
            return;
        }
        if (!RawServer::Send(socket, reply)) return;
        BodySink sink(socket, chunked);
        if (response.writer(sink) && chunked) RawServer::Send(socket, "0\r\n\r\n");
    }

    std::vector<std::pair<std::regex, Handler>> m_routes;
    std::unique_ptr<RawServer> m_raw;
    mutable std::mutex m_mutex;
    std::vector<SeenRequest> m_seen;
    HandlerRelease m_stalls;
};

}  // namespace testsupport
