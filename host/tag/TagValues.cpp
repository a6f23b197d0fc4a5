#include "host/tag/TagValues.h"

namespace mivo_host {

namespace {
// Track numbers and years stay far below this; longer digit runs are not numbers we use.
constexpr unsigned kLargest = 1000000;
}  // namespace

std::optional<unsigned> LeadingNumber(std::string_view text) {
    size_t at = text.find_first_not_of(" \t");
    if (at == std::string_view::npos || text[at] < '0' || text[at] > '9') return std::nullopt;
    unsigned value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 + static_cast<unsigned>(text[at] - '0');
        if (value >= kLargest) return std::nullopt;
    }
    return value;
}

std::optional<unsigned> NumberAfterSlash(std::string_view text) {
    size_t slash = text.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    return LeadingNumber(text.substr(slash + 1));
}

}  // namespace mivo_host
