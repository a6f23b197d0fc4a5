// The plug-in library's default place and its information marker; the
// loading itself is the system's (host/posix/, host/windows/).
#include "host/PluginModule.h"

#include <fstream>
#include <iterator>

#include "host/Utf8Path.h"
#include "platform/ProgramFolder.h"

namespace mivo_host {

namespace {

constexpr std::string_view kMarkerStart = "###_PluginInfo_###";
constexpr std::string_view kMarkerEnd = "###";
// A marker longer than this is not one (its fields are short texts).
constexpr size_t kMaxMarkerLength = 4096;

}  // namespace

PluginModule::~PluginModule() { Close(); }

CBasicTagsDllInterface* PluginModule::CreateInterface() const { return m_entry ? m_entry() : nullptr; }

std::string DefaultPluginPath() { return platform::BesideProgram(MIVO_PLUGIN_FROM_PROGRAM); }

std::optional<std::map<std::string, std::string>> ParsePluginMarker(const std::string& bytes) {
    size_t start = bytes.find(kMarkerStart);
    while (start != std::string::npos) {
        const size_t body = start + kMarkerStart.size();
        const size_t end = bytes.find(kMarkerEnd, body);
        if (end == std::string::npos) return std::nullopt;
        const std::string text = bytes.substr(body, end - body);
        std::map<std::string, std::string> fields;
        bool wellFormed = !text.empty() && text.size() <= kMaxMarkerLength && text.find('\0') == std::string::npos;
        size_t pos = 0;
        while (wellFormed && pos < text.size()) {
            const size_t semicolon = text.find(';', pos);
            const size_t equals = text.find('=', pos);
            if (semicolon == std::string::npos || equals == std::string::npos || equals > semicolon) {
                wellFormed = false;
                break;
            }
            std::string value = text.substr(equals + 1, semicolon - equals - 1);
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
            fields[text.substr(pos, equals - pos)] = value;
            pos = semicolon + 1;
        }
        if (wellFormed && !fields.empty()) return fields;
        start = bytes.find(kMarkerStart, body);
    }
    return std::nullopt;
}

std::optional<std::map<std::string, std::string>> ReadPluginMarker(const std::string& path) {
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    if (!in) return std::nullopt;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ParsePluginMarker(bytes);
}

}  // namespace mivo_host
