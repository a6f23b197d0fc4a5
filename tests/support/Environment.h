// Setting and removing environment variables of the test process, over the
// C runtime of each system (POSIX setenv/unsetenv, or _putenv_s).
#pragma once

#include <cstdlib>
#include <string>

namespace testsupport {

// Sets the variable name to value for this process and its children.
inline void SetEnvironment(const std::string& name, const std::string& value) {
#ifdef _WIN32
    ::_putenv_s(name.c_str(), value.c_str());
#else
    ::setenv(name.c_str(), value.c_str(), 1);
#endif
}

// Removes the variable name from this process's environment.
inline void UnsetEnvironment(const std::string& name) {
#ifdef _WIN32
    ::_putenv_s(name.c_str(), "");
#else
    ::unsetenv(name.c_str());
#endif
}

}  // namespace testsupport
