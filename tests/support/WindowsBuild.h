// Where the tests that run the Windows build's programs under Wine find that
// build and Wine, and the environment every such run gets: the build's own
// prefix, Wine's diagnostics off and the locale pinned. A test program that
// includes this is given MIVO_WINDOWS_BINARY_DIR and MIVO_WINE_PROGRAM by
// mivo_runs_windows_build() (cmake/MivoTests.cmake).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

// The Windows build folder (build-win/ unless configured otherwise).
inline std::filesystem::path WindowsBinaryDir() { return MIVO_WINDOWS_BINARY_DIR; }

// The Windows build's program or module called name.
inline std::filesystem::path WindowsProgram(const std::string& name) { return WindowsBinaryDir() / "bin" / name; }

// Wine's program; empty when Wine is not installed.
inline std::string WineProgram() { return MIVO_WINE_PROGRAM; }

// Why the Windows build's files cannot run here under Wine; "" when they can.
inline std::string MissingForWine(const std::vector<std::string>& files) {
    if (WineProgram().empty()) return "Wine is not installed";
    for (const std::string& file : files) {
        std::error_code error;
        if (!std::filesystem::exists(WindowsProgram(file), error))
            return "no " + WindowsProgram(file).string() + " (cmake --build build-win)";
    }
    return {};
}

// The environment entries every run under Wine gets (proxy variables are
// left out by whoever builds the rest of the environment).
inline std::vector<std::string> WineEnvironment() {
    return {"WINEPREFIX=" + (WindowsBinaryDir() / "wineprefix").string(), "WINEDEBUG=-all", "LC_ALL=C.UTF-8",
            "LANG=C.UTF-8"};
}

}  // namespace testsupport
