// The terminal behind a stream, through the terminal calls.
#include "host/Terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace mivo_host {

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

int TerminalColumns(std::FILE* stream) {
    struct winsize size {};
    if (ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

}  // namespace mivo_host
