// Progress lines of the host on stderr.
#include "host/Progress.h"

#include "host/WideText.h"

namespace mivo_host {

void Progress::Contacting(const std::wstring& host, long long waitedMs) {
    if (!enabled_) return;
    const std::string name = ToUtf8(Printable(host));
    if (waitedMs > 0)
        std::fprintf(out_, "mivo: contacting %s (after waiting %lld ms)\n", name.c_str(), waitedMs);
    else
        std::fprintf(out_, "mivo: contacting %s\n", name.c_str());
    std::fflush(out_);
}

void Progress::Fetched(const std::wstring& host) {
    ++pages_;
    if (!enabled_) return;
    std::fprintf(out_, "mivo: %d page%s fetched, the last from %s\n", pages_, pages_ == 1 ? "" : "s",
                 ToUtf8(Printable(host)).c_str());
    std::fflush(out_);
}

}  // namespace mivo_host
