// Control characters in trace lines: each written text stays one line in the
// run file, in the debugger output and in the parent log after the merge,
// with its control characters shown as escapes; and the escape itself, with
// its bound on the length.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "log/TraceFileWriter.h"
#include "log/TraceLineEscape.h"
#include "log/TraceLog.h"
#include "platform/CodePage.h"
#include "platform/System.h"
#include "tests/log/TraceFileLines.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TempFolder.h"
#include "text/StdioFileEx.h"

namespace fs = std::filesystem;

namespace {

using tracefile::MessageOf;
using tracefile::ReadLines;

struct EscapeRow {
    const char* name;
    std::wstring text;
    std::wstring shown;
};

// One row per kind of character, written through the log as a page's text would be.
const std::vector<EscapeRow>& EscapeRows() {
    static const std::vector<EscapeRow> rows = {
        {"line feed", L"a\nb", L"a\\nb"},
        {"carriage return", L"a\rb", L"a\\rb"},
        {"a forged line", L"Quorin\r\n12:00:00.000 1 ERR: fake line", L"Quorin\\r\\n12:00:00.000 1 ERR: fake line"},
        {"line break at the end", L"text\r\n", L"text\\r\\n"},
        {"tab stays", L"a\tb", L"a\tb"},
        {"backslash stays", L"C:\\new\\x41", L"C:\\new\\x41"},
        {"other C0 characters", L"\x01|\x08|\x0B|\x0C|\x1B[2J|\x1F", L"\\x01|\\x08|\\x0B|\\x0C|\\x1B[2J|\\x1F"},
        {"delete", L"a\x7F", L"a\\x7F"},
        {"blank and printable ASCII stay", L" ~!\"#$%&'()*+", L" ~!\"#$%&'()*+"},
        {"non-ASCII stays", L"\u00e9\u20ac\U0001F3B5", L"\u00e9\u20ac\U0001F3B5"},
    };
    return rows;
}

// Starts every test from a closed log, which each test opens where it needs
// it, and collects what the log sends to the debugger output.
class TraceLineEscapeTest : public ::testing::Test {
protected:
    void SetUp() override {
        TheTraceLog().Close();
        TheTraceLog().SetParentLogfilePath(L"");
    }

    static fs::path CurrentRunFile() {
        CString name;
        TheTraceLog().GetCurrentFileName(name);
        return fs::path(name.str());
    }

    LogCapture m_log;
};

TEST_F(TraceLineEscapeTest, EveryTextIsOneLineInTheRunFileAndTheDebuggerOutput) {
    TempFolder dir;
    TheTraceLog().Open(dir.Wide().c_str(), L"mivo", TRACE_ERROR);
    for (const EscapeRow& row : EscapeRows()) TheTraceLog().Write(TRACE_ERROR, row.text.c_str());
    const fs::path runFile = CurrentRunFile();
    const std::vector<std::wstring> lines = ReadLines(runFile);
    ASSERT_EQ(lines.size(), EscapeRows().size()) << "a control character started a line of its own";
    const std::vector<std::wstring> debugLines = m_log.Raw();
    ASSERT_EQ(debugLines.size(), EscapeRows().size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const EscapeRow& row = EscapeRows()[i];
        EXPECT_EQ(MessageOf(lines[i]), row.shown) << row.name;
        EXPECT_EQ(debugLines[i], lines[i] + L"\r\n") << row.name << ": the debugger gets the same line";
    }
}

TEST_F(TraceLineEscapeTest, FormattedArgumentsAreEscapedAndTheParentLogGetsOneLineEach) {
    TempFolder dir;
    const fs::path parent = dir / "host.log";
    TheTraceLog().Open(dir.Wide().c_str(), L"mivo", TRACE_ERROR);
    TheTraceLog().SetParentLogfilePath(parent.wstring().c_str());
    TheTraceLog().WriteFormat(TRACE_ERROR, L"name %s, code %d!", L"Quorin\r\n00:00:00.000 1 ERR: forged", 42);
    TheTraceLog().WriteLastError(TRACE_ERROR, L"CreateFile", 2);
    TheTraceLog().Write(TRACE_ERROR, L"last");
    const fs::path runFile = CurrentRunFile();
    TheTraceLog().CloseAndMerge();

    const std::vector<std::wstring> merged = ReadLines(parent);
    // The merge writes an empty line and the run file's name before the run's lines.
    ASSERT_EQ(merged.size(), 5u);
    EXPECT_EQ(merged[0], L"");
    EXPECT_EQ(merged[1], runFile.filename().wstring());
    EXPECT_EQ(MessageOf(merged[2]), L"name Quorin\\r\\n00:00:00.000 1 ERR: forged, code 42!");
    // The system's error text keeps its own line break, shown escaped.
    EXPECT_EQ(MessageOf(merged[3]),
              L"CreateFile GetLastError():2, " +
                  platform::SystemErrorText(2).substr(0, platform::SystemErrorText(2).size() - 2) + L"\\r\\n");
    EXPECT_EQ(MessageOf(merged[4]), L"last");
}

TEST(AppendEscapedTraceTextTest, EscapesAndTheirBound) {
    const struct {
        const char* name;
        std::wstring text;
        size_t bound;
        std::wstring appended;
    } rows[] = {
        {"NUL", std::wstring(L"a\0b", 3), 100, L"a\\x00b"},
        {"every C0 character", std::wstring(L"\x1E\x1F\x10\x0F", 4), 100, L"\\x1E\\x1F\\x10\\x0F"},
        {"nothing to escape", L"plain", 100, L"plain"},
        {"empty text", L"", 100, L""},
        {"plain text cut at the bound", L"abcdef", 4, L"abcd"},
        {"escape that fits exactly", L"ab\n", 4, L"ab\\n"},
        {"escape that would cross the bound is left out whole", L"abc\nz", 4, L"abc"},
        {"long escape left out whole", L"ab\x01z", 5, L"ab"},
        {"nothing after a left-out escape", L"a\x01zzzz", 3, L"a"},
        {"zero bound", L"\n", 0, L""},
    };
    for (const auto& row : rows) {
        std::wstring line = L"prefix: ";
        AppendEscapedTraceText(line, row.text, row.bound);
        EXPECT_EQ(line, L"prefix: " + row.appended) << row.name;
        EXPECT_LE(line.size(), 8 + row.bound) << row.name;
    }
}

}  // namespace
