// A file descriptor closed when it goes out of scope.
#pragma once

#include <cerrno>

#include <unistd.h>

namespace mivo_host {

class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : m_fd(fd) {}
    ~UniqueFd() { Reset(-1); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    // The descriptor, -1 when none is held.
    int Get() const { return m_fd; }
    // Closes the descriptor held and holds fd instead.
    void Reset(int fd) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = fd;
    }
    // Gives the descriptor up without closing it.
    int Release() {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    // Closes the descriptor now: 0, or the errno of a failed close.
    int Close() {
        const int fd = Release();
        return fd < 0 || ::close(fd) == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

}  // namespace mivo_host
