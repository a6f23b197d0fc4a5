// Paths of the host as UTF-8 text: the command line, the configuration and
// the output carry UTF-8, whatever the system's own path encoding is (bytes
// on POSIX systems, UTF-16 on Windows). Pure functions; safe from any thread.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace mivo_host {

// The path that the UTF-8 text names.
inline std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

// The UTF-8 text of path.
inline std::string PathToUtf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace mivo_host
