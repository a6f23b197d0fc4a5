// Windows implementation of the path and folder helpers over the kernel's
// wide file functions.
#include "platform/FileSystem.h"

#include <shlwapi.h>
#include <windows.h>

// The kernel header names these as macros for its own functions.
#undef CreateDirectory
#undef DeleteFile

namespace platform {

bool PathExists(const std::wstring& path) { return !path.empty() && ::PathFileExistsW(path.c_str()); }

bool IsDirectory(const std::wstring& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

uint32_t CreateDirectory(const std::wstring& path) {
    if (path.empty()) return ERROR_PATH_NOT_FOUND;
    return ::CreateDirectoryW(path.c_str(), nullptr) ? 0u : ::GetLastError();
}

uint32_t DeleteFile(const std::wstring& path) {
    if (path.empty()) return ERROR_FILE_NOT_FOUND;
    return ::DeleteFileW(path.c_str()) ? 0u : ::GetLastError();
}

std::wstring FileNamePart(const std::wstring& path) {
    const size_t pos = path.find_last_of(L"\\/");
    return pos == std::wstring::npos ? path : path.substr(pos + 1);
}

std::wstring FolderWithSeparator(const std::wstring& folder) {
    if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/') return folder;
    return folder + kPathSeparator;
}

bool IsNotFoundError(uint32_t error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

bool IsAlreadyExistsError(uint32_t error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

}  // namespace platform
