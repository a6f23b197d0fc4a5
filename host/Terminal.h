// What the host needs to know of the terminal behind a stream: whether there
// is one, and how wide it is. Called on the main thread only.
#pragma once

#include <cstdio>

namespace mivo_host {

// True when stream is connected to a terminal.
bool IsTerminal(std::FILE* stream);

// The width of the terminal behind stream in columns; 80 when it cannot be told.
int TerminalColumns(std::FILE* stream);

}  // namespace mivo_host
