// The text of mivo --version: the program's own version, the plug-in's as
// its information marker announces it, and the versions of libcurl and
// Boost.Regex that the plug-in was built with (handed to this file by the
// build, since the host links neither). Called on the main thread only.
#pragma once

#include <string>

namespace mivo_host {

// The version lines for the program version programVersion and the plug-in
// file at pluginPath, which is read but not loaded. A plug-in without a
// readable marker is named with the reason.
std::string VersionText(const std::string& programVersion, const std::string& pluginPath);

}  // namespace mivo_host
