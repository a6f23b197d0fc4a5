// The lines of mivo --version.
#include "host/VersionText.h"

#include "host/PluginModule.h"

#ifndef MIVO_LIBCURL_VERSION
#define MIVO_LIBCURL_VERSION ""
#endif
#ifndef MIVO_BOOST_REGEX_VERSION
#define MIVO_BOOST_REGEX_VERSION ""
#endif

namespace mivo_host {

namespace {

std::string Field(const std::map<std::string, std::string>& fields, const char* key) {
    const auto found = fields.find(key);
    return found == fields.end() ? std::string("(no ") + key + ")" : found->second;
}

}  // namespace

std::string VersionText(const std::string& programVersion, const std::string& pluginPath) {
    std::string text = "mivo " + programVersion + "\n";
    const auto marker = ReadPluginMarker(pluginPath);
    if (marker)
        text += "plug-in " + Field(*marker, "Name") + " " + Field(*marker, "Version") + " (" + pluginPath + ")\n";
    else text += "plug-in: no readable plug-in marker in " + pluginPath + "\n";
    std::string libraries;
    if (*MIVO_LIBCURL_VERSION) libraries += std::string("libcurl ") + MIVO_LIBCURL_VERSION;
    if (*MIVO_BOOST_REGEX_VERSION)
        libraries += std::string(libraries.empty() ? "" : ", ") + "Boost.Regex " + MIVO_BOOST_REGEX_VERSION;
    if (!libraries.empty()) text += "built with " + libraries + "\n";
    return text;
}

}  // namespace mivo_host
