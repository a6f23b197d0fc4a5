// Progress lines on stderr while the plug-in works: which web host is being
// contacted (and how long the host waits before it), and how many pages have
// been fetched. Printed only when enabled, which main does when stderr is a
// terminal, so pipes and log files stay clean. Used on the main thread only.
#pragma once

#include <cstdio>
#include <string>

namespace mivo_host {

class Progress {
public:
    // Lines go to out when enabled; out is not owned and must outlive the object.
    Progress(bool enabled, std::FILE* out) : m_enabled(enabled), m_out(out) {}

    // Before contacting host; waitedMs is the time spent waiting for the gap.
    void Contacting(const std::wstring& host, long long waitedMs);
    // After a page from host arrived (or failed); counts the pages.
    void Fetched(const std::wstring& host);

    int PagesFetched() const { return m_pages; }

private:
    bool m_enabled;
    std::FILE* m_out;
    int m_pages = 0;
};

}  // namespace mivo_host
