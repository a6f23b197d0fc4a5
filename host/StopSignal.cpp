// SIGINT and SIGTERM handlers that set the host's stop flag.
#include "host/StopSignal.h"

#include <signal.h>

#include <atomic>

namespace mivo_host {

namespace {

std::atomic<int> g_stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the stop flag is set from a signal handler");

extern "C" void OnStopSignal(int number) { g_stopSignal.store(number, std::memory_order_relaxed); }

}  // namespace

void InstallStopHandlers() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested() { return g_stopSignal.load(std::memory_order_relaxed) != 0; }

int StopSignalNumber() { return g_stopSignal.load(std::memory_order_relaxed); }

void RequestStop() { g_stopSignal.store(SIGINT, std::memory_order_relaxed); }

}  // namespace mivo_host
