// The console behind a stream, through the console functions.
#include "host/Terminal.h"

#include <io.h>
#include <windows.h>

namespace mivo_host {

namespace {

HANDLE HandleOf(std::FILE* stream) {
    const int descriptor = _fileno(stream);
    return descriptor < 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
}

}  // namespace

bool IsTerminal(std::FILE* stream) {
    DWORD mode = 0;
    const HANDLE handle = HandleOf(stream);
    return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) != 0;
}

int TerminalColumns(std::FILE* stream) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    const HANDLE handle = HandleOf(stream);
    if (handle != INVALID_HANDLE_VALUE && ::GetConsoleScreenBufferInfo(handle, &info)) {
        const int columns = info.srWindow.Right - info.srWindow.Left + 1;
        if (columns > 0) return columns;
    }
    return 80;
}

}  // namespace mivo_host
