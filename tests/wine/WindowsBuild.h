// The Windows build's mivo.dll and mivo.exe as the wine tests use them, and
// running mivo.exe under Wine beside the Linux mivo, its output captured as
// tests/e2e/HostProcess.h captures the Linux mivo's.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/HostProcess.h"
#include "tests/support/WindowsBuild.h"

namespace wine_test {

namespace fs = std::filesystem;
using testsupport::WindowsBinaryDir;
using testsupport::WineEnvironment;

inline fs::path WindowsModule() { return testsupport::WindowsProgram("mivo.dll"); }
inline fs::path WindowsHost() { return testsupport::WindowsProgram("mivo.exe"); }

// Why mivo.exe and mivo.dll cannot run here; "" when they can.
inline std::string MissingForWine() { return testsupport::MissingForWine({"mivo.exe", "mivo.dll"}); }

// Runs mivo.exe with args under Wine to its end; output files go to folder.
inline host_e2e::ProcessResult RunWindowsHost(const std::vector<std::string>& args, const fs::path& folder) {
    std::vector<std::string> wineArgs{WindowsHost().string()};
    wineArgs.insert(wineArgs.end(), args.begin(), args.end());
    return host_e2e::Run(testsupport::WineProgram(), wineArgs, folder, WineEnvironment());
}

// Runs the Linux mivo with args to its end.
inline host_e2e::ProcessResult RunLinuxHost(const std::vector<std::string>& args, const fs::path& folder) {
    return host_e2e::Run(MIVO_HOST_PATH, args, folder);
}

}  // namespace wine_test
