#include "host/tag/StrayCopies.h"

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "host/tag/TemporaryName.h"

namespace mivo_host {

StrayCopiesRemoved RemoveStrayCopies(const std::string& folder) {
    StrayCopiesRemoved result;
    int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folderFd < 0) {
        result.failures.push_back("cannot open folder " + folder + ": " + std::strerror(errno));
        return result;
    }
    DIR* listing = ::fdopendir(folderFd);
    if (listing == nullptr) {
        result.failures.push_back("cannot list folder " + folder + ": " + std::strerror(errno));
        ::close(folderFd);
        return result;
    }
    while (const dirent* entry = ::readdir(listing)) {
        if (!IsTemporaryCopyName(entry->d_name)) continue;
        struct stat status {};
        if (::fstatat(folderFd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(status.st_mode)) {
            continue;
        }
        if (::unlinkat(folderFd, entry->d_name, 0) == 0) {
            ++result.removed;
        } else {
            result.failures.push_back("cannot remove " + folder + "/" + entry->d_name + ": " + std::strerror(errno));
        }
    }
    ::closedir(listing);
    return result;
}

}  // namespace mivo_host
