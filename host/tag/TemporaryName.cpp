#include "host/tag/TemporaryName.h"

namespace mivo_host {

namespace {
constexpr std::string_view kMark = ".mivo-tmp-";
constexpr size_t kSuffixLength = 6;

bool IsLetterOrDigit(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }
}  // namespace

std::string TemporaryNameTemplate(std::string_view fileName) {
    return "." + std::string(fileName) + std::string(kMark) + std::string(kSuffixLength, 'X');
}

bool IsTemporaryCopyName(std::string_view name) {
    // "." + at least one byte of the file's name + mark + suffix.
    if (name.size() < 2 + kMark.size() + kSuffixLength || name.front() != '.') return false;
    std::string_view suffix = name.substr(name.size() - kSuffixLength);
    for (char c : suffix) {
        if (!IsLetterOrDigit(c)) return false;
    }
    std::string_view rest = name.substr(0, name.size() - kSuffixLength);
    return rest.ends_with(kMark);
}

}  // namespace mivo_host
