// The stop request of the host: SIGINT (Ctrl-C) and SIGTERM set a flag that
// the host answers to the plug-in's IsStopRequested, so the running operation
// ends early and what it found so far can still be printed.
//
// The handlers are installed once for the process with SA_RESETHAND: a second
// Ctrl-C gets the default action and ends the program at once, for the case
// where the plug-in is stuck in a download. The flag is a lock-free atomic,
// safe to read from any thread and to set from the signal handler.
#pragma once

namespace mivo_host {

// Installs the SIGINT and SIGTERM handlers. Call once, on the main thread.
void InstallStopHandlers();

// True once a stop signal arrived (or RequestStop was called).
bool StopRequested();

// The signal number that asked to stop, 0 when none did (RequestStop gives SIGINT).
int StopSignalNumber();

// Sets the stop flag as a signal would.
void RequestStop();

}  // namespace mivo_host
