// The names of the temporary copies a tag write makes beside a file:
// ".NAME.mivo-tmp-XXXXXX", six letters or digits chosen when it is made.
#pragma once

#include <string>
#include <string_view>

namespace mivo_host {

// The mkstemp template of the temporary copy of the file named fileName.
std::string TemporaryNameTemplate(std::string_view fileName);

// Whether name is one of our temporary copies.
bool IsTemporaryCopyName(std::string_view name);

}  // namespace mivo_host
