// The "keep going?" question that a caller puts to a running HTTP transfer,
// so that a transfer waiting on a slow or silent peer can be ended from
// above (platform/HttpClient.h asks it; whoever starts the transfer owns it).
//
// The question is asked on the thread that drives the transfer, each time
// the transfer needs more from the network, and at least every everyMs while
// it waits. How often it goes further up (to a user, a host) is the asker's
// own business: the transfer only promises to ask.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

struct HttpKeepGoing {
    // True to go on; false ends the transfer at once as a failure. Empty:
    // nothing is asked.
    std::function<bool()> ask;
    // The longest wait between two questions while the transfer waits (1 at the least).
    uint32_t everyMs = 1000;
};

}  // namespace platform
