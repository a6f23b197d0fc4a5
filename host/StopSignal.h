// The stop request of the host: Ctrl-C and a request to end the program set
// a flag that the host answers to the plug-in's IsStopRequested, so the
// running operation ends early and what it found so far can still be printed.
//
// On POSIX systems those are SIGINT and SIGTERM; on Windows the console's
// Ctrl-C (or Ctrl-Break) counts as SIGINT and closing the console (or logging
// off, or shutting down) as SIGTERM, so the exit statuses are the same
// numbers. A second Ctrl-C gets the system's default action and ends the
// program at once, for the case where the plug-in is stuck in a download.
// The flag is a lock-free atomic, safe to read from any thread and to set
// from a signal handler.
#pragma once

namespace mivo_host {

// Installs the stop handlers. Call once, on the main thread.
void InstallStopHandlers();

// True once a stop signal arrived (or RequestStop was called).
bool StopRequested();

// The signal number that asked to stop, 0 when none did (RequestStop gives SIGINT).
int StopSignalNumber();

// Sets the stop flag as a signal would.
void RequestStop();

// Sets the stop flag for the signal number; what the handlers call.
void RecordStopSignal(int number);

}  // namespace mivo_host
