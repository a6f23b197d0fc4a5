// What the tests' loopback servers share: a TCP socket bound to a free port
// on 127.0.0.1, and the "127.0.0.1:<port><path>" address the plug-in is given.
// Nothing here reaches beyond loopback.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>
#include <string>

namespace testsupport {

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

// Binds fd to a free port on 127.0.0.1: the port, or 0 when fd is not a
// socket or the bind failed.
inline int BindLoopback(int fd) {
    if (fd < 0) return 0;
    sockaddr_in address = LoopbackEndpoint(0);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

}  // namespace testsupport
