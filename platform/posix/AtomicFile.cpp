// POSIX implementation of whole-file reads, locked writers and replacement
// by rename.
#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/CodePage.h"
#include "platform/FileOpen.h"
#include "platform/System.h"
#include "platform/TemporaryName.h"

namespace platform {
namespace {

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    // Closes now and reports the result, so a failed final write is noticed.
    int Close() {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result;
    }

private:
    int m_fd;
};

constexpr FileOpenRequest kWriteExisting{FileAccess::write, FileCreation::openExisting, false, false};
constexpr FileOpenRequest kWriteOrCreate{FileAccess::write, FileCreation::openOrCreate, false, false};
constexpr FileOpenRequest kCreateNew{FileAccess::write, FileCreation::createNew, false, false};

uint32_t LastErrno() { return errno != 0 ? static_cast<uint32_t>(errno) : static_cast<uint32_t>(EIO); }

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

}  // namespace

uint32_t ReadWholeFile(const std::wstring& path, std::string& bytes) {
    bytes.clear();
    uint32_t error = 0;
    const Descriptor fd(OpenRegularFile(ToUtf8(path), FileOpenRequest{}, error));
    if (fd.get() < 0) return error;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return LastErrno();
    // Read straight into the string, sized by the file's length and grown
    // when the file turns out longer.
    size_t used = 0;
    bytes.resize(static_cast<size_t>(st.st_size > 0 ? st.st_size : 0) + 4096);
    for (;;) {
        if (used == bytes.size()) bytes.resize(bytes.size() * 2);
        const ssize_t got = ::read(fd.get(), bytes.data() + used, bytes.size() - used);
        if (got < 0) {
            if (errno == EINTR) continue;
            const uint32_t error = LastErrno();
            bytes.clear();
            return error;
        }
        if (got == 0) break;
        used += static_cast<size_t>(got);
    }
    bytes.resize(used);
    return 0;
}

uint32_t ReplaceWholeFile(const std::wstring& path, std::string_view bytes) {
    const std::string target = ToUtf8(path);
    if (target.empty()) return ENOENT;
    // The file that is there must be one that this process may write: a
    // rename would replace a link, a special file or a read-only file as
    // readily as a writable one.
    uint32_t error = 0;
    struct stat st {};
    {
        const Descriptor existing(OpenRegularFile(target, kWriteExisting, error));
        if (existing.get() < 0 && error != ENOENT) return error;
        if (existing.get() >= 0 && ::fstat(existing.get(), &st) != 0) return LastErrno();
    }
    const bool replacing = error == 0;
    std::string temporary;
    int raw = -1;
    for (int attempt = 0; attempt < 100 && raw < 0; ++attempt) {
        temporary = ToUtf8(TemporaryNameBeside(path));
        raw = OpenRegularFile(temporary, kCreateNew, error);
        if (raw < 0 && error != EEXIST) return error;
    }
    if (raw < 0) return EEXIST;
    Descriptor fd(raw);

    error = 0;
    if (replacing) ::fchmod(fd.get(), st.st_mode & 07777);
    if (!WriteAll(fd.get(), bytes)) error = LastErrno();
    if (fd.Close() != 0 && error == 0) error = LastErrno();
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) error = LastErrno();
    if (error != 0) ::unlink(temporary.c_str());
    return error;
}

FileLock::FileLock(const std::wstring& path) {
    const std::string name = ToUtf8(path);
    // A replacement between open() and the lock leaves this descriptor on the
    // old file; each round checks for that and starts over on the new one.
    for (int round = 0; round < 1000; ++round) {
        const int fd = OpenRegularFile(name, kWriteOrCreate, m_error);
        if (fd < 0) return;
        int locked;
        while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        if (locked != 0) {
            m_error = LastErrno();
            ::close(fd);
            return;
        }
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) == 0 && ::lstat(name.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino) {
            m_fd = fd;
            return;
        }
        ::close(fd);
    }
    m_error = EAGAIN;
}

FileLock::~FileLock() {
    if (m_fd >= 0) ::close(m_fd);  // closing the description releases the lock
}

}  // namespace platform
