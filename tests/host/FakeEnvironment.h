// An environment of the host's own making for tests: the variables given,
// nothing else.
#pragma once

#include <map>
#include <string>

#include "host/UserEnvironment.h"

namespace testsupport {

// Looks variables up in the map; null for any other name.
inline mivo_host::Environment FakeEnvironment(const std::map<std::string, std::string>& variables) {
    return [variables](const char* name) -> const char* {
        const auto found = variables.find(name);
        return found == variables.end() ? nullptr : found->second.c_str();
    };
}

}  // namespace testsupport
