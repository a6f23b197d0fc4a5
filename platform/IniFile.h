// INI files on disk: read a value, write a value, list the section names.
//
// Files are UTF-8 text in the format described in platform/IniText.h; section
// and key names match without regard to letter case. A write takes the file's
// advisory lock, reads the file, and replaces it in one step by a temporary
// file and a rename (platform/AtomicFile.h), so writers in several processes
// never lose each other's entries and readers, who take no lock, never see a
// half-written file. A section name, key or value holding CR, LF or NUL is
// refused, so no value can add lines of its own to a file.
//
// Thread-safe: any thread may call any operation on any file.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The value of key in section of the file at path, cut to at most maxLength
// characters; nullopt when the file, the section or the key is missing, or
// the file is a link or not a regular file. Reads never block.
std::optional<std::wstring> ReadIniValue(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                                         size_t maxLength);

// Sets key of section to value, creating the file, the section or the key as
// needed. True on success (also when the file already held that value); false
// when the entry is refused (see IsWritableIniEntry in platform/IniText.h) or
// the file cannot be locked, read or replaced (a link, a FIFO or device, a
// file this process may not write, see platform/AtomicFile.h); the file is
// unchanged then (a file that did not exist may be left empty).
bool WriteIniValue(const std::wstring& path, std::wstring_view section, std::wstring_view key, std::wstring_view value);

// Every section name of the file at path, in file order; empty when the file
// is missing, unreadable, a link or not a regular file. Reads never block.
std::vector<std::wstring> ReadIniSectionNames(const std::wstring& path);

}  // namespace platform
