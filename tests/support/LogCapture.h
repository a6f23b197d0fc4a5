// Captures the lines of the module's trace log for tests.
//
// Each capture starts from a fresh log: whatever log was open is closed and a
// new one is opened at level Debug, under the given file stem, in a temporary
// folder of the capture's own. Every written line also passes the
// debugger-output sink, from which the capture collects it until it is
// destroyed; the log is then closed again. One capture at a time.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "log/TraceLineEscape.h"
#include "log/TraceLog.h"
#include "platform/System.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TraceLineParts.h"

// text as a trace line shows it: control characters escaped, as in the
// system's error texts that end in a line break.
inline std::wstring AsLogged(std::wstring_view text) {
    std::wstring shown;
    AppendEscapedTraceText(shown, text, text.size() * 4);
    return shown;
}

class LogCapture {
public:
    // Opens a fresh log named stem at level Debug and starts collecting its lines.
    explicit LogCapture(const std::wstring& stem = L"mivo") {
        TheTraceLog().Close();
        TheTraceLog().Open(m_folder.Wide().c_str(), stem.c_str(), TRACE_DEBUG);
        platform::SetDebugOutputSink([this](const std::wstring& line) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_lines.push_back(line);
        });
    }
    // Stops collecting, closes the log and forgets its parent log.
    ~LogCapture() {
        platform::SetDebugOutputSink(nullptr);
        TheTraceLog().Close();
        TheTraceLog().SetParentLogfilePath(L"");
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The captured lines as the debugger output got them, line break included.
    std::vector<std::wstring> Raw() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lines;
    }
    // The captured lines split into label and message.
    std::vector<TraceLine> Lines() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<TraceLine> lines;
        lines.reserve(m_lines.size());
        for (const std::wstring& line : m_lines) lines.push_back(SplitTraceLine(line));
        return lines;
    }
    // The messages of the captured lines of one label ("ERR", "WRN", "INF", "DBG").
    std::vector<std::wstring> Texts(const std::wstring& label) const {
        std::vector<std::wstring> texts;
        for (TraceLine& line : Lines())
            if (line.label == label) texts.push_back(std::move(line.message));
        return texts;
    }
    // Forgets the lines captured so far.
    void Clear() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.clear();
    }

private:
    TempFolder m_folder;
    mutable std::mutex m_mutex;
    std::vector<std::wstring> m_lines;
};
