// The running program's folder from the process's own link to its file.
#include "platform/ProgramFolder.h"

#include <system_error>

namespace platform {

std::filesystem::path ProgramFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return program.parent_path();
}

}  // namespace platform
