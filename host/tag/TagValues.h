// Numbers in tag text: a year in a date ("2004-05-01"), a track number with
// or without its total ("3/12"). Pure functions.
#pragma once

#include <optional>
#include <string_view>

namespace mivo_host {

// The number the text starts with (blanks before it skipped), if any.
std::optional<unsigned> LeadingNumber(std::string_view text);

// The number after the first "/" of text ("3/12" gives 12), if any.
std::optional<unsigned> NumberAfterSlash(std::string_view text);

}  // namespace mivo_host
