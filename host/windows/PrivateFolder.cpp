// The private folder under a random name in the user's temporary folder, and
// the kernel's process id.
#include "host/PrivateFolder.h"

#include <windows.h>

#include <cstdio>
#include <random>
#include <system_error>

#include "host/Utf8Path.h"

namespace mivo_host {

namespace {

// Names tried before giving up: each one taken already is someone else's.
constexpr int kMaxAttempts = 100;

}  // namespace

std::filesystem::path CreatePrivateFolder(const std::filesystem::path& base, const std::string& prefix,
                                          std::string& error) {
    std::random_device entropy;
    std::error_code failure;
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%06X", static_cast<unsigned>(entropy() & 0xFFFFFF));
        const std::filesystem::path folder = base / (prefix + suffix);
        // Answers false without an error when the folder was there already.
        if (std::filesystem::create_directory(folder, failure)) return folder;
        if (failure) break;
    }
    error = "cannot create a folder for the plug-in's trace log in " + PathToUtf8(base) + ": " +
            (failure ? failure.message() : std::string("every name tried was taken"));
    return {};
}

uint32_t CurrentProcessId() { return ::GetCurrentProcessId(); }

}  // namespace mivo_host
