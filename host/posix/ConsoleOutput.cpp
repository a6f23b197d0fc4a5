// Terminals take the bytes as they are.
#include "host/ConsoleOutput.h"

namespace mivo_host {

ConsoleOutput::ConsoleOutput() = default;

ConsoleOutput::~ConsoleOutput() = default;

}  // namespace mivo_host
