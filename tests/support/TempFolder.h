// A temporary folder for one test, removed with everything in it at scope
// exit, and its path in the forms tests build paths from: a filesystem path,
// UTF-8 text and wide text.
#pragma once

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

#include "platform/CodePage.h"

class TempFolder {
public:
    // Creates an empty folder of its own below the system's temporary folder;
    // throws when it cannot, so no test writes into a folder it does not own.
    TempFolder() {
        namespace fs = std::filesystem;
        const fs::path base = fs::temp_directory_path();
        std::random_device seed;
        std::mt19937_64 random(seed());
        std::error_code error;
        // A name that another folder holds already is drawn again; a failure
        // of any other kind ends the attempts.
        for (int attempt = 0; attempt < 100; ++attempt) {
            char name[32];
            std::snprintf(name, sizeof name, "mivo-test-%012llx",
                          static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
            const fs::path candidate = base / name;
            if (fs::create_directory(candidate, error)) {
                m_path = candidate;
                const std::u8string utf8 = candidate.u8string();
                m_utf8.assign(utf8.begin(), utf8.end());
                return;
            }
            if (error) break;
        }
        throw std::system_error(error, "cannot create a folder below " + base.string());
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
    // The path of name (UTF-8) inside the folder.
    std::filesystem::path operator/(const std::string& name) const {
        return m_path / std::filesystem::path(std::u8string(name.begin(), name.end()));
    }
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
