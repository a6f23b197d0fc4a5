// Captures the lines of the module's trace log for tests.
//
// The first LogCapture opens the trace log at level Debug in a temporary
// folder that lives until the program ends; every capture installs the
// debugger-output sink, through which each written line also passes, and
// collects lines until it is destroyed. One capture at a time.
#pragma once

#include <algorithm>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "log/TraceLineEscape.h"
#include "log/TraceLog.h"
#include "platform/CodePage.h"
#include "platform/System.h"
#include "tests/support/TempFolder.h"

// text as a trace line shows it: control characters escaped, as in the
// system's error texts that end in a line break.
inline std::wstring AsLogged(std::wstring_view text) {
    std::wstring shown;
    AppendEscapedTraceText(shown, text, text.size() * 4);
    return shown;
}

class LogCapture {
public:
    LogCapture() {
        static TempFolder logFolder;
        if (!TheTraceLog().IsOpen()) TheTraceLog().Open(platform::FromUtf8(logFolder.path()).c_str(), L"mivo", TRACE_DEBUG);
        TheTraceLog().SetLevel(TRACE_DEBUG);
        platform::SetDebugOutputSink([this](const std::wstring& line) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_lines.push_back(line);
        });
    }
    ~LogCapture() { platform::SetDebugOutputSink(nullptr); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The texts of the captured lines of one label ("ERR", "WRN", "INF", "DBG"),
    // without time, thread and line break.
    std::vector<std::wstring> Texts(const std::wstring& label) {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<std::wstring> texts;
        const std::wstring marker = L" " + label + L": ";
        for (const std::wstring& line : m_lines) {
            const size_t at = line.find(marker);
            if (at == std::wstring::npos) continue;
            std::wstring text = line.substr(at + marker.size());
            if (text.size() >= 2 && text.compare(text.size() - 2, 2, L"\r\n") == 0) text.resize(text.size() - 2);
            texts.push_back(text);
        }
        return texts;
    }
    // Forgets the lines captured so far.
    void Clear() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.clear();
    }

private:
    std::mutex m_mutex;
    std::vector<std::wstring> m_lines;
};
