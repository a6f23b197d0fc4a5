// Arguments from the process's wide command line, split as the C runtime splits it.
#include "host/CommandArguments.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include "platform/Utf8.h"

namespace mivo_host {

std::vector<std::string> CommandArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide) return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(platform::ToUtf8(wide[i]));
    ::LocalFree(wide);
    return arguments;
}

}  // namespace mivo_host
