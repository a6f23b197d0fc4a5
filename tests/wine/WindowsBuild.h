// The Windows build's files as the wine tests find them, and running one of
// its programs under Wine: in the build's own prefix, with Wine's
// diagnostics off, the locale pinned and no proxy from the environment, its
// output captured as tests/e2e/HostProcess.h captures the Linux mivo's.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/HostProcess.h"

namespace wine_test {

namespace fs = std::filesystem;

inline fs::path WindowsBinaryDir() { return MIVO_WINDOWS_BINARY_DIR; }
inline fs::path WindowsModule() { return WindowsBinaryDir() / "bin" / "mivo.dll"; }
inline fs::path WindowsHost() { return WindowsBinaryDir() / "bin" / "mivo.exe"; }

// Why the Windows programs cannot run here; "" when they can.
inline std::string MissingForWine() {
    if (!*MIVO_WINE_PROGRAM) return "Wine is not installed";
    if (!fs::exists(WindowsHost()) || !fs::exists(WindowsModule()))
        return "no Windows build at " + WindowsBinaryDir().string() + " (cmake --build build-win)";
    return {};
}

// The environment entries every run under Wine gets (after those of
// host_e2e::ChildEnvironment, which leaves out the proxy variables).
inline std::vector<std::string> WineEnvironment() {
    return {"WINEPREFIX=" + (WindowsBinaryDir() / "wineprefix").string(), "WINEDEBUG=-all", "LC_ALL=C.UTF-8",
            "LANG=C.UTF-8"};
}

// Runs mivo.exe with args under Wine to its end; output files go to folder.
inline host_e2e::ProcessResult RunWindowsHost(const std::vector<std::string>& args, const fs::path& folder) {
    std::vector<std::string> wineArgs{WindowsHost().string()};
    wineArgs.insert(wineArgs.end(), args.begin(), args.end());
    return host_e2e::Run(MIVO_WINE_PROGRAM, wineArgs, folder, WineEnvironment());
}

// Runs the Linux mivo with args to its end.
inline host_e2e::ProcessResult RunLinuxHost(const std::vector<std::string>& args, const fs::path& folder) {
    return host_e2e::Run(MIVO_HOST_PATH, args, folder);
}

}  // namespace wine_test
