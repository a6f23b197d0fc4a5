// POSIX implementation of the path and folder helpers.
#include "platform/FileSystem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/CodePage.h"

namespace platform {

bool PathExists(const std::wstring& path) {
    struct stat st {};
    return !path.empty() && ::stat(ToUtf8(path).c_str(), &st) == 0;
}

bool IsDirectory(const std::wstring& path) {
    struct stat st {};
    return !path.empty() && ::stat(ToUtf8(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

uint32_t CreateDirectory(const std::wstring& path) {
    if (path.empty()) return ENOENT;
    return ::mkdir(ToUtf8(path).c_str(), 0777) == 0 ? 0u : static_cast<uint32_t>(errno);
}

uint32_t DeleteFile(const std::wstring& path) {
    if (path.empty()) return ENOENT;
    return ::unlink(ToUtf8(path).c_str()) == 0 ? 0u : static_cast<uint32_t>(errno);
}

std::wstring FileNamePart(const std::wstring& path) {
    const size_t pos = path.find_last_of(kPathSeparator);
    return pos == std::wstring::npos ? path : path.substr(pos + 1);
}

std::wstring FolderWithSeparator(const std::wstring& folder) {
    if (folder.empty() || folder.back() == kPathSeparator) return folder;
    return folder + kPathSeparator;
}

bool IsNotFoundError(uint32_t error) { return error == ENOENT; }

bool IsAlreadyExistsError(uint32_t error) { return error == EEXIST; }

}  // namespace platform
