// Arguments as the bytes exec passed.
#include "host/CommandArguments.h"

namespace mivo_host {

std::vector<std::string> CommandArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace mivo_host
