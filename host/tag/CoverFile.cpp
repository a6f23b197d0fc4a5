// Saving a cover picture as cover.jpg beside the audio files (see
// CoverDownload.h). The picture is written to a temporary file of the same
// folder, named as the tag writer's copies are so that a killed run's leftover
// is cleared the same way, then renamed over the old cover.jpg.
#include <cstring>
#include <random>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "host/tag/CoverDownload.h"
#include "host/tag/TemporaryName.h"
#include "host/tag/UniqueFd.h"

namespace mivo_host {
namespace {

constexpr const char* kCoverName = "cover.jpg";
constexpr int kNameTries = 100;

// A temporary name for kCoverName, its template's X's made random letters and digits.
std::string RandomTemporaryName() {
    static constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    std::uniform_int_distribution<size_t> pick(0, kLetters.size() - 1);
    std::string name = TemporaryNameTemplate(kCoverName);
    for (size_t i = name.find_last_not_of('X') + 1; i < name.size(); ++i) name[i] = kLetters[pick(random)];
    return name;
}

// Whether the entry name of the folder folderFd, whose status is given, may
// not be written. One without any write permission bit counts as read-only
// also for a user (such as root) whom the system would let write it.
bool IsReadOnly(const struct stat& status, int folderFd, const char* name) {
    return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::faccessat(folderFd, name, W_OK, 0) != 0;
}

int WriteAll(int fd, std::span<const unsigned char> bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return put < 0 ? errno : EIO;
        bytes = bytes.subspan(static_cast<size_t>(put));
    }
    return 0;
}

// A name in a folder, removed when it goes out of scope unless kept.
class TemporaryEntry {
public:
    TemporaryEntry(int folderFd, std::string name) : m_folderFd(folderFd), m_name(std::move(name)) {}
    ~TemporaryEntry() {
        if (!m_kept) ::unlinkat(m_folderFd, m_name.c_str(), 0);
    }
    TemporaryEntry(const TemporaryEntry&) = delete;
    TemporaryEntry& operator=(const TemporaryEntry&) = delete;
    void Keep() { m_kept = true; }

private:
    int m_folderFd;
    std::string m_name;
    bool m_kept = false;
};

}  // namespace

std::string SaveCoverFile(const std::string& folder, std::span<const unsigned char> jpeg) {
    const std::string path = (folder.ends_with('/') ? folder : folder + "/") + kCoverName;
    auto failed = [&](const std::string& what, int error) {
        return "cover: cannot save " + path + ": " + what +
               (error != 0 ? ": " + std::string(std::strerror(error)) : "");
    };

    UniqueFd folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd.Get() < 0) return failed("cannot open the folder", errno);
    struct stat status {};
    if (::fstat(folderFd.Get(), &status) != 0) return failed("cannot open the folder", errno);
    if (IsReadOnly(status, folderFd.Get(), ".")) return failed("the folder is read-only", 0);
    // An old cover.jpg the user may not write is kept; a link of that name is
    // replaced, as the rename never follows it.
    struct stat old {};
    if (::fstatat(folderFd.Get(), kCoverName, &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode) &&
        IsReadOnly(old, folderFd.Get(), kCoverName))
        return failed("the old one is read-only", 0);

    std::string name;
    UniqueFd file;
    for (int tries = 0; file.Get() < 0 && tries < kNameTries; ++tries) {
        name = RandomTemporaryName();
        file.Reset(::openat(folderFd.Get(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
        if (file.Get() < 0 && errno != EEXIST) return failed("cannot make a temporary file", errno);
    }
    if (file.Get() < 0) return failed("cannot make a temporary file", EEXIST);
    TemporaryEntry temporary(folderFd.Get(), name);

    if (int error = WriteAll(file.Get(), jpeg)) return failed("cannot write the picture", error);
    if (::fsync(file.Get()) != 0) return failed("cannot sync the picture", errno);
    if (int error = file.Close()) return failed("cannot write the picture", error);
    // A rename replaces whatever stands at the name, a link included, and follows nothing.
    if (::renameat(folderFd.Get(), name.c_str(), folderFd.Get(), kCoverName) != 0)
        return failed("cannot replace the old one", errno);
    temporary.Keep();
    if (::fsync(folderFd.Get()) != 0) return failed("saved, but the folder could not be synced", errno);
    return "";
}

}  // namespace mivo_host
