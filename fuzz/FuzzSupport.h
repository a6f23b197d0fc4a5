// Small helpers shared by the fuzz targets: turning fuzz bytes into wide
// text, a scratch folder for targets that need real files, and a check that
// stops the run with a message when a property does not hold.
//
// Header-only; each fuzz program runs its target on one thread.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/CodePage.h"

namespace fuzzsupport {

// Stops the run (libFuzzer then saves the input) when condition is false.
inline void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz property violated: %s\n", what);
    std::abort();
}

// Wide text from fuzz bytes. The first byte picks the reading: UTF-8 (as
// pages and files arrive; invalid sequences become U+FFFD), or three bytes per
// character for any code point up to U+10FFFF, lone surrogates included (as
// text that went through UTF-16 can hold).
inline std::wstring WideFromBytes(std::string_view bytes) {
    if (bytes.empty()) return {};
    const bool raw = (static_cast<unsigned char>(bytes[0]) & 1) != 0;
    bytes.remove_prefix(1);
    if (!raw) return platform::FromUtf8(bytes);
    std::wstring text;
    for (size_t k = 0; k + 3 <= bytes.size(); k += 3) {
        const uint32_t value = static_cast<unsigned char>(bytes[k]) | static_cast<unsigned char>(bytes[k + 1]) << 8 |
                               static_cast<unsigned char>(bytes[k + 2]) << 16;
        text += static_cast<wchar_t>(value % 0x110000);
    }
    return text;
}

// A folder of the fuzz process's own, removed when the process ends normally.
// Lies in /dev/shm when there is one, so the many small files cost no disk.
inline const std::filesystem::path& ScratchFolder() {
    static const std::filesystem::path folder = [] {
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        std::string pattern = (base / "mivo-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(ScratchFolder(), ignored);
        });
        return std::filesystem::path(pattern);
    }();
    return folder;
}

// Writes bytes to name inside the scratch folder, replacing what was there.
inline std::filesystem::path WriteScratchFile(const char* name, std::string_view bytes) {
    const std::filesystem::path path = ScratchFolder() / name;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) std::abort();
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) std::abort();
    std::fclose(out);
    return path;
}

}  // namespace fuzzsupport
