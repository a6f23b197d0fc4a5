// A temporary folder for one test, removed with everything in it at scope
// exit, and its path in the forms tests build paths from: a filesystem path,
// UTF-8 text and wide text.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

#include "platform/CodePage.h"

class TempFolder {
public:
    // Creates an empty folder of its own below the system's temporary folder;
    // throws when it cannot, so no test writes into a folder it does not own.
    // The name is random and the folder new (creation fails on a name that is
    // taken), and only its owner may enter it.
    TempFolder() {
        namespace fs = std::filesystem;
        const fs::path parent = fs::temp_directory_path();
        std::random_device seed;
        std::mt19937_64 random((static_cast<uint64_t>(seed()) << 32) ^ seed());
        std::error_code error;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const fs::path candidate = parent / ("mivo-test-" + std::to_string(random() % 1000000000000u));
            if (fs::create_directory(candidate, error)) {
                fs::permissions(candidate, fs::perms::owner_all, fs::perm_options::replace, error);
                m_path = candidate;
                m_utf8 = reinterpret_cast<const char*>(candidate.u8string().c_str());
                return;
            }
            if (error) break;
        }
        throw std::system_error(error, "cannot create a folder below " + parent.string());
    }
    // Removes the folder and everything in it, folders made read-only included;
    // links are removed, never followed.
    ~TempFolder() {
        namespace fs = std::filesystem;
        std::error_code ignored;
        fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ignored);
        std::error_code walk;
        for (fs::recursive_directory_iterator it(m_path, walk), end; !walk && it != end; it.increment(walk)) {
            // Writable and searchable before the walk goes in, so that it can be emptied.
            if (it->symlink_status(ignored).type() == fs::file_type::directory)
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
        fs::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's path.
    const std::filesystem::path& path() const { return m_path; }
    // The path of name inside the folder.
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }
    // The folder's path as UTF-8 text, without a trailing separator.
    const std::string& Utf8() const { return m_utf8; }
    // The folder's path as wide text, without a trailing separator.
    std::wstring Wide() const { return platform::FromUtf8(m_utf8); }
    // The folder's path + "/" + name as wide text (name "" gives the folder with a trailing separator).
    std::wstring Wide(const std::string& name) const { return platform::FromUtf8(m_utf8 + "/" + name); }

private:
    std::string m_utf8;
    std::filesystem::path m_path;
};
