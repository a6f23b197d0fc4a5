// Reading the configuration file of mivo.
#include "host/ConfigFile.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/Utf8Path.h"

namespace mivo_host {

namespace {

// A configuration is a few lines; anything larger is not one.
constexpr std::uintmax_t kMaxConfigBytes = 64 * 1024;

constexpr const char* kKeys[] = {"proxy", "max-difference", "delay", "cache", "log-dir", "trace-level"};

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool IsKey(const std::string& key) {
    for (const char* known : kKeys)
        if (key == known) return true;
    return false;
}

std::string KeyList() {
    std::string list;
    for (const char* key : kKeys) list += std::string(list.empty() ? "" : ", ") + key;
    return list;
}

// The reason for one line, or "" when the line is good (and applied).
std::string ApplyLine(const std::string& line, Options& options) {
    const std::string text = Trimmed(line);
    if (text.empty() || text[0] == '#') return {};
    const size_t equals = text.find('=');
    if (equals == std::string::npos) return "expected KEY = VALUE, not \"" + text + "\"";
    const std::string key = Trimmed(text.substr(0, equals));
    if (!IsKey(key)) return "unknown key \"" + key + "\" (the keys are " + KeyList() + ")";
    std::string reason = ApplyOption(options, "--" + key, Trimmed(text.substr(equals + 1)));
    // The option's reason names it as typed on the command line; here it is a key.
    if (reason.rfind("--" + key, 0) == 0) reason.erase(0, 2);
    return reason;
}

}  // namespace

std::string ApplyConfigText(const std::string& text, const std::string& fileName, Options& options) {
    std::istringstream lines(text);
    size_t number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        const std::string reason = ApplyLine(line, options);
        if (!reason.empty()) return fileName + ":" + std::to_string(number) + ": " + reason;
    }
    return {};
}

std::string ApplyConfigFile(const std::string& path, Options& options) {
    std::error_code error;
    const auto status = std::filesystem::status(PathFromUtf8(path), error);
    if (status.type() == std::filesystem::file_type::not_found) return {};
    if (error) return path + ": cannot read the configuration: " + error.message();
    // Only a regular file is opened, so a FIFO or a device cannot block the program.
    if (!std::filesystem::is_regular_file(status)) return path + ": the configuration is not a regular file";
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    if (!in) return path + ": cannot read the configuration";
    std::string text(kMaxConfigBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) return path + ": cannot read the configuration";
    text.resize(static_cast<size_t>(in.gcount()));
    if (text.size() > kMaxConfigBytes)
        return path + ": the configuration is larger than " + std::to_string(kMaxConfigBytes) + " bytes";
    return ApplyConfigText(text, path, options);
}

}  // namespace mivo_host
