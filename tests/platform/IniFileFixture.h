// The fixture of the INI file tests: a file name in a folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/IniFile.h"
#include "tests/support/TempFolder.h"

namespace inifile {

// A value as the cache reads it: at most 499 characters.
inline std::optional<std::wstring> Read(const std::wstring& path, const wchar_t* section, const wchar_t* key) {
    return platform::ReadIniValue(path, section, key, 499);
}

class IniFileTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::wstring file = folder.Wide("A.ini");
    std::filesystem::path filePath = folder / "A.ini";
};

}  // namespace inifile
