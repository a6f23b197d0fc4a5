// The running program's folder from the file name of the process's main module.
#include "platform/ProgramFolder.h"

#include "platform/windows/ModuleFile.h"

namespace platform {

std::filesystem::path ProgramFolder() {
    const std::wstring program = FileOfModule(nullptr);
    if (program.empty()) return {};
    return std::filesystem::path(program).parent_path();
}

}  // namespace platform
