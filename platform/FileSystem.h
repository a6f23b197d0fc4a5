// Paths and folders: the separator, existence checks, folder creation,
// deletion and renaming of files. On POSIX systems wide paths are stored on
// disk as UTF-8; Windows takes them as they are.
// Thread-safe.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The path separator that the plug-in appends to folder names.
#ifdef _WIN32
constexpr wchar_t kPathSeparator = L'\\';
#else
constexpr wchar_t kPathSeparator = L'/';
#endif

// True when something (file, folder or other) exists at path.
bool PathExists(const std::wstring& path);

// True when path names a folder.
bool IsDirectory(const std::wstring& path);

// Creates one folder level. Returns 0 on success, else the error code (errno, or the system error code on Windows).
uint32_t CreateDirectory(const std::wstring& path);

// Deletes a file. Returns 0 on success, else the error code (errno, or the system error code on Windows).
uint32_t DeleteFile(const std::wstring& path);

// The part of path after its last separator (on Windows "/" counts as one too).
std::wstring FileNamePart(const std::wstring& path);

// folder with a separator at its end, ready for a name to be appended: an
// empty folder and one that already ends in a separator stay as they are
// (on Windows "/" counts as one too).
std::wstring FolderWithSeparator(const std::wstring& folder);

// True when an error code of the file functions means that nothing exists at
// the name or that a folder on the way to it is missing.
bool IsNotFoundError(uint32_t error);

// True when an error code of the file functions means that something already
// exists at the name that was to be created.
bool IsAlreadyExistsError(uint32_t error);

}  // namespace platform
