// The folder of the running program, and files found relative to it: an
// installed program finds its plug-in and data beside itself wherever the
// installation was put.
//
// Header-only, so that a program which does not link the plug-in (the host)
// finds its files with the same code. Safe from any thread.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace platform {

// The folder that holds the running program's file; empty when the system
// cannot tell.
inline std::filesystem::path ProgramFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return program.parent_path();
}

// The file at relative (a path such as "../lib/mivo/libmivo.so") from the
// running program's folder, normalised; relative itself when the folder is
// unknown.
inline std::string BesideProgram(const std::string& relative) {
    const std::filesystem::path folder = ProgramFolder();
    if (folder.empty()) return relative;
    return (folder / relative).lexically_normal().string();
}

}  // namespace platform
