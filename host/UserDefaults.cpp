// The configuration and cache folders, and the proxy from the environment.
#include "host/UserDefaults.h"

#include <initializer_list>
#include <string_view>

namespace mivo_host {

namespace {

// folder, then each of names, joined by the system's separator.
std::string Below(std::string folder, std::initializer_list<const char*> names) {
    for (const char* name : names) (folder += SystemUserFolders().separator) += name;
    return folder;
}

// A base directory variable counts only when it holds an absolute path;
// otherwise the system's folder for the user's files (below under the
// fallback variable's folder), when that is absolute.
std::string BaseFolder(const Environment& environment, const char* variable, const char* fallbackVariable,
                       const char* below) {
    const char* base = environment(variable);
    if (base && IsAbsoluteFolder(base)) return base;
    const char* fallback = environment(fallbackVariable);
    if (!fallback || !IsAbsoluteFolder(fallback)) return {};
    return *below ? Below(fallback, {below}) : std::string(fallback);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != prefix[i]) return false;
    }
    return true;
}

// HOST:PORT of a proxy variable's value, which may also be http://HOST:PORT/.
// "" when the value names another scheme or a path.
std::string ProxyHostAndPort(std::string value) {
    if (StartsWithIgnoringCase(value, "http://")) value.erase(0, 7);
    if (!value.empty() && value.back() == '/') value.pop_back();
    if (value.empty() || value.find('/') != std::string::npos) return {};
    return value;
}

}  // namespace

std::string ConfigFilePath(const Environment& environment) {
    const UserFolderRules& rules = SystemUserFolders();
    const std::string base = BaseFolder(environment, "XDG_CONFIG_HOME", rules.configVariable, rules.configBelow);
    return base.empty() ? std::string() : Below(base, {"mivo", "config"});
}

std::string DefaultCacheFolder(const Environment& environment) {
    const UserFolderRules& rules = SystemUserFolders();
    const std::string base = BaseFolder(environment, "XDG_CACHE_HOME", rules.cacheVariable, rules.cacheBelow);
    return base.empty() ? std::string() : Below(base, {"mivo"});
}

std::string ApplyEnvironment(Options& options, const Environment& environment, std::string& notes) {
    if (!options.noCache && !options.cacheFolder) {
        const std::string folder = DefaultCacheFolder(environment);
        if (folder.empty())
            notes += std::string("no cache folder: neither XDG_CACHE_HOME nor ") + SystemUserFolders().cacheVariable +
                     " names an absolute path\n";
        else options.cacheFolder = folder;
    }
    if (options.noProxy || options.proxy) return {};
    for (const char* variable : {"http_proxy", "HTTP_PROXY"}) {
        const char* value = environment(variable);
        if (!value || !value[0]) continue;
        const std::string proxy = ProxyHostAndPort(value);
        const std::string reason = proxy.empty() ? "not HOST:PORT" : ApplyOption(options, "--proxy", proxy);
        if (!reason.empty())
            return std::string(variable) + " \"" + value + "\" cannot be used (" + reason +
                   "); it must be HOST:PORT or http://HOST:PORT/, and --no-proxy goes direct";
        return {};
    }
    return {};
}

}  // namespace mivo_host
