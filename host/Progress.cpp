// Progress lines of the host on stderr.
#include "host/Progress.h"

#include "host/WideText.h"

namespace mivo_host {

void Progress::Contacting(const std::wstring& host, long long waitedMs) {
    if (!m_enabled) return;
    const std::string name = ToUtf8(Printable(host));
    if (waitedMs > 0) std::fprintf(m_out, "mivo: contacting %s (after waiting %lld ms)\n", name.c_str(), waitedMs);
    else std::fprintf(m_out, "mivo: contacting %s\n", name.c_str());
    std::fflush(m_out);
}

void Progress::Fetched(const std::wstring& host) {
    ++m_pages;
    if (!m_enabled) return;
    std::fprintf(m_out, "mivo: %d page%s fetched, the last from %s\n", m_pages, m_pages == 1 ? "" : "s",
                 ToUtf8(Printable(host)).c_str());
    std::fflush(m_out);
}

}  // namespace mivo_host
