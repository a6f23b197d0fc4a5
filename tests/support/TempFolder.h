// A fresh folder under the system's temporary folder, removed with all its
// contents when the object goes out of scope. For tests only.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/CodePage.h"

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "mivo-test-XXXXXX").string();
        if (::mkdtemp(pattern.data())) m_path = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's path, without a trailing separator.
    const std::string& path() const { return m_path; }
    // path + "/" + name, as wide text.
    std::wstring Wide(const std::string& name) const { return platform::FromUtf8(m_path + "/" + name); }

private:
    std::string m_path;
};
