// Disk faults met through the plug-in's interface object: a log folder, a
// cache folder or a parent log whose path runs through a regular file (so
// nothing can be created there), and a parent log that is a folder, a link,
// a FIFO or a file without write permission. Each must
// give the documented result and trace line, lose no log line and leave the
// file in the way untouched.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "log/TraceLog.h"
#include "platform/CodePage.h"
#include "platform/System.h"
#include "plugin/Mivo.h"
#include "search/ArtistUrlCache.h"
#include "tests/log/TraceFileLines.h"
#include "tests/support/FileBytes.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

using tracefile::ReadLines;
using tracefile::RunFiles;

constexpr char kInTheWay[] = "a regular file that stands where a folder is needed";

// Collects every line the trace log sends to the debugger output. The log
// object is module-wide: each test starts with it closed, so that the test
// opens it where it needs it, and ends with it closed.
class DiskFaultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TheTraceLog().Close();
        TheTraceLog().SetParentLogfilePath(L"");
    }

    static int SetProperty(CMivo& mivo, const wchar_t* name, const fs::path& value) {
        const CString text(value.wstring());
        return mivo.Set(name, &text);
    }

    LogCapture log;
};

// ---------------------------------------------------------------------------
// The cache folder.

struct CacheFolderCase {
    const char* name;
    // Path (below the test folder) of the regular file in the way, and the
    // folder level whose creation fails, as the Error line names it.
    const char* fileInTheWay;
    const char* failingLevel;
};

TEST_F(DiskFaultsTest, CacheFolderThatCannotBeCreatedFailsEveryReadAndWriteWithTheErrorLine) {
    const CacheFolderCase cases[] = {
        {"the root is a regular file", "root", "root/mivo/"},
        {"the source folder is a regular file", "root/mivo", "root/mivo/"},
        {"the checksum folder is a regular file", "root/mivo/0123abcd", "root/mivo/0123abcd/"},
    };
    for (const CacheFolderCase& row : cases) {
        SCOPED_TRACE(row.name);
        TempFolder dir;
        fs::create_directories((dir / row.fileInTheWay).parent_path());
        WriteBytes(dir / row.fileInTheWay, kInTheWay);
        log.Clear();
        TheTraceLog().Open(dir.Wide().c_str(), L"mivo", TRACE_DEBUG);

        CArtistUrlCache cache((dir / "root").wstring(), L"mivo", L"0123abcd");
        CString result(L"untouched");
        EXPECT_EQ(cache.ReadArtistUrl(L"Quorin", result, 1000.0f), 0);
        EXPECT_EQ(result, L"untouched");
        EXPECT_EQ(cache.WriteArtistUrl(L"Quorin", L"www.catalogue.example/quorin/albums"), 0);
        EXPECT_EQ(cache.ReadArtistUrl(L"Quorin", result, 1000.0f), 0);

        const std::vector<std::wstring> errors = log.Texts(L"ERR");
        ASSERT_EQ(errors.size(), 3u) << "one Error line per read and per write";
        const std::wstring prefix = L"GetCacheFileName():Can not create directory: " +
                                    (dir / row.failingLevel).wstring() + L",  GetLastError():";
        for (const std::wstring& error : errors) {
            ASSERT_EQ(error.substr(0, prefix.size()), prefix) << platform::ToUtf8(error);
            EXPECT_GT(std::stoi(error.substr(prefix.size())), 0) << "the system's error code follows";
        }
        EXPECT_TRUE(log.Texts(L"DBG").empty()) << "a folder failure is not reported as a failed write";
        EXPECT_EQ(ReadBytes(dir / row.fileInTheWay), kInTheWay) << "the file in the way is left alone";
        TheTraceLog().Close();
    }
}

TEST_F(DiskFaultsTest, LocalCacheFolderThroughARegularFileIsAcceptedAndKept) {
    TempFolder dir;
    WriteBytes(dir / "file", kInTheWay);
    TheTraceLog().Open(dir.Wide().c_str(), L"mivo", TRACE_DEBUG);
    CMivo mivo;
    // The folder is only used at the first lookup, so setting it succeeds;
    // a second setting is refused as for any folder.
    EXPECT_EQ(SetProperty(mivo, L"LocalCacheFolder", dir / "file" / "cache"), 1);
    EXPECT_EQ(SetProperty(mivo, L"LocalCacheFolder", dir / "good"), 0);
    const std::vector<std::wstring> debug = log.Texts(L"DBG");
    ASSERT_FALSE(debug.empty());
    EXPECT_EQ(debug.front(),
              L"CCommonDllInterface::Set Property LocalCacheFolder: " + (dir / "file" / "cache").wstring());
    EXPECT_EQ(ReadBytes(dir / "file"), kInTheWay);
}

// ---------------------------------------------------------------------------
// The log folder.

TEST_F(DiskFaultsTest, LogFolderThatCannotBeCreatedStillSendsEveryLineToTheDebuggerOutput) {
    TempFolder dir;
    WriteBytes(dir / "file", kInTheWay);
    const fs::path folder = dir / "file" / "logs";
    CMivo mivo;
    EXPECT_EQ(SetProperty(mivo, L"LogFolder", folder), 1) << "LogFolder answers 1 whatever the folder";
    const CString debug(L"Debug");
    EXPECT_EQ(mivo.Set(L"TraceLevel", &debug), 1);
    TheTraceLog().Write(TRACE_ERROR, L"first line");
    TheTraceLog().Write(TRACE_WARNING, L"second line");

    EXPECT_EQ(log.Texts(L"ERR"), std::vector<std::wstring>{L"first line"});
    EXPECT_EQ(log.Texts(L"WRN"), std::vector<std::wstring>{L"second line"});
    EXPECT_EQ(ReadBytes(dir / "file"), kInTheWay);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
        << "nothing is created beside the file in the way";

    // The merge finds no run file: it answers 1 and creates no parent.
    const fs::path parent = dir / "host.log";
    EXPECT_EQ(SetProperty(mivo, L"ParentLogfilePath", parent), 1);
    EXPECT_EQ(mivo.CallMethod(L"CloseAndMergeLog", nullptr), 1);
    EXPECT_FALSE(fs::exists(parent));
}

TEST_F(DiskFaultsTest, LogFolderThatAppearsLaterGetsTheNextLine) {
    TempFolder dir;
    WriteBytes(dir / "logs", kInTheWay);
    CMivo mivo;
    ASSERT_EQ(SetProperty(mivo, L"LogFolder", dir / "logs"), 1);
    TheTraceLog().Write(TRACE_ERROR, L"lost to the file, seen by the debugger");

    fs::remove(dir / "logs");
    fs::create_directory(dir / "logs");
    TheTraceLog().Write(TRACE_ERROR, L"in the file");
    const std::vector<fs::path> runs = RunFiles(dir / "logs");
    ASSERT_EQ(runs.size(), 1u) << "the next line tries to create the file again";
    const std::vector<std::wstring> written = ReadLines(runs[0]);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_NE(written[0].find(L"ERR: in the file"), std::wstring::npos);
}

// ---------------------------------------------------------------------------
// The parent log.

struct ParentCase {
    const char* name;
    void (*prepare)(const fs::path& dir);
    const char* parent;  // below the test folder
};

TEST_F(DiskFaultsTest, ParentLogThatCannotBeOpenedKeepsTheRunFileWhole) {
    const ParentCase cases[] = {
        {"a path through a regular file", [](const fs::path& dir) { WriteBytes(dir / "file", kInTheWay); },
         "file/host.log"},
        {"a folder", [](const fs::path& dir) { fs::create_directory(dir / "host.log"); }, "host.log"},
        {"a missing folder", [](const fs::path&) {}, "missing/host.log"},
        {"a link to a file elsewhere",
         [](const fs::path& dir) {
             WriteBytes(dir / "file", kInTheWay);
             fs::create_symlink(dir / "file", dir / "host.log");
         },
         "host.log"},
        {"a dangling link",
         [](const fs::path& dir) { fs::create_symlink(dir / "made-through-link", dir / "host.log"); }, "host.log"},
        {"a FIFO", [](const fs::path& dir) { ASSERT_EQ(::mkfifo((dir / "host.log").c_str(), 0666), 0); }, "host.log"},
        {"a file without write permission",
         [](const fs::path& dir) {
             WriteBytes(dir / "file", kInTheWay);
             fs::permissions(dir / "file", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
         },
         "file"},
    };
    for (const ParentCase& row : cases) {
        SCOPED_TRACE(row.name);
        TempFolder dir;
        row.prepare(dir.path());
        fs::create_directory(dir / "logs");
        CMivo mivo;
        ASSERT_EQ(SetProperty(mivo, L"LogFolder", dir / "logs"), 1);
        EXPECT_EQ(SetProperty(mivo, L"ParentLogfilePath", dir / row.parent), 1);
        TheTraceLog().Write(TRACE_ERROR, L"keep me");
        TheTraceLog().Write(TRACE_ERROR, L"and me, 100% of us");

        EXPECT_EQ(mivo.CallMethod(L"CloseAndMergeLog", nullptr), 1) << "the method answers 1 whatever the merge did";
        const std::vector<fs::path> runs = RunFiles(dir / "logs");
        ASSERT_EQ(runs.size(), 1u) << "the run file is kept";
        const std::vector<std::wstring> kept = ReadLines(runs[0]);
        ASSERT_EQ(kept.size(), 2u);
        EXPECT_NE(kept[0].find(L"ERR: keep me"), std::wstring::npos);
        EXPECT_NE(kept[1].find(L"ERR: and me, 100% of us"), std::wstring::npos);
        if (fs::exists(dir / "file")) {
            EXPECT_EQ(ReadBytes(dir / "file"), kInTheWay);
        }
        if (fs::is_directory(dir / "host.log")) {
            EXPECT_TRUE(fs::is_empty(dir / "host.log"));
        }
        EXPECT_FALSE(fs::exists(dir / "made-through-link")) << "no file is made through a link";

        // A second merge, as at unload, into a parent that can be opened
        // delivers the kept lines and removes the run file.
        EXPECT_EQ(SetProperty(mivo, L"ParentLogfilePath", dir / "good.log"), 1);
        EXPECT_EQ(mivo.CallMethod(L"CloseAndMergeLog", nullptr), 1);
        EXPECT_TRUE(RunFiles(dir / "logs").empty());
        const std::vector<std::wstring> merged = ReadLines(dir / "good.log");
        ASSERT_EQ(merged.size(), 4u);
        EXPECT_EQ(merged[1], runs[0].filename().wstring());
        EXPECT_NE(merged[3].find(L"ERR: and me, 100% of us"), std::wstring::npos);
    }
}

}  // namespace
