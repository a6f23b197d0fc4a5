// TempDir with the path as UTF-8 text and wide names inside it, for tests
// that build paths as strings. For tests only.
#pragma once

#include <string>

#include "platform/CodePage.h"
#include "tests/support/TempDir.h"

class TempFolder {
public:
    // The folder's path, without a trailing separator.
    const std::string& path() const { return m_path; }
    // path + "/" + name, as wide text.
    std::wstring Wide(const std::string& name) const { return platform::FromUtf8(m_path + "/" + name); }

private:
    testsupport::TempDir m_dir;
    std::string m_path = m_dir.path().string();
};
