// Test helper: a forward proxy on 127.0.0.1 that records the time and target
// of each request and answers it from a local web server (the catalogue), so
// a test sees exactly what a program asked for and when. Absolute targets are
// passed on in origin form; a request the server does not answer gets 502.
// Started by the constructor, stopped by the destructor; its methods are
// safe from any thread.
#pragma once

#include <httplib.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// Answers from the server on 127.0.0.1 at cataloguePort.
class RecordingProxy {
public:
    using Clock = std::chrono::steady_clock;

    struct Request {
        Clock::time_point time;
        std::string target;
    };

    explicit RecordingProxy(int cataloguePort) : m_client("127.0.0.1", cataloguePort) {
        m_client.set_url_encode(false);
        m_server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_requests.push_back({Clock::now(), request.target});
            }
            std::string target = request.target;
            if (target.rfind("http://", 0) == 0) {
                const size_t path = target.find('/', 7);
                target = path == std::string::npos ? "/" : target.substr(path);
            }
            std::lock_guard<std::mutex> lock(m_clientMutex);
            if (auto answer = m_client.Get(target.c_str())) {
                response.status = answer->status;
                response.set_content(answer->body, answer->get_header_value("Content-Type").c_str());
            } else {
                response.status = 502;
            }
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
    }
    ~RecordingProxy() {
        m_server.stop();
        m_thread.join();
    }

    std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }

    std::vector<Request> Requests() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }
    size_t CountContaining(const std::string& text) const {
        size_t count = 0;
        for (const auto& request : Requests()) count += request.target.find(text) != std::string::npos ? 1 : 0;
        return count;
    }

private:
    httplib::Server m_server;
    httplib::Client m_client;
    std::mutex m_clientMutex;
    mutable std::mutex m_mutex;
    std::vector<Request> m_requests;
    std::thread m_thread;
    int m_port = -1;
};

}  // namespace testsupport
