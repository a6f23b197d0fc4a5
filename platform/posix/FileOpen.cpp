// POSIX implementation of the safe open and the bounded exclusive lock.
#include "platform/FileOpen.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/System.h"

namespace platform {
namespace {

// How often a waiting LockExclusive tries again.
constexpr uint32_t kLockRetryMilliseconds = 5;

// Creation and a concurrent deletion may alternate; this many rounds of
// "open, else create" are tried before giving up.
constexpr int kOpenRounds = 100;

int AccessFlags(FileAccess access) {
    switch (access) {
        case FileAccess::write: return O_WRONLY;
        case FileAccess::readWrite: return O_RDWR;
        default: return O_RDONLY;
    }
}

int Fail(uint32_t code, uint32_t& error) {
    error = code;
    return -1;
}

uint32_t Errno() { return errno != 0 ? static_cast<uint32_t>(errno) : static_cast<uint32_t>(EIO); }

// Opens or creates path as the request says, without checks on what it is.
int OpenOrCreate(const std::string& path, const FileOpenRequest& request, int flags, uint32_t& error, bool& created) {
    for (int round = 0; round < kOpenRounds; ++round) {
        if (request.creation != FileCreation::createNew) {
            const int fd = ::open(path.c_str(), flags);
            if (fd >= 0) return fd;
            if (errno != ENOENT || request.creation == FileCreation::openExisting) return Fail(Errno(), error);
        }
        const int fd = ::open(path.c_str(), flags | O_CREAT | O_EXCL, 0666);
        if (fd >= 0) {
            created = true;
            return fd;
        }
        if (errno != EEXIST || request.creation == FileCreation::createNew) return Fail(Errno(), error);
        // Something appeared at the name since the first attempt: open that.
    }
    return Fail(EAGAIN, error);
}

// The reason a descriptor that was opened may not be used, or 0.
uint32_t RefusalOf(int fd, const FileOpenRequest& request, bool created) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return Errno();
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (!S_ISREG(st.st_mode)) return ENXIO;
    if (request.access != FileAccess::read && !created && !HasWritePermission(st.st_mode)) return EACCES;
    return 0;
}

}  // namespace

int OpenRegularFile(const std::string& path, const FileOpenRequest& request, uint32_t& error, bool* created) {
    error = 0;
    bool made = false;
    if (created) *created = false;
    if (path.empty()) return Fail(ENOENT, error);
    const int flags = AccessFlags(request.access) | O_CLOEXEC | O_NONBLOCK | (request.followLink ? 0 : O_NOFOLLOW);
    const int fd = OpenOrCreate(path, request, flags, error, made);
    if (fd < 0) return -1;

    uint32_t refusal = RefusalOf(fd, request, made);
    const int status = ::fcntl(fd, F_GETFL);
    if (refusal == 0 && (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0)) refusal = Errno();
    if (refusal == 0 && request.truncate && !made && ::ftruncate(fd, 0) != 0) refusal = Errno();
    if (refusal != 0) {
        ::close(fd);
        // A file made here for nothing is not left behind.
        if (made) ::unlink(path.c_str());
        return Fail(refusal, error);
    }
    if (created) *created = made;
    return fd;
}

bool HasWritePermission(uint32_t mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0; }

uint32_t LockExclusive(int fd, uint32_t waitMilliseconds) {
    const uint32_t start = GetTickCount();
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) return Errno();
        const uint32_t waited = GetTickCount() - start;
        if (waited >= waitMilliseconds) return EWOULDBLOCK;
        const uint32_t left = waitMilliseconds - waited;
        SleepMilliseconds(left < kLockRetryMilliseconds ? left : kLockRetryMilliseconds);
    }
}

}  // namespace platform
