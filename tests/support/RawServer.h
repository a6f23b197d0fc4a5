// A server that answers with whatever bytes a test writes, for the faults a
// well-formed server cannot make (a broken status line, a body cut short, a
// reset, a drip, silence) and for requests a well-formed server would refuse
// before a handler saw them. A listening socket on 127.0.0.1 (ephemeral port)
// whose connections are answered by a test-supplied script working on the
// raw socket. Well-formed pages come from LoopbackServer.h; Reply() frames
// the odd well-formed answer a script gives between its faults. Also here: a
// port nobody listens on, and a listener whose connect never completes.
//
// The server accepts on its own thread and runs each connection's script on
// a thread of its own until the script returns; destruction closes the
// listening socket, releases scripts waiting in Hold() and joins every thread.
// Nothing here reaches beyond loopback.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/HandlerRelease.h"
#include "tests/support/LoopbackSocket.h"

namespace testsupport {

class RawServer {
public:
    // script(fd, requestHead) answers one connection; requestHead is the
    // request line and headers as received. The socket is closed after it.
    using Script = std::function<void(SocketHandle fd, const std::string& requestHead)>;

    // Listens on port (0: a free one) of 127.0.0.1; Port() stays 0 when it cannot.
    explicit RawServer(Script script, int port = 0) : m_script(std::move(script)) {
        m_listener = OpenTcpSocket();
        port = BindLoopback(m_listener, port);
        if (port == 0 || ::listen(m_listener, 16) != 0) return;
        m_port = port;
        m_acceptor = std::thread([this] { AcceptLoop(); });
    }
    ~RawServer() {
        Release();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stopping = true;
        }
        m_closing = true;
        if (m_acceptor.joinable()) m_acceptor.join();
        for (std::thread& connection : m_connections) connection.join();
        CloseSocket(m_listener);
    }
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    // The listening port, 0 when the socket could not be set up.
    int Port() const { return m_port; }
    // "127.0.0.1:<port>" + path.
    std::string Address(const std::string& path) const { return LoopbackAddress(m_port, path); }

    // Waits, inside a script, until the server is destroyed or limit passes.
    void Hold(std::chrono::milliseconds limit) { m_holds.WaitFor(limit); }
    // Lets every Hold() return.
    void Release() { m_holds.Open(); }

    // Sends bytes one at a time, one every gap, inside a script; false when
    // it stopped early because the peer has gone or the server is being destroyed.
    bool Drip(SocketHandle fd, const std::string& bytes, std::chrono::milliseconds gap) {
        for (const char byte : bytes) {
            if (!Send(fd, std::string(1, byte))) return false;
            if (m_holds.WaitFor(gap)) return false;
        }
        return true;
    }

    // Sends all of bytes; false when the peer has gone, or when it stops
    // reading while the server that owns fd is being destroyed (a client may
    // keep a connection it gave up open for a while, and a send to it must
    // not hold the destruction up).
    static bool Send(SocketHandle fd, const std::string& bytes) {
        size_t sent = 0;
        while (sent < bytes.size()) {
            const long n = SendSome(fd, bytes.data() + sent, bytes.size() - sent);
            if (n > 0) {
                sent += static_cast<size_t>(n);
                continue;
            }
            if (n == 0 || !LastCallWouldBlock()) return false;
            while (!WaitWritable(fd, 100))
                if (t_closing && *t_closing) return false;
        }
        return true;
    }
    // A whole well-formed answer: the status line ("404 Not Found"), headers
    // (each line ending in CRLF), the body's Content-Length, "Connection: close"
    // and body.
    static std::string Reply(const std::string& status, const std::string& body, const std::string& headers = "") {
        return "HTTP/1.1 " + status + "\r\n" + headers + "Content-Length: " + std::to_string(body.size()) +
               "\r\nConnection: close\r\n\r\n" + body;
    }
    // data framed as one chunk of a chunked body.
    static std::string Chunk(const std::string& data) {
        char size[32];
        std::snprintf(size, sizeof size, "%zx\r\n", data.size());
        return size + data + "\r\n";
    }
    // Makes the coming close send a reset instead of an orderly end.
    static void ResetOnClose(SocketHandle fd) { SetResetOnClose(fd); }
    // The path of the request line of requestHead ("GET /x HTTP/1.1" gives "/x";
    // an absolute-form target gives its path).
    static std::string PathOf(const std::string& requestHead) {
        const size_t start = requestHead.find(' ');
        const size_t end = requestHead.find(' ', start + 1);
        if (start == std::string::npos || end == std::string::npos) return {};
        std::string target = requestHead.substr(start + 1, end - start - 1);
        const size_t scheme = target.find("://");
        if (scheme != std::string::npos) {
            const size_t slash = target.find('/', scheme + 3);
            target = slash == std::string::npos ? "/" : target.substr(slash);
        }
        return target;
    }

private:
    void AcceptLoop() {
        for (;;) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (m_stopping) return;
            }
            if (!WaitReadable(m_listener, 50)) continue;
            const SocketHandle fd = AcceptConnection(m_listener);
            if (fd == kNoSocket) continue;
            // Connection sockets do not block, so that Send() can give up on a
            // peer that stopped reading once the server is being destroyed.
            SetNonBlocking(fd);
            m_connections.emplace_back([this, fd] {
                t_closing = &m_closing;
                const std::string head = ReadHead(fd);
                m_script(fd, head);
                CloseSocket(fd);
            });
        }
    }

    // Reads up to the empty line that ends the request head (at most 64 KB, 5 s).
    static std::string ReadHead(SocketHandle fd) {
        std::string head;
        char buffer[4096];
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536 &&
               std::chrono::steady_clock::now() < deadline) {
            if (!WaitReadable(fd, 100)) continue;
            const long n = ReceiveSome(fd, buffer, sizeof buffer);
            if (n <= 0) break;
            head.append(buffer, static_cast<size_t>(n));
        }
        return head;
    }

    Script m_script;
    SocketHandle m_listener = kNoSocket;
    int m_port = 0;
    std::thread m_acceptor;
    std::vector<std::thread> m_connections;  // touched by the acceptor thread only, until it is joined
    HandlerRelease m_holds;
    std::mutex m_mutex;  // guards m_stopping
    bool m_stopping = false;
    std::atomic<bool> m_closing{false};  // set once destruction has begun

    // The closing flag of the server whose connection this thread answers.
    static inline thread_local const std::atomic<bool>* t_closing = nullptr;
};

// A port on 127.0.0.1 on which nothing listens: bound, then closed again.
inline int ClosedPort() {
    const SocketHandle fd = OpenTcpSocket();
    const int port = BindLoopback(fd);
    CloseSocket(fd);
    return port;
}

// A listening port on 127.0.0.1 that never accepts and whose queue is full
// (one connection already waits in it): a further connect to it neither
// succeeds nor fails, its SYN is dropped and retried until the client gives up.
class FullListener {
public:
    FullListener() {
        m_listener = OpenTcpSocket();
        m_waiting = OpenTcpSocket();
        const int port = BindLoopback(m_listener);
        if (port == 0 || m_waiting == kNoSocket || ::listen(m_listener, 0) != 0 || !ConnectLoopback(m_waiting, port))
            return;
        m_port = port;
    }
    ~FullListener() {
        CloseSocket(m_waiting);
        CloseSocket(m_listener);
    }
    FullListener(const FullListener&) = delete;
    FullListener& operator=(const FullListener&) = delete;

    // The listening port, 0 when it could not be set up.
    int Port() const { return m_port; }
    // "127.0.0.1:<port>" + path.
    std::string Address(const std::string& path) const { return LoopbackAddress(m_port, path); }

private:
    SocketHandle m_listener = kNoSocket;
    SocketHandle m_waiting = kNoSocket;
    int m_port = 0;
};

}  // namespace testsupport
