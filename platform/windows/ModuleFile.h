// The file name of a loaded module, for the Windows files of the plug-in and
// of the host. Header-only; safe from any thread.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// Full path of module's file (null: the program's own); empty when the
// system cannot tell.
inline std::wstring FileOfModule(HMODULE module) {
    // The name may be longer than MAX_PATH: grow the buffer until it fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        if (path.size() >= 32768) return std::wstring();
        path.resize(path.size() * 2);
    }
}

}  // namespace platform
