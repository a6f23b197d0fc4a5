// The environment as the process has it; folders under HOME.
#include "host/UserEnvironment.h"

#include <cstdlib>

namespace mivo_host {

Environment ProcessEnvironment() {
    return [](const char* name) -> const char* { return std::getenv(name); };
}

const UserFolderRules& SystemUserFolders() {
    static const UserFolderRules rules{'/',
                                       "HOME",
                                       ".config",
                                       "HOME",
                                       ".cache",
                                       "$XDG_CONFIG_HOME/mivo/config, or ~/.config/mivo/config",
                                       "$XDG_CACHE_HOME/mivo, or ~/.cache/mivo",
                                       "XDG_CONFIG_HOME, XDG_CACHE_HOME, HOME"};
    return rules;
}

bool IsAbsoluteFolder(std::string_view path) { return !path.empty() && path[0] == '/'; }

}  // namespace mivo_host
