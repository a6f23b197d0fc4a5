// How the host tells a run's outcome: the failure kind and exit status from
// the statistics and the stop signal, the "not found" hint, the "error" and
// "partial" members of the JSON document, and the plug-in's error, warning
// and Info lines read back from its per-run trace file.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/JsonOutput.h"
#include "host/RunOutcome.h"
#include "host/TraceLogFolder.h"
#include "tests/support/TempFolder.h"

namespace {

using namespace mivo_host;
namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

CommandResult Result(bool succeeded, int downloads, int successful) {
    CommandResult result;
    result.command = Command::Albums;
    result.artist = L"Korva";
    result.succeeded = succeeded;
    result.failure = succeeded ? "" : "no albums found for \"Korva\"";
    result.statistics.downloads = downloads;
    result.statistics.successful = successful;
    return result;
}

// text as a per-run trace file holds it: byte-order mark, UTF-16LE, CR LF.
std::string Utf16File(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

TEST(HostRunOutcome, KindAndExitStatusFollowTheStatisticsAndTheSignal) {
    const struct Row {
        const char* name;
        CommandResult result;
        int signal;
        FailureKind kind;
        int exitCode;
        bool partial;
    } rows[] = {
        {"success", Result(true, 3, 3), 0, FailureKind::None, 0, false},
        {"every page arrived, nothing on them", Result(false, 1, 1), 0, FailureKind::NotFound, 1, false},
        {"nothing downloaded at all (cache, no host)", Result(false, 0, 0), 0, FailureKind::NotFound, 1, false},
        {"the one download failed", Result(false, 1, 0), 0, FailureKind::Download, 3, false},
        {"a later page failed", Result(false, 5, 4), 0, FailureKind::Download, 3, false},
        {"SIGINT", Result(false, 2, 1), SIGINT, FailureKind::Interrupted, 130, true},
        {"SIGTERM after a success", Result(true, 2, 2), SIGTERM, FailureKind::Interrupted, 143, true},
    };
    for (const Row& row : rows) {
        CommandResult result = row.result;
        DescribeOutcome(result, row.signal);
        EXPECT_EQ(result.failureKind, row.kind) << row.name;
        EXPECT_EQ(ExitStatus(result.failureKind, row.signal), row.exitCode) << row.name;
        EXPECT_EQ(result.partial, row.partial) << row.name;
        EXPECT_EQ(result.failure.empty(), row.kind == FailureKind::None) << row.name;
    }
    CommandResult cut = Result(false, 5, 4);
    cut.albums.emplace_back(L"First", L"Korva");
    DescribeOutcome(cut, 0);
    EXPECT_TRUE(cut.partial) << "a failed page after albums were found leaves a partial list";
    EXPECT_EQ(cut.failure, "1 of 5 downloads failed, so no albums found for \"Korva\"");
    CommandResult term = Result(false, 2, 1);
    DescribeOutcome(term, SIGTERM);
    EXPECT_EQ(term.failure, "interrupted by SIGTERM; what was found so far is printed");
}

TEST(HostRunOutcome, TheHintOffersATypoTolerantDifferenceUnlessOneWasGiven) {
    const struct Row {
        const char* name;
        std::optional<float> maxDifference;
        bool logFolderGiven;
        std::string hint;
    } rows[] = {
        {"defaults", std::nullopt, false,
         "--max-difference 101 also accepts a name with one letter wrong; --log-dir DIR keeps the plug-in's trace "
         "log"},
        {"a small difference and a log folder", 50.0f, true,
         "--max-difference 101 also accepts a name with one "
         "letter wrong"},
        {"already as tolerant", 101.0f, false, "--log-dir DIR keeps the plug-in's trace log"},
        {"nothing left to suggest", 300.0f, true, ""},
    };
    for (const Row& row : rows) EXPECT_EQ(NotFoundHint(row.maxDifference, row.logFolderGiven), row.hint) << row.name;
}

TEST(HostRunOutcome, JsonCarriesErrorPartialAndTheTitleWhenKnown) {
    CommandResult failed = Result(false, 2, 1);
    failed.albums.emplace_back(L"First", L"Korva");
    DescribeOutcome(failed, 0);
    Json document = Json::parse(FormatJson(failed));
    EXPECT_EQ(document["partial"], true);
    EXPECT_EQ(document["error"], (Json{{"kind", "download"}, {"message", failed.failure}}));

    CommandResult found = Result(true, 1, 1);
    DescribeOutcome(found, 0);
    document = Json::parse(FormatJson(found));
    EXPECT_FALSE(document.contains("error"));
    EXPECT_FALSE(document.contains("partial"));

    CommandResult lookup = Result(true, 3, 3);
    lookup.command = Command::Lookup;
    lookup.album = AlbumResult{AlbumInfo(L"Wild Orchard", L"Korva"), L"", {}, true};
    document = Json::parse(FormatJson(lookup));
    EXPECT_EQ(document["album"].begin().key(), "title");
    EXPECT_EQ(document["album"]["title"], "Wild Orchard");
    lookup.command = Command::Album;
    lookup.album->titleKnown = false;  // an address alone: the records say "Unknown"
    document = Json::parse(FormatJson(lookup));
    EXPECT_FALSE(document.contains("title"));
}

TEST(HostTraceLogFolder, KeepsTheErrorWarningAndInfoTextsOfATraceFile) {
    const struct Row {
        const char* name;
        std::u16string file;
        std::vector<std::string> texts;
    } rows[] = {
        {"levels sorted out",
         u"10:00:00.000 1A DBG: Download: x\r\n10:00:00.001 1A WRN: Download fails: x, Error:No.\\r\\n\r\n"
         u"10:00:00.002 1A ERR: UrlGetHost: InternetCrackUrl \r\n10:00:00.003 1A INF: refused\r\n"
         u"10:00:00.004 1A --> five\r\n",
         {"Download fails: x, Error:No.", "UrlGetHost: InternetCrackUrl ", "refused"}},
        {"a last line without its line end", u"10:00:00.000 1A WRN: cut", {"cut"}},
        {"a label inside the text is not a level", u"10:00:00.000 1A DBG: said WRN: no\r\n", {}},
        {"a pair of surrogates", u"10:00:00.000 1A WRN: \U0001F3B5 note\r\n", {"\xF0\x9F\x8E\xB5 note"}},
        {"control characters made printable", u"10:00:00.000 1A WRN: a\x1B[2Jb\r\n", {"a\xEF\xBF\xBD[2Jb"}},
        {"nothing", u"", {}},
    };
    for (const Row& row : rows) EXPECT_EQ(ExplainingTexts(Utf16File(row.file)), row.texts) << row.name;
}

TEST(HostTraceLogFolder, ReadsOnlyThisProcesssFilesAndRemovesAPrivateFolder) {
    TempFolder temp;
    char own[64];
    std::snprintf(own, sizeof own, "mivo_20260101_100000_%X.txt", static_cast<unsigned>(getpid()));
    const struct {
        std::string name;
        std::u16string text;
    } files[] = {
        {own, u"10:00:00.000 1A WRN: this run\r\n"},
        {"mivo_20260101_100000_FFFFFFF.txt", u"10:00:00.000 1A WRN: another process\r\n"},
        {"20260101_100000_FFFFFFF.txt", u"10:00:00.000 1A WRN: a merged parent log\r\n"},
    };
    for (const auto& file : files) std::ofstream(temp / file.name, std::ios::binary) << Utf16File(file.text);
    const TraceLogFolder user(temp.path());
    EXPECT_EQ(user.ExplainingLines(10), (std::vector<std::string>{"this run"}));

    fs::path privatePath;
    {
        const TraceLogFolder folder;
        ASSERT_TRUE(folder.Ready()) << folder.Error();
        privatePath = folder.Path();
        std::ofstream(privatePath / own, std::ios::binary)
            << Utf16File(u"10:00:00.000 1A WRN: one\r\n10:00:00.001 1A WRN: two\r\n10:00:00.002 1A ERR: three\r\n");
        EXPECT_EQ(folder.ExplainingLines(2), (std::vector<std::string>{"two", "three"})) << "the last ones";
    }
    EXPECT_FALSE(fs::exists(privatePath));
    EXPECT_TRUE(fs::exists(temp / own)) << "the user's folder is left alone";
}

TEST(HostTraceLogFolder, ALinkNamedAsThisRunsFileIsNotFollowed) {
    TempFolder temp;
    char own[64];
    std::snprintf(own, sizeof own, "mivo_20260101_100000_%X.txt", static_cast<unsigned>(getpid()));
    const fs::path elsewhere = temp / "elsewhere.txt";
    std::ofstream(elsewhere, std::ios::binary) << Utf16File(u"10:00:00.000 1A WRN: not the plug-in's\r\n");
    fs::create_directory(temp / "log");
    fs::create_symlink(elsewhere, temp / "log" / own);
    const TraceLogFolder user(temp / "log");
    EXPECT_EQ(user.ExplainingLines(10), std::vector<std::string>{});
}

}  // namespace
