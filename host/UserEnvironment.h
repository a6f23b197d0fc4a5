// The system's side of the user's environment: reading a variable as UTF-8,
// what counts as an absolute folder, and where configuration and cache go
// when the XDG base directory variables do not say: under HOME on POSIX
// systems ($HOME/.config, $HOME/.cache), in the profile's application data
// folders on Windows (%APPDATA%, %LOCALAPPDATA%). Main thread only.
#pragma once

#include <functional>
#include <string_view>

namespace mivo_host {

// Looks up an environment variable: its value, or null when it is unset.
using Environment = std::function<const char*(const char*)>;

// The process's own environment, values as UTF-8; a value stays valid as
// long as the returned function lives.
Environment ProcessEnvironment();

// The folders the system uses for a user's files when XDG_CONFIG_HOME and
// XDG_CACHE_HOME are unset: each is the value of a variable, with a folder
// below it ("" for the variable's folder itself).
struct UserFolderRules {
    char separator;              // between folder names
    const char* configVariable;  // HOME, APPDATA
    const char* configBelow;     // .config, ""
    const char* cacheVariable;   // HOME, LOCALAPPDATA
    const char* cacheBelow;      // .cache, ""
    // The same for mivo --help: the configuration file, the cache folder and
    // the variables that decide them.
    const char* configHelp;
    const char* cacheHelp;
    const char* variablesHelp;
};

// This system's rules.
const UserFolderRules& SystemUserFolders();

// True when path names a folder from the root: "/..." on POSIX systems, a
// drive ("C:\...") or a share ("\\server\...") on Windows.
bool IsAbsoluteFolder(std::string_view path);

}  // namespace mivo_host
