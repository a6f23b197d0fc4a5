// POSIX implementation of the file classes.
#include "platform/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/CodePage.h"
#include "platform/FileOpen.h"
#include "platform/FileShared.h"
#include "platform/System.h"

int CFileException::OsErrorToCause(uint32_t osError) {
    switch (osError) {
        case ENOENT: return fileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP: return badPath;
        case EMFILE:
        case ENFILE: return tooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case ENXIO: return accessDenied;
        case EBADF: return invalidFile;
        case ESPIPE:
        case EINVAL: return badSeek;
        case EIO: return hardIO;
        case ENOSPC:
        case EDQUOT:
        case EFBIG: return diskFull;
        default: return genericException;
    }
}

unsigned CFile::Read(void* buffer, unsigned count) {
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, count);
        if (n >= 0) return static_cast<unsigned>(n);
        if (errno != EINTR) ThrowOsError(static_cast<uint32_t>(errno));
    }
}

void CFile::Write(const void* buffer, unsigned count) {
    const char* p = static_cast<const char*>(buffer);
    while (count > 0) {
        const ssize_t n = ::write(m_fd, p, count);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowOsError(static_cast<uint32_t>(errno));
        }
        if (n == 0) ThrowOsError(ENOSPC);
        p += n;
        count -= static_cast<unsigned>(n);
    }
}

uint64_t CFile::Seek(int64_t offset, unsigned from) {
    const int whence = from == current ? SEEK_CUR : (from == end ? SEEK_END : SEEK_SET);
    const off_t pos = ::lseek(m_fd, static_cast<off_t>(offset), whence);
    if (pos < 0) ThrowOsError(static_cast<uint32_t>(errno));
    return static_cast<uint64_t>(pos);
}

uint64_t CFile::GetPosition() const {
    const off_t pos = ::lseek(m_fd, 0, SEEK_CUR);
    if (pos < 0) ThrowOsError(static_cast<uint32_t>(errno));
    return static_cast<uint64_t>(pos);
}

uint64_t CFile::GetLength() const {
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) ThrowOsError(static_cast<uint32_t>(errno));
    return static_cast<uint64_t>(st.st_size);
}

void CFile::SetLength(uint64_t length) {
    if (::ftruncate(m_fd, static_cast<off_t>(length)) != 0) ThrowOsError(static_cast<uint32_t>(errno));
}

void CFile::Close() {
    if (m_fd < 0) return;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR) ThrowOsError(static_cast<uint32_t>(errno));
}

void CFile::Abort() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

namespace platform {

int OpenRegularFileNamed(const std::wstring& name, const FileOpenRequest& request, uint32_t& error) {
    return OpenRegularFile(ToUtf8(name), request, error);
}

uint32_t StreamErrorCode() { return errno != 0 ? static_cast<uint32_t>(errno) : static_cast<uint32_t>(EIO); }

// flock() locks go with the open file description when it is closed.
void ReleaseFileLock(int /*fd*/) {}

}  // namespace platform

uint64_t CStdioFile::Seek(int64_t offset, unsigned from) {
    const int whence = from == current ? SEEK_CUR : (from == end ? SEEK_END : SEEK_SET);
    if (::fseeko(m_pStream, static_cast<off_t>(offset), whence) != 0) ThrowOsError(static_cast<uint32_t>(errno));
    return GetPosition();
}

uint64_t CStdioFile::GetPosition() const {
    const off_t pos = ::ftello(m_pStream);
    if (pos < 0) ThrowOsError(static_cast<uint32_t>(errno));
    return static_cast<uint64_t>(pos);
}
