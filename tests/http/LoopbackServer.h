// Test helpers for the HTTP tests: a cpp-httplib server on 127.0.0.1 with an
// ephemeral port that records every request it receives, and a filter for
// captured trace lines (tests/support/LogCapture.h captures them).
//
// A LoopbackServer runs on its own thread from Start() to destruction; its
// handlers run on the server's threads, so the record is guarded by a mutex.
#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace mivo_test {

struct SeenRequest {
    std::string method;
    std::string target;  // the request target exactly as on the request line
    httplib::Headers headers;

    std::string Header(const std::string& name) const {
        auto it = headers.find(name);
        return it == headers.end() ? std::string() : it->second;
    }
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
    void Stop() {
        ReleaseStalls();
        if (m_thread.joinable()) {
            m_server.stop();
            m_thread.join();
        }
    }

    int Port() const { return m_port; }
    // "127.0.0.1:<port>" followed by path (which should start with "/").
    std::string Address(const std::string& path = "/") const {
        return "127.0.0.1:" + std::to_string(m_port) + path;
    }

    std::vector<SeenRequest> Seen() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_seen;
    }

    // Blocks a handler until the server stops or the limit passes.
    void Stall(std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> lock(m_stallMutex);
        m_stallCv.wait_for(lock, limit, [this] { return m_released; });
    }
    void ReleaseStalls() {
        std::lock_guard<std::mutex> lock(m_stallMutex);
        m_released = true;
        m_stallCv.notify_all();
    }

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;
    std::vector<SeenRequest> m_seen;
    std::mutex m_stallMutex;
    std::condition_variable m_stallCv;
    bool m_released = false;
};

// The texts among lines that start with prefix (lines as LogCapture::Texts gives them).
inline std::vector<std::wstring> WithPrefix(const std::vector<std::wstring>& texts, const std::wstring& prefix) {
    std::vector<std::wstring> found;
    for (const std::wstring& text : texts)
        if (text.compare(0, prefix.size(), prefix) == 0) found.push_back(text);
    return found;
}

}  // namespace mivo_test
