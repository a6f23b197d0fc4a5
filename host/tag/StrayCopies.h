// Removing the temporary copies a killed earlier run left in a folder.
#pragma once

#include <string>
#include <vector>

namespace mivo_host {

struct StrayCopiesRemoved {
    size_t removed = 0;
    std::vector<std::string> failures;  // a line per copy that could not be removed
};

// Removes the regular files in folder named like our temporary copies; links
// and other files are left alone.
StrayCopiesRemoved RemoveStrayCopies(const std::string& folder);

}  // namespace mivo_host
