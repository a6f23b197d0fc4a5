// A folder of the host's own below the system's temporary folder, for the
// plug-in's private trace log, and the process id that names the plug-in's
// per-run files. Main thread only.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace mivo_host {

// Creates a new folder below base named prefix and a unique suffix, that no
// other user can open (mode 0700 on POSIX systems; the user's own temporary
// folder on Windows). Answers its path, or an empty path with error saying why.
std::filesystem::path CreatePrivateFolder(const std::filesystem::path& base, const std::string& prefix,
                                          std::string& error);

// Id of the running process, as the plug-in writes it in its file names.
uint32_t CurrentProcessId();

}  // namespace mivo_host
