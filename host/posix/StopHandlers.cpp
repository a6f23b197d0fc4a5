// SIGINT and SIGTERM handlers that set the host's stop flag. SA_RESETHAND
// gives a second signal of the same kind the default action.
#include <signal.h>

#include "host/StopSignal.h"

namespace mivo_host {

namespace {

extern "C" void OnStopSignal(int number) { RecordStopSignal(number); }

}  // namespace

void InstallStopHandlers() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace mivo_host
