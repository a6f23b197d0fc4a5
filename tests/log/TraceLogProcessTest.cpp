// Trace log tests that need POSIX processes: a merge cut short by a file
// size limit, and processes merging into one parent log at the same moment.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "tests/log/TraceFileLines.h"
#include "tests/log/TraceLogFixture.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

using tracefile::MessageOf;
using tracefile::ReadLines;
using tracefile::RunFiles;

TEST_F(TraceLogTest, AMergeCutShortTakesItsBlockOutAgain) {
    TempFolder dir;
    const fs::path parent = dir / "host.log";
    const std::string before = "\xFF\xFE" + platform::ToUtf16Le(L"host line\r\n");
    { std::ofstream(parent, std::ios::binary) << before; }
    TheTraceLog().Open(dir.Wide().c_str(), L"mivo", TRACE_ERROR);
    TheTraceLog().SetParentLogfilePath(parent.wstring().c_str());
    for (int i = 0; i < 200; ++i) TheTraceLog().Write(TRACE_ERROR, L"a line of the run that needs room");
    const fs::path run = RunFiles(dir.path()).at(0);
    const std::string runBody = ReadBytes(run).substr(2);

    // A child whose files may not grow far (as on a full disk) merges: the
    // copy fails part-way. It leaves without running the module's exit merge.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{before.size() + 600, before.size() + 600};
        setrlimit(RLIMIT_FSIZE, &limit);
        TheTraceLog().CloseAndMerge();
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(ReadBytes(parent), before) << "the partial block is taken out";
    ASSERT_TRUE(fs::exists(run)) << "and the run's file kept";

    // With room again, the next merge copies the run once, whole.
    TheTraceLog().CloseAndMerge();
    EXPECT_FALSE(fs::exists(run));
    EXPECT_EQ(ReadBytes(parent), before + platform::ToUtf16Le(L"\r\n" + run.filename().wstring() + L"\r\n") + runBody);
}

// Processes that merge at the same moment into one parent log take turns:
// each block lands whole, once, with its lines in order. The children write
// their runs, then all start merging together when the test lets them go.
TEST_F(TraceLogTest, ProcessesMergingAtTheSameMomentTakeTurns) {
    TempFolder dir;
    const fs::path parent = dir / "host.log";
    constexpr int kProcesses = 4, kLines = 3000;
    int ready[2];
    int go[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(go), 0);
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(ready[0]);
            close(go[1]);
            TheTraceLog().Open(dir.Wide().c_str(), L"mivo", TRACE_ERROR);
            TheTraceLog().SetParentLogfilePath(parent.wstring().c_str());
            for (int i = 0; i < kLines; ++i)
                TheTraceLog().Write(TRACE_ERROR,
                                    (L"process " + std::to_wstring(p) + L" line " + std::to_wstring(i)).c_str());
            char byte = 'r';
            if (write(ready[1], &byte, 1) != 1) _exit(2);
            // The test closes its end of go to let every child go at once.
            while (read(go[0], &byte, 1) < 0 && errno == EINTR) {
            }
            TheTraceLog().CloseAndMerge();
            _exit(0);
        }
        children.push_back(child);
    }
    close(ready[1]);
    close(go[0]);
    char byte;
    for (int p = 0; p < kProcesses; ++p) ASSERT_EQ(read(ready[0], &byte, 1), 1) << "child " << p << " is ready";
    close(go[1]);
    close(ready[0]);
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    EXPECT_TRUE(RunFiles(dir.path()).empty()) << "every run file was merged and deleted";
    const auto lines = ReadLines(parent);
    ASSERT_EQ(lines.size(), static_cast<size_t>(kProcesses * (kLines + 2)));
    std::set<int> merged;
    for (size_t block = 0; block < static_cast<size_t>(kProcesses); ++block) {
        const size_t start = block * (kLines + 2);
        ASSERT_EQ(lines[start], L"") << "block " << block;
        int p = -1;
        ASSERT_EQ(swscanf(MessageOf(lines[start + 2]).c_str(), L"process %d line 0", &p), 1) << "block " << block;
        EXPECT_TRUE(merged.insert(p).second) << "process " << p << " merged twice";
        for (int i = 0; i < kLines; ++i)
            ASSERT_EQ(MessageOf(lines[start + 2 + static_cast<size_t>(i)]),
                      L"process " + std::to_wstring(p) + L" line " + std::to_wstring(i))
                << "block " << block;
    }
}

}  // namespace
