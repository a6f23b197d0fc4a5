// Trace log: level filter, literal text, file creation, line format, day
// change, merge into the parent log, and concurrent writers.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>
#include <vector>

#include "log/TraceFileWriter.h"
#include "log/TraceLog.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/System.h"
#include "tests/log/TraceFileLines.h"
#include "tests/log/TraceLogFixture.h"
#include "tests/support/FileBytes.h"
#include "tests/support/LogCapture.h"
#include "tests/support/SpecialFiles.h"
#include "tests/support/TempFolder.h"
#include "text/StdioFileEx.h"

namespace fs = std::filesystem;

namespace {

using tracefile::MessageOf;
using tracefile::ReadLines;
using tracefile::RunFiles;

TEST_F(TraceLogTest, NothingIsWrittenBeforeOpenAndNoFileBeforeTheFirstPassingLine) {
    TempFolder dir;
    TheTraceLog().Write(TRACE_ERROR, L"dropped before open");
    TheTraceLog().Open(dir.Wide().c_str(), L"mivo", TRACE_ERROR);
    EXPECT_TRUE(RunFiles(dir.path()).empty());
    TheTraceLog().Write(TRACE_DEBUG, L"filtered");
    EXPECT_TRUE(RunFiles(dir.path()).empty()) << "a filtered line must not create the file";
    TheTraceLog().Write(TRACE_ERROR, L"first");
    const auto files = RunFiles(dir.path());
    ASSERT_EQ(files.size(), 1u);
    const auto lines = ReadLines(files[0]);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(MessageOf(lines[0]), L"first");
    EXPECT_EQ(ReadBytes(files[0]).substr(0, 2), "\xFF\xFE");
}

TEST_F(TraceLogTest, LevelFilterAndLabels) {
    TempFolder dir;
    TheTraceLog().Open(dir.Wide().c_str(), L"mivo", TRACE_ERROR);
    TheTraceLog().SetTraceLevel(L"Info");
    const struct {
        int level;
        bool passes;
        const wchar_t* label;
    } rows[] = {
        {-5, true, L""},    {0, true, L""},     {9, true, L""},   {10, true, L"ERR"},
        {20, true, L"WRN"}, {30, true, L"INF"}, {31, false, L""}, {40, false, L""},
    };
    for (const auto& row : rows) TheTraceLog().Write(row.level, (L"level " + std::to_wstring(row.level)).c_str());
    const auto lines = ReadLines(RunFiles(dir.path()).at(0));
    std::vector<std::wstring> expected;
    for (const auto& row : rows)
        if (row.passes) expected.push_back(std::wstring(row.label) + L": level " + std::to_wstring(row.level));
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::wstring& line = lines[i];
        EXPECT_TRUE(line.size() >= expected[i].size() &&
                    line.compare(line.size() - expected[i].size(), std::wstring::npos, expected[i]) == 0)
            << "row " << i << ": " << platform::ToUtf8(line);
    }
}

TEST_F(TraceLogTest, LevelNamesAndTheOffLevel) {
    const struct {
        const wchar_t* name;
        int level;
    } rows[] = {
        {L"Error", 10},   {L"Warning", 20}, {L"Info", 30},  {L"Debug", 40}, {L"Detail", 40},
        {L"Verbose", 40}, {L"error", 10},   {L"DEBUG", 10}, {L"", 10},      {L"whatever", 10},
    };
    for (const auto& row : rows) {
        TheTraceLog().SetTraceLevel(row.name);
        EXPECT_EQ(TheTraceFileWriter().GetLevel(), row.level) << platform::ToUtf8(row.name);
    }
    TheTraceLog().SetLevel(-3);
    EXPECT_EQ(TheTraceFileWriter().GetLevel(), 0);
    EXPECT_STREQ(LevelLabel(55), L"-->");
    EXPECT_STREQ(LevelLabel(69), L"---");
    EXPECT_STREQ(LevelLabel(70), L"");
}

TEST_F(TraceLogTest, LevelZeroWritesNothingEvenAtLevelZero) {
    TempFolder dir;
    TheTraceLog().Open(dir.Wide().c_str(), L"mivo", TRACE_ERROR);
    TheTraceLog().SetLevel(0);
    TheTraceLog().Write(0, L"off");
    TheTraceLog().Write(-1, L"off");
    EXPECT_TRUE(RunFiles(dir.path()).empty());
}

TEST_F(TraceLogTest, PercentSignsAndPlaceholdersPassThroughUnchanged) {
    TempFolder dir;
    TheTraceLog().Open(dir.Wide().c_str(), L"mivo", TRACE_ERROR);
    const std::wstring text = L"100% done %s %d %%n %ls";
    TheTraceLog().Write(TRACE_ERROR, text.c_str());
    LogPrintf(TRACE_ERROR, L"error=[%d] %s", 42, L"50%");
    TheTraceLog().WriteLastError(TRACE_ERROR, L"UrlGetHost: InternetCrackUrl ", 2);
    TheTraceLog().WriteLastError(TRACE_ERROR, L"unknown", 99999);
    const auto lines = ReadLines(RunFiles(dir.path()).at(0));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(MessageOf(lines[0]), text);
    EXPECT_EQ(MessageOf(lines[1]), L"error=[42] 50%");
    // The system text keeps its own line break, shown escaped within the line
    // ("No such file or directory" on Linux, "File not found." under Wine).
    std::wstring systemText = platform::SystemErrorText(2);
    ASSERT_EQ(systemText.substr(systemText.size() - 2), L"\r\n");
    systemText.replace(systemText.size() - 2, 2, L"\\r\\n");
    EXPECT_EQ(MessageOf(lines[2]), L"UrlGetHost: InternetCrackUrl  GetLastError():2, " + systemText);
    // A code the system has no text for leaves the text part empty.
    EXPECT_EQ(MessageOf(lines[3]), L"unknown GetLastError():99999, ");
}

TEST_F(TraceLogTest, LineFormatAndFileName) {
    TempFolder dir;
    TheTraceFileWriter().SetClock([] {
        return platform::LocalTime{
            .year = 2011, .month = 5, .day = 31, .hour = 11, .minute = 58, .second = 15, .millisecond = 7};
    });
    TheTraceLog().Open(dir.Wide().c_str(), L"mivo", TRACE_WARNING);
    TheTraceLog().Write(TRACE_WARNING, L"hello");
    const auto files = RunFiles(dir.path());
    ASSERT_EQ(files.size(), 1u);
    wchar_t pid[16];
    swprintf(pid, 16, L"%X", platform::CurrentProcessId());
    EXPECT_EQ(files[0].filename().wstring(), std::wstring(L"mivo_20110531_115815_") + pid + L".txt");
    wchar_t tid[16];
    swprintf(tid, 16, L"%X", platform::CurrentThreadId());
    const std::wstring expected = std::wstring(L"11:58:15.007 ") + tid + L" WRN: hello\r\n";
    EXPECT_EQ(ReadBytes(files[0]), "\xFF\xFE" + platform::ToUtf16Le(expected));
    CString current;
    TheTraceLog().GetCurrentFileName(current);
    EXPECT_EQ(fs::path(current.str()), files[0]);
}

TEST_F(TraceLogTest, ANewLocalDayStartsANewFile) {
    TempFolder dir;
    platform::LocalTime now{.year = 2024, .month = 12, .day = 31, .hour = 23, .minute = 59, .second = 59};
    TheTraceFileWriter().SetClock([&now] { return now; });
    TheTraceLog().Open(dir.Wide().c_str(), L"mivo", TRACE_ERROR);
    TheTraceLog().Write(TRACE_ERROR, L"old year");
    now.hour = 0;
    now.minute = 0;
    now.second = 1;  // same day, earlier hour: same file
    TheTraceLog().Write(TRACE_ERROR, L"same day");
    now.year = 2025;
    now.month = 1;
    now.day = 1;
    TheTraceLog().Write(TRACE_ERROR, L"new year");
    const auto files = RunFiles(dir.path());
    ASSERT_EQ(files.size(), 2u);
    EXPECT_NE(files[0].filename().string().find("_20241231_235959_"), std::string::npos);
    EXPECT_NE(files[1].filename().string().find("_20250101_000001_"), std::string::npos);
    EXPECT_EQ(ReadLines(files[0]).size(), 2u);
    ASSERT_EQ(ReadLines(files[1]).size(), 1u);
    EXPECT_EQ(MessageOf(ReadLines(files[1])[0]), L"new year");
}

TEST_F(TraceLogTest, OpenRules) {
    TempFolder dir, other;
    TheTraceLog().Open(L"", L"mivo", TRACE_ERROR);
    EXPECT_FALSE(TheTraceLog().IsOpen()) << "an empty folder leaves logging off";
    TheTraceLog().SetParentLogfilePath(L"/somewhere/parent.txt");
    TheTraceLog().SetTraceLevel(L"Debug");
    TheTraceLog().Open(dir.Wide().c_str(), L"mivo", TRACE_ERROR);
    EXPECT_EQ(TheTraceFileWriter().GetLevel(), TRACE_ERROR) << "opening resets the level";
    const std::wstring parent = TheTraceLog().GetParentLogfilePath().str();
    EXPECT_EQ(parent.rfind(platform::FolderWithSeparator(dir.Wide()), 0), 0u)
        << "opening replaces the parent path by a default one";
    EXPECT_EQ(parent.substr(parent.size() - 4), L".txt");
    TheTraceLog().Open(other.Wide().c_str(), L"mivo", TRACE_ERROR);
    TheTraceLog().Write(TRACE_ERROR, L"x");
    EXPECT_TRUE(RunFiles(other.path()).empty()) << "a second open while open has no effect";
    EXPECT_EQ(RunFiles(dir.path()).size(), 1u);
}

// ---------------------------------------------------------------------------
// Merge into the parent log.

TEST_F(TraceLogTest, MergeIntoANewParentThenAppendASecondRun) {
    TempFolder dir;
    const fs::path parent = dir / "host.log";

    TheTraceLog().Open(dir.Wide().c_str(), L"mivo", TRACE_ERROR);
    TheTraceLog().SetParentLogfilePath(parent.wstring().c_str());
    TheTraceLog().Write(TRACE_ERROR, L"one");
    TheTraceLog().Write(TRACE_ERROR, L"two \u00e9\U0001F3B5");
    const fs::path firstRun = RunFiles(dir.path()).at(0);
    const std::string firstBody = ReadBytes(firstRun).substr(2);
    TheTraceLog().CloseAndMerge();

    EXPECT_FALSE(fs::exists(firstRun)) << "a merged run file is deleted";
    std::string expected =
        "\xFF\xFE" + platform::ToUtf16Le(L"\r\n" + firstRun.filename().wstring() + L"\r\n") + firstBody;
    EXPECT_EQ(ReadBytes(parent), expected);

    // A second merge copies nothing more.
    TheTraceLog().CloseAndMerge();
    EXPECT_EQ(ReadBytes(parent), expected);

    // A second run appends the same block without a second mark.
    TheTraceFileWriter().SetClock([] {
        platform::LocalTime t = platform::GetLocalTime();
        t.second = (t.second + 1) % 60;  // a distinct file name within the same folder
        return t;
    });
    TheTraceLog().Open(dir.Wide().c_str(), L"mivo", TRACE_ERROR);
    TheTraceLog().SetParentLogfilePath(parent.wstring().c_str());
    TheTraceLog().Write(TRACE_ERROR, L"three");
    const fs::path secondRun = RunFiles(dir.path()).at(0);
    const std::string secondBody = ReadBytes(secondRun).substr(2);
    TheTraceLog().CloseAndMerge();
    expected += platform::ToUtf16Le(L"\r\n" + secondRun.filename().wstring() + L"\r\n") + secondBody;
    EXPECT_EQ(ReadBytes(parent), expected);
}

TEST_F(TraceLogTest, MergeWithoutAnyLineCreatesNoParent) {
    TempFolder dir;
    const fs::path parent = dir / "host.log";
    TheTraceLog().Open(dir.Wide().c_str(), L"fresh", TRACE_ERROR);
    TheTraceLog().SetParentLogfilePath(parent.wstring().c_str());
    // The writer still names the file of an earlier test in this process, if any;
    // it no longer exists, so nothing is copied either way.
    TheTraceLog().CloseAndMerge();
    EXPECT_FALSE(fs::exists(parent));
}

TEST_F(TraceLogTest, AFailedMergeKeepsTheRunFile) {
    TempFolder dir;
    TheTraceLog().Open(dir.Wide().c_str(), L"mivo", TRACE_ERROR);
    const fs::path unreachable = dir / "missing-folder" / "host.log";
    TheTraceLog().SetParentLogfilePath(unreachable.wstring().c_str());
    TheTraceLog().Write(TRACE_ERROR, L"keep me");
    const fs::path run = RunFiles(dir.path()).at(0);
    TheTraceLog().CloseAndMerge();
    ASSERT_TRUE(fs::exists(run)) << "no line may be lost when the parent cannot be opened";
    EXPECT_EQ(MessageOf(ReadLines(run).at(0)), L"keep me");

    // Once the parent can be opened, the next merge delivers the kept lines.
    const fs::path parent = dir / "host.log";
    TheTraceLog().SetParentLogfilePath(parent.wstring().c_str());
    TheTraceLog().CloseAndMerge();
    EXPECT_FALSE(fs::exists(run));
    CStdioFileEx in;
    ASSERT_TRUE(in.Open(parent.wstring().c_str(), CFile::modeRead));
    CString line;
    std::vector<std::wstring> lines;
    while (in.ReadString(line)) lines.push_back(line.str());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], L"");
    EXPECT_EQ(lines[1], run.filename().wstring());
    EXPECT_EQ(MessageOf(lines[2]), L"keep me");
}

// ---------------------------------------------------------------------------
// Concurrency.

TEST_F(TraceLogTest, ConcurrentWritersLeaveEveryLineIntactExactlyOnce) {
    TempFolder dir;
    TheTraceLog().Open(dir.Wide().c_str(), L"mivo", TRACE_ERROR);
    constexpr int kThreads = 8, kLines = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i) {
                const std::wstring text = L"thread " + std::to_wstring(t) + L" line " + std::to_wstring(i) + L" " +
                                          std::wstring(static_cast<size_t>(i % 50), L'x');
                TheTraceLog().Write(TRACE_ERROR, text.c_str());
            }
        });
    for (auto& thread : threads) thread.join();
    const auto lines = ReadLines(RunFiles(dir.path()).at(0));
    ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLines));
    std::set<std::wstring> seen;
    for (const auto& line : lines) {
        const std::wstring message = MessageOf(line);
        int t = -1, i = -1;
        ASSERT_EQ(swscanf(message.c_str(), L"thread %d line %d", &t, &i), 2) << platform::ToUtf8(line);
        const std::wstring expected = L"thread " + std::to_wstring(t) + L" line " + std::to_wstring(i) + L" " +
                                      std::wstring(static_cast<size_t>(i % 50), L'x');
        ASSERT_EQ(message, expected) << "interleaved or torn line";
        EXPECT_TRUE(seen.insert(message).second) << "duplicate line";
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kLines));
}

// ---------------------------------------------------------------------------
// Things found at the name of the next per-run file. The names are
// predictable (folder, date, time, process id), so anyone who may write the
// log folder can place something there first.

struct PlantedNameCase {
    const char* name;
    // Puts something at the run file's name; outside is a folder beside the log folder.
    void (*plant)(const fs::path& runName, const fs::path& outside);
    // Checks that the planted thing and whatever it points at are as they were.
    void (*check)(const fs::path& runName, const fs::path& outside);
    // The row plants a link or a FIFO.
    bool special = true;
};

constexpr char kVictim[] = "a file the plug-in must not touch";

// Stops the writer's clock at 2011-05-31 11:58:15 and returns the name of the
// run file it then creates first in a log folder, without ".txt".
std::wstring FixClockAndNameStem() {
    TheTraceFileWriter().SetClock([] {
        return platform::LocalTime{.year = 2011, .month = 5, .day = 31, .hour = 11, .minute = 58, .second = 15};
    });
    wchar_t stem[64];
    swprintf(stem, 64, L"mivo_20110531_115815_%X", platform::CurrentProcessId());
    return stem;
}

const PlantedNameCase kPlantedNames[] = {
    {"a link to a file elsewhere",
     [](const fs::path& run, const fs::path& outside) {
         WriteBytes(outside / "victim", kVictim);
         fs::create_symlink(outside / "victim", run);
     },
     [](const fs::path& run, const fs::path& outside) {
         EXPECT_TRUE(fs::is_symlink(run));
         EXPECT_EQ(ReadBytes(outside / "victim"), kVictim);
     }},
    {"a dangling link",
     [](const fs::path& run, const fs::path& outside) { fs::create_symlink(outside / "made-through-link", run); },
     [](const fs::path& run, const fs::path& outside) {
         EXPECT_TRUE(fs::is_symlink(run));
         EXPECT_FALSE(fs::exists(outside / "made-through-link")) << "the link's target is not created";
     }},
    {"a FIFO", [](const fs::path& run, const fs::path&) { ASSERT_TRUE(MakeFifo(run)); },
     [](const fs::path& run, const fs::path&) { EXPECT_TRUE(fs::is_fifo(run)); }},
    {"a run file of this process kept by a failed merge",
     [](const fs::path& run, const fs::path&) { WriteBytes(run, kVictim); },
     [](const fs::path& run, const fs::path&) { EXPECT_EQ(ReadBytes(run), kVictim) << "not truncated"; }, false},
};

TEST_F(TraceLogTest, ATakenRunFileNameGivesWayToTheNextOne) {
    for (const PlantedNameCase& row : kPlantedNames) {
        if (row.special && !kPosixSpecialFiles) continue;
        SCOPED_TRACE(row.name);
        TempFolder dir;
        const fs::path logs = dir / "logs";
        const fs::path outside = dir / "outside";
        fs::create_directories(logs);
        fs::create_directories(outside);
        const std::wstring stem = FixClockAndNameStem();
        const fs::path planted = logs / (stem + L".txt");
        const fs::path next = logs / (stem + L"_1.txt");
        row.plant(planted, outside);

        TheTraceLog().Open(logs.wstring().c_str(), L"mivo", TRACE_ERROR);
        TheTraceLog().Write(TRACE_ERROR, L"where does this go");
        CString current;
        TheTraceLog().GetCurrentFileName(current);
        EXPECT_EQ(fs::path(current.str()), next);
        const auto lines = ReadLines(next);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(MessageOf(lines[0]), L"where does this go");

        // The merge takes in and deletes the file of this run only.
        const fs::path parent = dir / "host.log";
        TheTraceLog().SetParentLogfilePath(parent.wstring().c_str());
        TheTraceLog().CloseAndMerge();
        EXPECT_FALSE(fs::exists(next));
        const auto merged = ReadLines(parent);
        ASSERT_EQ(merged.size(), 3u);
        EXPECT_EQ(merged[1], next.filename().wstring());
        row.check(planted, outside);
    }
    if (!kPosixSpecialFiles) GTEST_SKIP() << "the rows with links and FIFOs: " << kNoSpecialFiles;
}

TEST_F(TraceLogTest, NoFileWhenEveryNameIsTakenAndTheLinesStillReachTheDebuggerOutput) {
    if (!kPosixSpecialFiles) GTEST_SKIP() << kNoSpecialFiles;
    TempFolder dir;
    const std::wstring stem = FixClockAndNameStem();
    for (int clash = 0; clash < CTraceFileWriter::kMaxNameClashes; ++clash) {
        const std::wstring suffix = clash == 0 ? L"" : L"_" + std::to_wstring(clash);
        fs::create_symlink(dir / "nowhere", dir.path() / (stem + suffix + L".txt"));
    }
    LogCapture debugger;
    TheTraceLog().Close();  // the capture's own log gives way to the one under test
    TheTraceLog().Open(dir.Wide().c_str(), L"mivo", TRACE_ERROR);
    TheTraceLog().Write(TRACE_ERROR, L"nowhere to go");
    const std::vector<std::wstring> lines = debugger.Raw();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(MessageOf(lines[0]), L"nowhere to go");
    EXPECT_EQ(lines[0].substr(lines[0].size() - 2), L"\r\n") << "the debugger gets the whole line";
    EXPECT_FALSE(fs::exists(dir / "nowhere"));
    size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        EXPECT_TRUE(entry.is_symlink()) << entry.path();
        ++entries;
    }
    EXPECT_EQ(entries, static_cast<size_t>(CTraceFileWriter::kMaxNameClashes)) << "no file was made";
}

// ---------------------------------------------------------------------------
// The parent log's lock.

TEST_F(TraceLogTest, AMergeThatCannotGetTheParentsLockKeepsTheRunFile) {
    TempFolder dir;
    const fs::path parent = dir / "host.log";
    const std::string before = "\xFF\xFE" + platform::ToUtf16Le(L"host line\r\n");
    WriteBytes(parent, before);
    TheTraceLog().Open(dir.Wide().c_str(), L"mivo", TRACE_ERROR);
    TheTraceLog().SetParentLogfilePath(parent.wstring().c_str());
    TheTraceLog().Write(TRACE_ERROR, L"wait for me");
    const fs::path run = RunFiles(dir.path()).at(0);
    const std::string runBody = ReadBytes(run).substr(2);

    // Another writer of the parent holds its lock past the merge's wait.
    CFile holder;
    ASSERT_TRUE(holder.Open(parent.wstring().c_str(), CFile::modeWrite));
    ASSERT_TRUE(holder.LockExclusive(0));
    TheTraceLog().SetMergeWait(20);
    TheTraceLog().CloseAndMerge();
    EXPECT_EQ(ReadBytes(parent), before) << "nothing is written without the lock";
    ASSERT_TRUE(fs::exists(run)) << "the run file is kept";

    // Once the lock is free, the next merge copies the run once, whole.
    holder.Close();
    TheTraceLog().CloseAndMerge();
    EXPECT_FALSE(fs::exists(run));
    EXPECT_EQ(ReadBytes(parent), before + platform::ToUtf16Le(L"\r\n" + run.filename().wstring() + L"\r\n") + runBody);
}

}  // namespace
