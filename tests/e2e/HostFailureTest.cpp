// How mivo fails, with the real plug-in: a proxy that refuses the connection
// is a failed download (exit 3, the plug-in's own explanation printed), an
// unknown artist is "nothing found" (exit 1, with a --max-difference hint
// whose value really takes a one-letter slip), and a stop signal in the middle
// of an album walk ends it with 128 + the signal, a "partial" document, and
// no request reaching the catalogue after the signal.
//
// The catalogue runs as a child process with its request log (--verbose, one
// line per request on stderr) captured in a file. TMPDIR points into the
// test's folder, so the host's private log folder can be seen to go.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "HostProcess.h"
#include "tests/support/RawServer.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using host_e2e::ProcessResult;
using Json = nlohmann::json;

size_t CountLines(const std::string& text) {
    size_t count = 0;
    for (const char c : text) count += c == '\n' ? 1 : 0;
    return count;
}

// mivo-catalogue on a free loopback port, its request log in a file.
class LoggingCatalogue {
public:
    LoggingCatalogue(const fs::path& folder, std::vector<std::string> extraArgs) : m_folder(folder / "catalogue") {
        fs::create_directories(m_folder);
        std::vector<std::string> args{"--port", "0", "--verbose"};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        m_process = std::make_unique<host_e2e::ChildProcess>(MIVO_CATALOGUE_PATH, args, m_folder);
        host_e2e::WaitFor([&] { return CountLines(m_process->OutSoFar()) >= 1; }, std::chrono::seconds(10));
        const std::string out = m_process->OutSoFar();
        m_port = out.empty() ? 0 : std::atoi(out.c_str());
    }
    ~LoggingCatalogue() {
        m_process->Signal(SIGTERM);
        m_process->Wait();
    }

    bool Started() const { return m_port > 0; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }
    // The request log so far: "GET TARGET -> STATUS" lines.
    std::string RequestLog() const { return m_process->ErrSoFar(); }
    size_t Requests() const { return CountLines(RequestLog()); }

private:
    fs::path m_folder;
    std::unique_ptr<host_e2e::ChildProcess> m_process;
    int m_port = 0;
};

class HostFailure : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(tmp); }

    ProcessResult Mivo(const std::vector<std::string>& args) const {
        return host_e2e::Run(MIVO_HOST_PATH, args, temp.path(), {"TMPDIR=" + tmp.string()});
    }

    TempFolder temp;
    fs::path tmp = temp / "tmp";
};

TEST_F(HostFailure, EachFailureHasItsExitStatusAndSaysWhy) {
    LoggingCatalogue catalogue(temp.path(), {});
    ASSERT_TRUE(catalogue.Started());
    const std::string refused = "127.0.0.1:" + std::to_string(testsupport::ClosedPort());
    const struct Row {
        const char* name;
        std::string proxy;
        std::vector<std::string> command;
        int exitCode;
        const char* kind;
        std::vector<std::string> says;  // on stderr
    } rows[] = {
        {"a proxy that refuses",
         refused,
         {"artist", "Korva"},
         3,
         "download",
         {"1 of 1 download failed", refused, "refused"}},
        {"an unknown artist",
         catalogue.Address(),
         {"artist", "Nobody Anyone Knows"},
         1,
         "not-found",
         {"no artist page found for \"Nobody Anyone Knows\"", "--max-difference 101"}},
        {"an album page that is not there",
         catalogue.Address(),
         {"album", "www.catalogue.example/album/no-such-album"},
         3,
         "download",
         {"could not be read", "Not Found"}},
    };
    for (const Row& row : rows) {
        std::vector<std::string> args{"--proxy", row.proxy, "--delay", "0", "--json"};
        args.insert(args.end(), row.command.begin(), row.command.end());
        const ProcessResult run = Mivo(args);
        EXPECT_EQ(run.exitCode, row.exitCode) << row.name << "\n" << run.err;
        for (const std::string& text : row.says)
            EXPECT_NE(run.err.find(text), std::string::npos) << row.name << " lacks [" << text << "] in\n" << run.err;
        const Json document = Json::parse(run.out, nullptr, false);
        ASSERT_FALSE(document.is_discarded()) << row.name << "\n" << run.out;
        EXPECT_EQ(document["error"]["kind"], row.kind) << row.name;
        EXPECT_FALSE(document["error"]["message"].get<std::string>().empty()) << row.name;
        EXPECT_FALSE(document.contains("partial")) << row.name << ": nothing was cut short";
        EXPECT_TRUE(fs::is_empty(tmp)) << row.name << ": the private trace log is removed";
    }
}

TEST_F(HostFailure, TheHintsDifferenceTakesANameWithOneLetterWrong) {
    // The artist known to the cache, then asked for with one letter wrong,
    // missing or added: not found by default, found with the hint's value.
    LoggingCatalogue catalogue(temp.path(), {});
    ASSERT_TRUE(catalogue.Started());
    const std::string cache = (temp / "cache").string();
    const std::vector<std::string> common{"--proxy", catalogue.Address(), "--delay", "0", "--cache", cache};
    auto withCommon = [&](std::vector<std::string> args) {
        args.insert(args.begin(), common.begin(), common.end());
        return args;
    };
    ASSERT_EQ(Mivo(withCommon({"artist", "Korva"})).exitCode, 0);
    for (const char* typo : {"Korvx", "Korv", "Korvaa"}) {
        const ProcessResult refusedRun = Mivo(withCommon({"artist", typo}));
        ASSERT_EQ(refusedRun.exitCode, 1) << typo << "\n" << refusedRun.err;
        const std::string option = "--max-difference ";
        const size_t at = refusedRun.err.find(option);
        ASSERT_NE(at, std::string::npos) << typo << "\n" << refusedRun.err;
        const std::string value =
            refusedRun.err.substr(at + option.size(),
                                  refusedRun.err.find(' ', at + option.size()) - (at + option.size()));
        const ProcessResult run = Mivo(withCommon({"--max-difference", value, "--json", "artist", typo}));
        ASSERT_EQ(run.exitCode, 0) << typo << " with --max-difference " << value << "\n" << run.err;
        EXPECT_EQ(Json::parse(run.out)["url"], "www.catalogue.example/artist/korva-mn0001679/albums") << typo;
    }
}

TEST_F(HostFailure, AStopSignalMidWalkEndsItWithoutAnotherRequest) {
    // One album per page; a gap of two seconds between contacts, so the
    // signal comes while mivo waits to ask for the next page.
    const struct Row {
        const char* name;
        int signal;
        int exitCode;
    } rows[] = {
        {"SIGTERM", SIGTERM, 143},
        {"SIGINT", SIGINT, 130},
    };
    for (const Row& row : rows) {
        LoggingCatalogue catalogue(temp.path(), {"--page-size", "1"});
        ASSERT_TRUE(catalogue.Started()) << row.name;
        host_e2e::ChildProcess child(MIVO_HOST_PATH,
                                     {"--proxy", catalogue.Address(), "--delay", "2000", "--json", "albums",
                                      "Marastella"},
                                     temp.path(), {"TMPDIR=" + tmp.string()});
        // The search and the first album page.
        ASSERT_TRUE(host_e2e::WaitFor([&] { return catalogue.Requests() >= 2; }, std::chrono::seconds(30))) << row.name;
        const size_t requestsBeforeSignal = catalogue.Requests();
        child.Signal(row.signal);
        const ProcessResult run = child.Wait();
        EXPECT_EQ(run.exitCode, row.exitCode) << row.name << "\n" << run.err;
        EXPECT_NE(run.err.find(std::string("interrupted by ") + row.name), std::string::npos) << run.err;
        EXPECT_EQ(catalogue.Requests(), requestsBeforeSignal) << row.name << ": a request after the signal:\n"
                                                              << catalogue.RequestLog();
        const Json document = Json::parse(run.out, nullptr, false);
        ASSERT_FALSE(document.is_discarded()) << row.name << "\n" << run.out;
        EXPECT_EQ(document["partial"], true) << row.name;
        EXPECT_EQ(document["error"]["kind"], "interrupted") << row.name;
        ASSERT_GE(document["albums"].size(), 1u) << row.name << ": the album found before the signal";
        EXPECT_EQ(document["albums"][0]["artist"], "Marastella") << row.name;
        EXPECT_TRUE(fs::is_empty(tmp)) << row.name << ": the private trace log is removed";
    }
}

}  // namespace
