// Internal to the atomic replacement: names for temporary files.
#pragma once

#include <string>

namespace platform {

// A name for a temporary file beside path that no other writer uses at the
// same time: path followed by the process id, the thread id and a counter.
std::wstring TemporaryNameBeside(const std::wstring& path);

}  // namespace platform
