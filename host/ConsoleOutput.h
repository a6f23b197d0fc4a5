// The host's standard output and error as byte streams of UTF-8, the same on
// every system: on Windows they are switched to binary mode (no CR added
// before LF, so a JSON document has the same bytes as on Linux) and a console
// shows UTF-8 for as long as the object lives. Nothing to do on POSIX
// systems. One object, made first thing in main.
#pragma once

namespace mivo_host {

class ConsoleOutput {
public:
    // Prepares stdout and stderr.
    ConsoleOutput();
    // Gives the console back the code page it had.
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

private:
    unsigned m_previousCodePage = 0;
};

}  // namespace mivo_host
