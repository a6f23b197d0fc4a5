// The trace-line splitter and the log collector the tests share: how a line
// splits into label and message, that a capture starts from a fresh log of
// its own and leaves it closed, and what each view of the captured lines
// holds.
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "tests/support/TempFolder.h"

namespace {

TEST(SplitTraceLine, SplitsAtTheLabelThatFollowsTimeAndThread) {
    struct Row {
        const char* name;
        std::wstring line;
        std::wstring label;
        std::wstring message;
    };
    const Row rows[] = {
        {"debugger line", L"12:00:00.000 1a2b ERR: text\r\n", L"ERR", L"text"},
        {"file line", L"12:00:00.000 1a2b WRN: text", L"WRN", L"text"},
        {"a label inside the message", L"12:00:00.000 1a2b WRN: b ERR: c\r\n", L"WRN", L"b ERR: c"},
        {"a colon inside the message", L"12:00:00.000 1a2b DBG: key: value", L"DBG", L"key: value"},
        {"empty message", L"12:00:00.000 1a2b INF: \r\n", L"INF", L""},
        {"line break inside is kept", L"12:00:00.000 1a2b ERR: a\r\nb", L"ERR", L"a\r\nb"},
        {"a merged run's name", L"mivo_20260101_120000_1a2b.txt", L"", L"mivo_20260101_120000_1a2b.txt"},
        {"an empty line", L"\r\n", L"", L""},
        {"no label after time and thread", L"12:00:00.000 1a2b text", L"", L"12:00:00.000 1a2b text"},
    };
    for (const Row& row : rows) {
        const TraceLine split = SplitTraceLine(row.line);
        EXPECT_EQ(split.label, row.label) << row.name;
        EXPECT_EQ(split.message, row.message) << row.name;
    }
}

TEST(LogCapture, StartsAFreshLogOfItsOwnAndLeavesItClosed) {
    TempFolder elsewhere;
    TheTraceLog().Open(elsewhere.Wide().c_str(), L"mivo", TRACE_ERROR);
    TheTraceLog().Write(TRACE_ERROR, L"before the capture");
    {
        LogCapture log(L"stem");
        TheTraceLog().Write(TRACE_DEBUG, L"a debug line");
        EXPECT_EQ(log.Texts(L"DBG"), std::vector<std::wstring>{L"a debug line"}) << "the capture logs at Debug";
        CString fileName;
        TheTraceLog().GetCurrentFileName(fileName);
        const std::filesystem::path file(fileName.str());
        EXPECT_NE(file.parent_path(), elsewhere.path()) << "the log opened elsewhere is replaced";
        EXPECT_EQ(file.filename().wstring().rfind(L"stem_", 0), 0u) << platform::ToUtf8(file.filename().wstring());
        EXPECT_TRUE(std::filesystem::exists(file));
    }
    EXPECT_FALSE(TheTraceLog().IsOpen());
    EXPECT_EQ(TheTraceLog().GetParentLogfilePath(), L"") << "no merge may reach the capture's removed folder";
    TheTraceLog().Write(TRACE_ERROR, L"after the capture");

    LogCapture next;
    EXPECT_TRUE(next.Raw().empty()) << "a new capture starts empty";
    TheTraceLog().Write(TRACE_INFO, L"into the next capture");
    EXPECT_EQ(next.Texts(L"INF"), std::vector<std::wstring>{L"into the next capture"});
}

TEST(LogCapture, ViewsOfTheCapturedLinesAgree) {
    LogCapture log;
    TheTraceLog().Write(TRACE_ERROR, L"first");
    TheTraceLog().Write(TRACE_WARNING, L"b ERR: c");
    TheTraceLog().Write(TRACE_ERROR, L"line\r\nbreak");

    const std::vector<std::wstring> raw = log.Raw();
    ASSERT_EQ(raw.size(), 3u);
    for (const std::wstring& line : raw) EXPECT_EQ(line.substr(line.size() - 2), L"\r\n");
    const std::vector<TraceLine> lines = log.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].label, L"WRN");
    EXPECT_EQ(lines[1].message, L"b ERR: c");
    EXPECT_EQ(log.Texts(L"ERR"), (std::vector<std::wstring>{L"first", AsLogged(L"line\r\nbreak")}))
        << "a label inside a message is no line of that label";
    EXPECT_EQ(log.Texts(L"WRN"), std::vector<std::wstring>{L"b ERR: c"});

    log.Clear();
    EXPECT_TRUE(log.Lines().empty());
    TheTraceLog().Write(TRACE_ERROR, L"after clearing");
    EXPECT_EQ(log.Texts(L"ERR"), std::vector<std::wstring>{L"after clearing"});
}

TEST(LogCapture, CollectsEveryLineOfConcurrentWriters) {
    LogCapture log;
    constexpr int kThreads = 4;
    constexpr int kLinesEach = 200;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t)
        writers.emplace_back([] {
            for (int i = 0; i < kLinesEach; ++i) TheTraceLog().Write(TRACE_INFO, L"from a writer");
        });
    for (std::thread& writer : writers) writer.join();
    EXPECT_EQ(log.Texts(L"INF").size(), static_cast<size_t>(kThreads * kLinesEach));
}

}  // namespace
