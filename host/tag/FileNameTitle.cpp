#include "host/tag/FileNameTitle.h"

#include "host/tag/TagValues.h"

namespace mivo_host {

namespace {

constexpr size_t kLongestExtension = 5;
constexpr std::string_view kEnDash = "\xE2\x80\x93";
constexpr std::string_view kEmDash = "\xE2\x80\x94";

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

bool IsAsciiAlnum(char ch) { return IsDigit(ch) || (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); }

bool IsBlank(char ch) { return ch == ' ' || ch == '\t'; }

// The name without what follows its last dot, when that is an extension.
std::string_view WithoutExtension(std::string_view name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return name;
    const std::string_view extension = name.substr(dot + 1);
    if (extension.empty() || extension.size() > kLongestExtension) return name;
    for (char ch : extension)
        if (!IsAsciiAlnum(ch)) return name;
    return name.substr(0, dot);
}

// The length of the separator text starts with (0 when it starts with none).
size_t SeparatorLength(std::string_view text) {
    if (text.empty()) return 0;
    if (text.starts_with(kEnDash) || text.starts_with(kEmDash)) return kEnDash.size();
    const char ch = text.front();
    return IsBlank(ch) || ch == '-' || ch == '.' || ch == '_' || ch == ')' || ch == ']' ? 1 : 0;
}

// text from the end of its leading digits.
std::string_view AfterDigits(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && IsDigit(text[at])) ++at;
    return text.substr(at);
}

std::string_view TrimmedEnd(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

FileNameParts SplitFileName(std::string_view fileName) {
    const size_t slash = fileName.rfind('/');
    if (slash != std::string_view::npos) fileName.remove_prefix(slash + 1);
    std::string_view name = WithoutExtension(fileName);
    while (!name.empty() && IsBlank(name.front())) name.remove_prefix(1);

    FileNameParts parts;
    std::optional<unsigned> number = LeadingNumber(name);
    std::string_view rest = AfterDigits(name);
    // "1-03", "2.11": the first number is the disc's, the second the track's.
    // After a dot the track has two digits at least; "1.5 Degrees" begins
    // with a decimal number, which is the title's.
    bool decimal = false;
    if (number && rest.size() >= 2 && (rest[0] == '-' || rest[0] == '.') && IsDigit(rest[1])) {
        const std::string_view second = rest.substr(1);
        if (rest[0] == '.' && second.size() - AfterDigits(second).size() < 2) {
            decimal = true;
        } else {
            number = LeadingNumber(second);
            rest = AfterDigits(second);
        }
    }
    if (number && !decimal && (rest.empty() || SeparatorLength(rest) > 0)) {
        parts.track = number;
        while (size_t length = SeparatorLength(rest)) rest.remove_prefix(length);
        name = rest;
    }
    parts.title = std::string(TrimmedEnd(name));
    return parts;
}

std::string TitleFromFileName(std::string_view fileName) { return SplitFileName(fileName).title; }

}  // namespace mivo_host
