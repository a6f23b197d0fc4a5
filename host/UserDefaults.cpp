// The configuration and cache folders, and the proxy from the environment.
#include "host/UserDefaults.h"

#include <cstdlib>
#include <string_view>

namespace mivo_host {

namespace {

// A base directory variable counts only when it holds an absolute path.
std::string BaseFolder(const Environment& environment, const char* variable, const char* underHome) {
    const char* base = environment(variable);
    if (base && base[0] == '/') return base;
    const char* home = environment("HOME");
    if (home && home[0] == '/') return std::string(home) + "/" + underHome;
    return {};
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

Environment ProcessEnvironment() {
    return [](const char* name) -> const char* { return std::getenv(name); };
}

std::string ConfigFilePath(const Environment& environment) {
    const std::string base = BaseFolder(environment, "XDG_CONFIG_HOME", ".config");
    return base.empty() ? std::string() : base + "/mivo/config";
}

std::string DefaultCacheFolder(const Environment& environment) {
    const std::string base = BaseFolder(environment, "XDG_CACHE_HOME", ".cache");
    return base.empty() ? std::string() : base + "/mivo";
}

std::string ApplyEnvironment(Options& options, const Environment& environment, std::string& notes) {
    if (!options.noCache && !options.cacheFolder) {
        const std::string folder = DefaultCacheFolder(environment);
        if (folder.empty()) notes += "no cache folder: neither XDG_CACHE_HOME nor HOME names an absolute path\n";
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
