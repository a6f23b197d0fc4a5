// A well-formed HTTP server for the tests: cpp-httplib on 127.0.0.1 with an
// ephemeral port, answering with the handlers a test registers and recording
// every request it receives. It only ever speaks proper HTTP; answers that
// break the protocol come from RawServer.h.
//
// A LoopbackServer runs on its own thread from Start() to destruction; its
// handlers run on the server's threads, so the record is guarded by a mutex.
#pragma once

#include <httplib.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/HandlerRelease.h"
#include "tests/support/LoopbackSocket.h"

namespace testsupport {

// One request as the server received it.
struct SeenRequest {
    std::string method;
    std::string target;  // the request target exactly as on the request line
    httplib::Headers headers;

    // The value of header name; empty when it is absent.
    std::string Header(const std::string& name) const {
        auto it = headers.find(name);
        return it == headers.end() ? std::string() : it->second;
    }
    // How many times header name came.
    size_t HeaderCount(const std::string& name) const { return headers.count(name); }
};

class LoopbackServer {
public:
    LoopbackServer() {
        m_server.set_tcp_nodelay(true);
        m_server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_seen.push_back(SeenRequest{req.method, req.target, req.headers});
            return httplib::Server::HandlerResponse::Unhandled;
        });
    }
    ~LoopbackServer() { Stop(); }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // The server itself, for registering handlers before Start().
    httplib::Server& Http() { return m_server; }

    // Answers GET requests whose path matches pattern with body, status 200.
    void Serve(const std::string& pattern, const std::string& body, const std::string& type = "text/plain") {
        m_server.Get(pattern, [body, type](const httplib::Request&, httplib::Response& res) {
            res.set_content(body, type.c_str());
        });
    }

    // Binds to an ephemeral port on 127.0.0.1 and serves on a thread.
    void Start() {
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // Releases stalled handlers, stops serving and joins the thread.
    void Stop() {
        ReleaseStalls();
        if (m_thread.joinable()) {
            m_server.stop();
            m_thread.join();
        }
    }

    // The bound port, 0 before Start().
    int Port() const { return m_port; }
    // "127.0.0.1:<port>" followed by path (which should start with "/").
    std::string Address(const std::string& path = "/") const { return LoopbackAddress(m_port, path); }

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
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;
    std::vector<SeenRequest> m_seen;
    HandlerRelease m_stalls;
};

}  // namespace testsupport
