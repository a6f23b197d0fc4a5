// The system's own debugger output, below the sink of platform/System.h.
// One implementation per system.
#pragma once

#include <string>

namespace platform {

// Hands text to the system's debugger output channel, where it has one.
void SystemDebugOutput(const std::wstring& text);

}  // namespace platform
