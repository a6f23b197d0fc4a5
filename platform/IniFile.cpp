// INI file operations: the text format of platform/IniText.h over the whole-file
// reads and locked replacement of platform/AtomicFile.h.
#include "platform/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/IniText.h"

namespace platform {

std::optional<std::wstring> ReadIniValue(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                                         size_t maxLength) {
    std::string text;
    if (ReadWholeFile(path, text) != 0) return std::nullopt;
    const std::optional<std::string_view> raw = FindIniValue(text, section, key);
    if (!raw) return std::nullopt;
    std::wstring value = FromUtf8(*raw);
    if (value.size() > maxLength) value.resize(maxLength);
    return value;
}

bool WriteIniValue(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                   std::wstring_view value) {
    if (!IsWritableIniEntry(section, key, value)) return false;
    const FileLock lock(path);
    if (lock.error() != 0) return false;
    std::string text;
    const uint32_t readError = ReadWholeFile(path, text);
    // Only a missing file counts as empty: an unreadable one must not be
    // replaced by a file holding the one new entry.
    if (readError != 0 && !IsNotFoundError(readError)) return false;
    const std::optional<std::string> updated = SetIniValue(text, section, key, value);
    if (!updated) return true;
    return ReplaceWholeFile(path, *updated) == 0;
}

std::vector<std::wstring> ReadIniSectionNames(const std::wstring& path) {
    std::string text;
    if (ReadWholeFile(path, text) != 0) return {};
    return IniSectionNames(text);
}

}  // namespace platform
