// Binary standard streams and the console's UTF-8 output code page.
#include "host/ConsoleOutput.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

namespace mivo_host {

ConsoleOutput::ConsoleOutput() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // 0 when the process has no console: its output goes to files or pipes.
    m_previousCodePage = ::GetConsoleOutputCP();
    if (m_previousCodePage != 0 && m_previousCodePage != CP_UTF8) ::SetConsoleOutputCP(CP_UTF8);
}

ConsoleOutput::~ConsoleOutput() {
    std::fflush(stdout);
    std::fflush(stderr);
    if (m_previousCodePage != 0 && m_previousCodePage != CP_UTF8) ::SetConsoleOutputCP(m_previousCodePage);
}

}  // namespace mivo_host
