// The tag command of a build without TagLib: there is none.
#include <cstdio>

#include "host/RunOutcome.h"
#include "host/TagCommand.h"

namespace mivo_host {

bool TagSupported() { return false; }

int RunTagCommand(const Options&, CBasicTagsDllInterface&, bool (*)(), Progress&) {
    std::fputs("mivo: tag: this build has no tag support\n", stderr);
    return kExitUsage;
}

}  // namespace mivo_host
