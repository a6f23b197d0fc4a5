// The progress line of the host on stderr while the plug-in works: how many
// pages have been fetched, the web host being contacted, and the wait before
// the next contact of a host. It is one line that rewrites itself (carriage
// return, then erase to the end of the line), cut to the terminal's width so
// it never wraps, and erased by Finish. Shown only when enabled, which main
// does when stderr is a terminal and --quiet was not given, so pipes and log
// files stay clean. Used on the main thread only.
#pragma once

#include <cstdio>
#include <string>

namespace mivo_host {

class Progress {
public:
    // The line goes to out, columns wide, when enabled; out is not owned and
    // must outlive the object.
    Progress(bool enabled, std::FILE* out, int columns = 80) : m_enabled(enabled), m_out(out), m_columns(columns) {}
    // Erases the line when it is still shown.
    ~Progress() { Finish(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Before waiting waitMs for the gap between two contacts of host.
    void Waiting(const std::wstring& host, long long waitMs);
    // Before contacting host; waitedMs is the time spent waiting for the gap.
    void Contacting(const std::wstring& host, long long waitedMs);
    // After a page from host arrived (or failed); counts the pages.
    void Fetched(const std::wstring& host);
    // Erases the line, so that what follows starts on a clean line. Safe to call twice.
    void Finish();

    int PagesFetched() const { return m_pages; }

private:
    // Rewrites the line as "mivo: N pages" (the pages fetched) followed by what.
    void Show(const std::wstring& what);

    bool m_enabled;
    std::FILE* m_out;
    int m_columns;
    int m_pages = 0;
    bool m_shown = false;
};

}  // namespace mivo_host
