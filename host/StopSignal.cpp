// The host's stop flag; the handlers that set it are the system's
// (host/posix/, host/windows/).
#include "host/StopSignal.h"

#include <signal.h>

#include <atomic>

namespace mivo_host {

namespace {

std::atomic<int> g_stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the stop flag is set from a signal handler");

}  // namespace

bool StopRequested() { return g_stopSignal.load(std::memory_order_relaxed) != 0; }

int StopSignalNumber() { return g_stopSignal.load(std::memory_order_relaxed); }

void RequestStop() { RecordStopSignal(SIGINT); }

void RecordStopSignal(int number) { g_stopSignal.store(number, std::memory_order_relaxed); }

}  // namespace mivo_host
