// What mivo takes from the user's environment when neither the command line
// nor the configuration file says: where the configuration file and the
// default cache folder are (the XDG base directories, else the system's
// folders of host/UserEnvironment.h), and the proxy named by http_proxy or
// HTTP_PROXY. Called on the main thread only.
#pragma once

#include <string>

#include "host/CommandLine.h"
#include "host/UserEnvironment.h"

namespace mivo_host {

// $XDG_CONFIG_HOME/mivo/config, or $HOME/.config/mivo/config when
// XDG_CONFIG_HOME is unset, empty or relative (%APPDATA%\mivo\config on
// Windows); "" when HOME (APPDATA) is not usable either.
std::string ConfigFilePath(const Environment& environment);

// $XDG_CACHE_HOME/mivo, or $HOME/.cache/mivo (%LOCALAPPDATA%\mivo on
// Windows); "" when neither is usable.
std::string DefaultCacheFolder(const Environment& environment);

// Completes options from the environment: the proxy from http_proxy (or
// HTTP_PROXY) unless the options name one or ask to go direct, and the default
// cache folder unless the options name one or ask for none. Answers "" on
// success, otherwise why the environment's proxy cannot be used. notes gets a
// line when there is no default cache folder to use.
std::string ApplyEnvironment(Options& options, const Environment& environment, std::string& notes);

}  // namespace mivo_host
