// The wide environment converted to UTF-8; folders in the user's profile.
#include "host/UserEnvironment.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "platform/Utf8.h"

namespace mivo_host {

Environment ProcessEnvironment() {
    // Each value read is kept, so the pointers handed out stay valid.
    auto values = std::make_shared<std::map<std::string, std::string>>();
    return [values](const char* name) -> const char* {
        const wchar_t* wide = _wgetenv(platform::FromUtf8(name).c_str());
        if (!wide) return nullptr;
        return values->try_emplace(name, platform::ToUtf8(wide)).first->second.c_str();
    };
}

const UserFolderRules& SystemUserFolders() {
    static const UserFolderRules rules{'\\',
                                       "APPDATA",
                                       "",
                                       "LOCALAPPDATA",
                                       "",
                                       "%XDG_CONFIG_HOME%\\mivo\\config, or %APPDATA%\\mivo\\config",
                                       "%XDG_CACHE_HOME%\\mivo, or %LOCALAPPDATA%\\mivo",
                                       "XDG_CONFIG_HOME, XDG_CACHE_HOME, APPDATA, LOCALAPPDATA"};
    return rules;
}

bool IsAbsoluteFolder(std::string_view path) {
    const auto slash = [](char c) { return c == '\\' || c == '/'; };
    const bool drive = path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                       path[1] == ':' && slash(path[2]);
    const bool share = path.size() >= 3 && slash(path[0]) && slash(path[1]) && !slash(path[2]);
    return drive || share;
}

}  // namespace mivo_host
