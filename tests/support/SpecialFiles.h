// Links, FIFOs and read-only files that tests plant where the plug-in writes,
// on the systems that have them.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/FileSystem.h"

// True where links, FIFOs and permission bits are the POSIX ones. Windows
// has no FIFOs, and under Wine links can neither be made nor be seen as links.
constexpr bool kPosixSpecialFiles = platform::kPathSeparator == L'/';

// Why the rows that plant links or FIFOs are left out where they cannot be made.
constexpr char kNoSpecialFiles[] =
    "links and FIFOs cannot be planted on this system (no FIFOs; Wine neither makes links nor shows them as links)";

// A device that every system has at a fixed name.
#ifdef _WIN32
constexpr wchar_t kNullDevice[] = L"NUL";
#else
constexpr wchar_t kNullDevice[] = L"/dev/null";
#endif

// Makes a FIFO at path; false where the system has none.
inline bool MakeFifo(const std::filesystem::path& path) {
#ifdef _WIN32
    (void)path;
    return false;
#else
    return ::mkfifo(path.c_str(), 0666) == 0;
#endif
}

// Takes every write permission from file (on Windows: sets its read-only attribute).
inline void MakeReadOnly(const std::filesystem::path& file) {
    namespace fs = std::filesystem;
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}
