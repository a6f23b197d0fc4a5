// What the tests' loopback servers share: TCP sockets on 127.0.0.1 over the
// system's socket interface (POSIX sockets or Winsock, whose handle type
// differs), a free port, and the "127.0.0.1:<port><path>" address the plug-in
// is given. Nothing here reaches beyond loopback.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <string>

namespace testsupport {

#ifdef _WIN32
using SocketHandle = SOCKET;
inline constexpr SocketHandle kNoSocket = INVALID_SOCKET;
#else
using SocketHandle = int;
inline constexpr SocketHandle kNoSocket = -1;
#endif

// "127.0.0.1:<port>" followed by path (which should start with "/", or be empty).
inline std::string LoopbackAddress(int port, const std::string& path) {
    return "127.0.0.1:" + std::to_string(port) + path;
}

// The socket address of port on 127.0.0.1 (port 0: any free one).
inline sockaddr_in LoopbackEndpoint(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    return address;
}

// A new TCP socket, not inherited by child processes; kNoSocket on failure.
inline SocketHandle OpenTcpSocket() {
#ifdef _WIN32
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    if (!started) return kNoSocket;
    return ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
#else
    return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
#endif
}

// Closes socket (nothing for kNoSocket).
inline void CloseSocket(SocketHandle socket) {
    if (socket == kNoSocket) return;
#ifdef _WIN32
    ::closesocket(socket);
#else
    ::close(socket);
#endif
}

// Binds socket to port on 127.0.0.1 (0: a free one): the bound port, or 0
// when socket is not a socket or the bind failed.
inline int BindLoopback(SocketHandle socket, int port = 0) {
    if (socket == kNoSocket) return 0;
    sockaddr_in address = LoopbackEndpoint(port);
    socklen_t length = sizeof address;
    if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

// Connects socket to port on 127.0.0.1; true once connected.
inline bool ConnectLoopback(SocketHandle socket, int port) {
    const sockaddr_in address = LoopbackEndpoint(port);
    return ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

// True when socket has bytes (or an end) to read within ms milliseconds.
inline bool WaitReadable(SocketHandle socket, int ms) {
#ifdef _WIN32
    WSAPOLLFD ready{socket, POLLRDNORM, 0};
    return ::WSAPoll(&ready, 1, ms) > 0;
#else
    pollfd ready{socket, POLLIN, 0};
    return ::poll(&ready, 1, ms) > 0;
#endif
}

// True when socket can take more bytes within ms milliseconds.
inline bool WaitWritable(SocketHandle socket, int ms) {
#ifdef _WIN32
    WSAPOLLFD ready{socket, POLLWRNORM, 0};
    return ::WSAPoll(&ready, 1, ms) > 0;
#else
    pollfd ready{socket, POLLOUT, 0};
    return ::poll(&ready, 1, ms) > 0;
#endif
}

// Makes sends and receives on socket return at once instead of waiting.
inline void SetNonBlocking(SocketHandle socket) {
#ifdef _WIN32
    u_long on = 1;
    ::ioctlsocket(socket, FIONBIO, &on);
#else
    ::fcntl(socket, F_SETFL, ::fcntl(socket, F_GETFL) | O_NONBLOCK);
#endif
}

// True when the last failed send or receive would have had to wait.
inline bool LastCallWouldBlock() {
#ifdef _WIN32
    return ::WSAGetLastError() == WSAEWOULDBLOCK;
#else
    return errno == EAGAIN || errno == EWOULDBLOCK;
#endif
}

// Accepts one waiting connection of listener (not inherited by child processes).
inline SocketHandle AcceptConnection(SocketHandle listener) {
#ifdef _WIN32
    return ::accept(listener, nullptr, nullptr);
#else
    return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
#endif
}

// Receives up to size bytes: how many, 0 at the peer's end, negative on failure.
inline long ReceiveSome(SocketHandle socket, char* buffer, size_t size) {
    return static_cast<long>(::recv(socket, buffer, static_cast<int>(size), 0));
}

// Sends up to size bytes: how many, negative when the peer has gone.
inline long SendSome(SocketHandle socket, const char* data, size_t size) {
#ifdef _WIN32
    return static_cast<long>(::send(socket, data, static_cast<int>(size), 0));
#else
    return static_cast<long>(::send(socket, data, size, MSG_NOSIGNAL));
#endif
}

// Makes the coming close of socket send a reset instead of an orderly end.
inline void SetResetOnClose(SocketHandle socket) {
    linger abort{};
    abort.l_onoff = 1;
    abort.l_linger = 0;
    ::setsockopt(socket, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
}

}  // namespace testsupport
