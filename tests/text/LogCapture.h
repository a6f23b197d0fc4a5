// Captures the trace lines written while a test runs: the log is opened in a
// temporary folder at the Debug level and every line that passes is read from
// the debugger-output sink, split into its label and its message.
#pragma once

#include <string>
#include <vector>

#include "log/TraceLog.h"
#include "platform/System.h"
#include "tests/support/TempDir.h"

namespace testsupport {

struct TraceLine {
    std::wstring label;    // "ERR", "WRN", ...
    std::wstring message;  // the text after "<time> <thread> <label>: ", without CR LF
};

class LogCapture {
public:
    LogCapture() {
        TheTraceLog().Close();
        TheTraceLog().Open(m_dir.wide().c_str(), L"test", TRACE_DEBUG);
        platform::SetDebugOutputSink([this](const std::wstring& line) { m_lines.push_back(Parse(line)); });
    }
    ~LogCapture() {
        platform::SetDebugOutputSink(nullptr);
        TheTraceLog().Close();
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::vector<TraceLine>& Lines() const { return m_lines; }
    void Clear() { m_lines.clear(); }

private:
    static TraceLine Parse(std::wstring line) {
        if (line.size() >= 2 && line.compare(line.size() - 2, 2, L"\r\n") == 0) line.resize(line.size() - 2);
        TraceLine parsed;
        // "hh:mm:ss.mmm <thread hex> <label>: <message>"
        const size_t firstBlank = line.find(L' ');
        const size_t secondBlank = firstBlank == std::wstring::npos ? firstBlank : line.find(L' ', firstBlank + 1);
        const size_t colon = secondBlank == std::wstring::npos ? secondBlank : line.find(L": ", secondBlank + 1);
        if (colon == std::wstring::npos) {
            parsed.message = line;
            return parsed;
        }
        parsed.label = line.substr(secondBlank + 1, colon - secondBlank - 1);
        parsed.message = line.substr(colon + 2);
        return parsed;
    }

    TempDir m_dir;
    std::vector<TraceLine> m_lines;
};

}  // namespace testsupport
