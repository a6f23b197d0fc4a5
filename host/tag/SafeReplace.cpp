#include "host/tag/SafeReplace.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "host/tag/TemporaryName.h"
#include "host/tag/UniqueFd.h"

namespace mivo_host {

namespace {

constexpr size_t kCopyChunk = 256 * 1024;

TagFailure Failure(TagFailureKind kind, const std::string& what, int error) {
    std::string message = what;
    if (error != 0) message += ": " + std::string(std::strerror(error));
    return {kind, message};
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The temporary copy's name, removed when it goes out of scope unless kept.
class TemporaryCopy {
public:
    explicit TemporaryCopy(std::string path) : m_path(std::move(path)) {}
    ~TemporaryCopy() {
        if (!m_kept) ::unlink(m_path.c_str());
    }
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;
    const std::string& Path() const { return m_path; }
    void Keep() { m_kept = true; }

private:
    std::string m_path;
    bool m_kept = false;
};

struct OpenedOriginal {
    UniqueFd fd;
    struct stat status {};
    std::optional<TagFailure> failure;
};

void OpenOriginal(const std::string& path, OpenedOriginal& opened) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        int error = errno;
        opened.failure = error == ELOOP ? Failure(TagFailureKind::CannotOpen, "cannot open: a link", 0)
                                        : Failure(TagFailureKind::CannotOpen, "cannot open", error);
        return;
    }
    opened.fd.Reset(fd);
    if (::fstat(fd, &opened.status) != 0) {
        opened.failure = Failure(TagFailureKind::CannotOpen, "cannot open", errno);
    } else if (!S_ISREG(opened.status.st_mode)) {
        opened.failure = Failure(TagFailureKind::CannotOpen, "cannot open: not a regular file", 0);
    }
}

// A file without any write permission bit counts as read-only even for a
// user (such as root) whom the system would let write it.
bool IsReadOnly(const std::string& path, const struct stat& status) {
    return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

int CopyAll(int from, int to) {
    std::vector<char> buffer(kCopyChunk);
    for (;;) {
        ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return errno;
        if (got == 0) return 0;
        for (ssize_t done = 0; done < got;) {
            ssize_t put = ::write(to, buffer.data() + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return put < 0 ? errno : EIO;
            done += put;
        }
    }
}

int SyncFolder(const std::string& folder) {
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() < 0) return errno;
    return ::fsync(fd.Get()) == 0 ? 0 : errno;
}

}  // namespace

OpenedFile OpenForReading(const std::string& path) {
    OpenedOriginal original;
    OpenOriginal(path, original);
    OpenedFile opened;
    if (original.failure) {
        opened.failure = original.failure;
        return opened;
    }
    opened.readOnly = IsReadOnly(path, original.status);
    opened.stream = std::make_unique<FdStream>(original.fd.Release(), path, true);
    return opened;
}

std::optional<TagFailure> ReplaceFileSafely(const std::string& path,
                                            const std::function<std::optional<TagFailure>(FdStream&)>& edit) {
    OpenedOriginal original;
    OpenOriginal(path, original);
    if (original.failure) return original.failure;
    if (IsReadOnly(path, original.status)) return Failure(TagFailureKind::ReadOnly, "read-only", 0);

    std::string folder = FolderOf(path);
    std::string name = folder + "/" + TemporaryNameTemplate(NameOf(path));
    int copyFd = ::mkostemp(name.data(), O_CLOEXEC);
    if (copyFd < 0) {
        return Failure(TagFailureKind::WriteFailed, "cannot make a temporary copy in " + folder, errno);
    }
    TemporaryCopy copy(name);
    FdStream stream(copyFd, name, false);
    if (int error = CopyAll(original.fd.Get(), copyFd)) {
        return Failure(TagFailureKind::WriteFailed, "cannot copy the file", error);
    }
    if (auto failure = edit(stream)) return failure;
    if (stream.Error() != 0) return Failure(TagFailureKind::WriteFailed, "cannot write the tags", stream.Error());
    if (::fchmod(copyFd, original.status.st_mode & 07777) != 0) {
        return Failure(TagFailureKind::WriteFailed, "cannot set the permissions", errno);
    }
    // Keeping the owner needs privileges an ordinary user lacks; the file is
    // then the user's own, as any copy they make would be.
    if (::fchown(copyFd, original.status.st_uid, original.status.st_gid) != 0 && errno != EPERM) {
        return Failure(TagFailureKind::WriteFailed, "cannot set the owner", errno);
    }
    if (::fsync(copyFd) != 0) return Failure(TagFailureKind::WriteFailed, "cannot sync the file", errno);
    if (::rename(copy.Path().c_str(), path.c_str()) != 0) {
        return Failure(TagFailureKind::WriteFailed, "cannot replace the file", errno);
    }
    copy.Keep();
    if (int error = SyncFolder(folder)) {
        return Failure(TagFailureKind::WriteFailed, "written, but the folder could not be synced", error);
    }
    return std::nullopt;
}

}  // namespace mivo_host
