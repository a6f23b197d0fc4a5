// The self-rewriting progress line of the host on stderr.
#include "host/Progress.h"

#include "host/WideText.h"

namespace mivo_host {

namespace {

// Carriage return, then erase from the cursor to the end of the line.
constexpr const char* kEraseLine = "\r\x1b[K";

}  // namespace

void Progress::Waiting(const std::wstring& host, long long waitMs) {
    Show(L", waiting " + std::to_wstring(waitMs) + L" ms for " + host);
}

void Progress::Contacting(const std::wstring& host, long long waitedMs) {
    (void)waitedMs;  // the wait was shown while it lasted
    Show(L", contacting " + host);
}

void Progress::Fetched(const std::wstring& host) {
    ++m_pages;
    Show(L", the last from " + host);
}

void Progress::Show(const std::wstring& what) {
    if (!m_enabled) return;
    std::wstring line = L"mivo: " + std::to_wstring(m_pages) + (m_pages == 1 ? L" page" : L" pages") + Printable(what);
    // One column stays free: a line that fills the last column wraps on some terminals.
    const int room = m_columns > 1 ? m_columns - 1 : 1;
    int width = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        width += DisplayWidth(std::wstring_view(line).substr(i, 1));
        if (width > room) {
            line.resize(i);
            break;
        }
    }
    std::fprintf(m_out, "%s%s", kEraseLine, ToUtf8(line).c_str());
    std::fflush(m_out);
    m_shown = true;
}

void Progress::Finish() {
    if (!m_shown) return;
    std::fputs(kEraseLine, m_out);
    std::fflush(m_out);
    m_shown = false;
}

}  // namespace mivo_host
