// The program's arguments as UTF-8 text, as the system hands them over: the
// bytes of argv on POSIX systems, the wide command line converted on Windows
// (where argv holds the ANSI code page's approximation). Main thread only.
#pragma once

#include <string>
#include <vector>

namespace mivo_host {

// The arguments after the program name, as UTF-8.
std::vector<std::string> CommandArguments(int argc, char** argv);

}  // namespace mivo_host
