#include "tests/tag/samples/ExifToolReader.h"

#include <cstdio>
#include <memory>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "tests/tag/samples/AudioSamples.h"

namespace mivo_host::test {

std::map<std::string, std::string> ExifToolTags(const std::filesystem::path& path) {
    std::string command = "exiftool -j -G1 -a " + Quoted(path) + " 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) throw std::runtime_error("cannot run exiftool");
    std::string output;
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) output.append(buffer, got);
    nlohmann::json files = nlohmann::json::parse(output);
    std::map<std::string, std::string> tags;
    for (const auto& [key, value] : files.at(0).items()) {
        size_t colon = key.find(':');
        if (colon == std::string::npos) continue;
        std::string group = key.substr(0, colon);
        if (group == "ID3v1" || group == "System" || group == "File" || group == "ExifTool" || group == "Composite") {
            continue;
        }
        std::string name = key.substr(colon + 1);
        if (!tags.contains(name)) tags[name] = value.is_string() ? value.get<std::string>() : value.dump();
    }
    return tags;
}

}  // namespace mivo_host::test
