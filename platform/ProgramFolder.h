// The folder of the running program, and files found relative to it: an
// installed program finds its plug-in and data beside itself wherever the
// installation was put.
//
// ProgramFolder is implemented once per system (platform/posix/,
// platform/windows/); a program that does not link the plug-in (the host)
// compiles its system's file itself. Paths in and out are UTF-8. Safe from
// any thread.
#pragma once

#include <filesystem>
#include <string>

namespace platform {

// The folder that holds the running program's file; empty when the system
// cannot tell.
std::filesystem::path ProgramFolder();

// The file at relative (a path such as "../lib/mivo/libmivo.so") from the
// running program's folder, normalised, as UTF-8; relative itself when the
// folder is unknown.
inline std::string BesideProgram(const std::string& relative) {
    const std::filesystem::path folder = ProgramFolder();
    if (folder.empty()) return relative;
    const std::u8string file =
        (folder / std::filesystem::path(std::u8string(relative.begin(), relative.end()))).lexically_normal().u8string();
    return std::string(file.begin(), file.end());
}

}  // namespace platform
