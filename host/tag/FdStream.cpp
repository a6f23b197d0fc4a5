#include "host/tag/FdStream.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace mivo_host {

namespace {
// Bytes moved at a time when a block is inserted or removed.
constexpr long kMoveChunk = 64 * 1024;
}  // namespace

FdStream::FdStream(int fd, std::string name, bool readOnly) : m_fd(fd), m_name(std::move(name)), m_readOnly(readOnly) {}

FdStream::~FdStream() {
    if (m_fd >= 0) ::close(m_fd);
}

bool FdStream::ReadAt(char* data, size_t size, long offset) {
    while (size > 0) {
        ssize_t got = ::pread(m_fd, data, size, offset);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            if (m_error == 0) m_error = errno;
            return false;
        }
        if (got == 0) return false;
        data += got;
        size -= static_cast<size_t>(got);
        offset += got;
    }
    return true;
}

bool FdStream::WriteAt(const char* data, size_t size, long offset) {
    if (m_error != 0) return false;
    if (m_readOnly) {
        m_error = EBADF;
        return false;
    }
    while (size > 0) {
        ssize_t put = ::pwrite(m_fd, data, size, offset);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            m_error = put < 0 ? errno : EIO;
            return false;
        }
        data += put;
        size -= static_cast<size_t>(put);
        offset += put;
    }
    return true;
}

TagLib::ByteVector FdStream::readBlock(unsigned long length) {
    long available = std::max(0L, this->length() - m_position);
    size_t size = static_cast<size_t>(std::min<long>(static_cast<long>(length), available));
    TagLib::ByteVector block(static_cast<unsigned>(size), '\0');
    size_t got = 0;
    while (got < size) {
        ssize_t n = ::pread(m_fd, block.data() + got, size - got, m_position + static_cast<long>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && m_error == 0) m_error = errno;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    block.resize(static_cast<unsigned>(got));
    m_position += static_cast<long>(got);
    return block;
}

void FdStream::writeBlock(const TagLib::ByteVector& data) {
    if (WriteAt(data.data(), data.size(), m_position)) m_position += data.size();
}

bool FdStream::MoveTail(long from, long to) {
    long end = length();
    if (from == to || from >= end) return true;
    std::vector<char> buffer(static_cast<size_t>(std::min(kMoveChunk, end - from)));
    if (to > from) {
        // Growing: copy from the end backwards so nothing is overwritten unread.
        for (long left = end; left > from;) {
            long n = std::min(kMoveChunk, left - from);
            left -= n;
            if (!ReadAt(buffer.data(), static_cast<size_t>(n), left)) return false;
            if (!WriteAt(buffer.data(), static_cast<size_t>(n), left + (to - from))) return false;
        }
    } else {
        for (long at = from; at < end;) {
            long n = std::min(kMoveChunk, end - at);
            if (!ReadAt(buffer.data(), static_cast<size_t>(n), at)) return false;
            if (!WriteAt(buffer.data(), static_cast<size_t>(n), at - (from - to))) return false;
            at += n;
        }
    }
    return true;
}

void FdStream::insert(const TagLib::ByteVector& data, unsigned long start, unsigned long replace) {
    long size = static_cast<long>(data.size());
    long begin = static_cast<long>(start);
    long old = static_cast<long>(replace);
    if (size < old) {
        removeBlock(start + data.size(), replace - data.size());
    } else if (size > old) {
        if (!MoveTail(begin + old, begin + size)) return;
    }
    if (WriteAt(data.data(), data.size(), begin)) m_position = begin + size;
}

void FdStream::removeBlock(unsigned long start, unsigned long length) {
    long begin = static_cast<long>(start);
    long count = static_cast<long>(length);
    long end = this->length();
    if (count <= 0 || begin >= end) return;
    count = std::min(count, end - begin);
    if (!MoveTail(begin + count, begin)) return;
    truncate(end - count);
}

void FdStream::seek(long offset, Position p) {
    long base = p == Beginning ? 0 : p == Current ? m_position : length();
    m_position = std::max(0L, base + offset);
}

long FdStream::length() {
    struct stat status {};
    if (::fstat(m_fd, &status) != 0) {
        if (m_error == 0) m_error = errno;
        return 0;
    }
    return static_cast<long>(status.st_size);
}

void FdStream::truncate(long length) {
    if (m_error != 0) return;
    if (m_readOnly) {
        m_error = EBADF;
        return;
    }
    if (::ftruncate(m_fd, length) != 0) m_error = errno;
}

}  // namespace mivo_host
