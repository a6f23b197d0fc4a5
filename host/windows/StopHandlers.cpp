// The console control handler that sets the host's stop flag: Ctrl-C and
// Ctrl-Break as SIGINT, closing the console, logging off and shutting down as
// SIGTERM.
#include <signal.h>
#include <windows.h>

#include <atomic>

#include "host/StopSignal.h"

namespace mivo_host {

namespace {

// The system ends the process once the handler returns from a close, log-off
// or shut-down event; until then the main thread has this long to print what
// was found and return.
constexpr DWORD kCloseGraceMs = 4000;

std::atomic<bool> g_interrupted{false};

BOOL WINAPI OnConsoleControl(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            // The second one is left to the default handler, which ends the program.
            if (g_interrupted.exchange(true)) return FALSE;
            RecordStopSignal(SIGINT);
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            RecordStopSignal(SIGTERM);
            ::Sleep(kCloseGraceMs);
            return TRUE;
        default: return FALSE;
    }
}

}  // namespace

void InstallStopHandlers() { ::SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

}  // namespace mivo_host
