// The private folder through mkdtemp, and getpid.
#include "host/PrivateFolder.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/Utf8Path.h"

namespace mivo_host {

std::filesystem::path CreatePrivateFolder(const std::filesystem::path& base, const std::string& prefix,
                                          std::string& error) {
    std::string pattern = PathToUtf8(base / (prefix + "XXXXXX"));
    if (!::mkdtemp(pattern.data())) {
        error = "cannot create a folder for the plug-in's trace log from " + pattern + ": " + std::strerror(errno);
        return {};
    }
    return pattern;
}

uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }

}  // namespace mivo_host
