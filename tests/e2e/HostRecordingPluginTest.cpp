// The mivo program against a fake plug-in that journals every call: the
// calling order of a tagging host, the answers to the plug-in's questions,
// exit statuses, a plug-in that throws, a library that is missing or wrong,
// the plug-in found beside the program, Ctrl-C during a long album walk, and
// the --delay gap between two contacts of one host.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "HostProcess.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using host_e2e::ProcessResult;
using Json = nlohmann::json;

class HostWithRecordingPlugin : public ::testing::Test {
protected:
    // Runs mivo with the recording plug-in and the journal of this test.
    ProcessResult Mivo(std::vector<std::string> args, std::vector<std::string> env = {}) {
        args.insert(args.begin(), {"--plugin", MIVO_RECORDING_PLUGIN_PATH});
        return host_e2e::Run(MIVO_HOST_PATH, args, temp.path(), Environment(env));
    }

    std::vector<std::string> Environment(std::vector<std::string> env) const {
        env.push_back("MIVO_RECORD_JOURNAL=" + journal.string());
        return env;
    }

    std::vector<std::string> Journal(bool withQuestions = false) const {
        std::vector<std::string> lines;
        std::istringstream in(ReadBytes(journal));
        for (std::string line; std::getline(in, line);) {
            const bool question = line.rfind("GetValue", 0) == 0 || line.rfind("EnterHost", 0) == 0;
            if (withQuestions || !question) lines.push_back(line);
        }
        return lines;
    }

    std::vector<long long> EnterTimes() const {
        std::vector<long long> times;
        for (const std::string& line : Journal(true))
            if (line.rfind("EnterHost ", 0) == 0) times.push_back(std::stoll(line.substr(10)));
        return times;
    }

    TempFolder temp;
    fs::path journal = temp / "journal";
};

TEST_F(HostWithRecordingPlugin, CallsThePluginInTheOrderOfATaggingHost) {
    const ProcessResult run =
        Mivo({"--log-dir", (temp / "logs").string(), "--trace-level", "debug", "--parent-log",
              (temp / "parent.log").string(), "--cache", (temp / "cache").string(), "--delay", "0", "artist", "Korva"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> expected = {
        "GetDllInterface",
        "SetHost host",
        "Set LogFolder=" + (temp / "logs").string(),
        "Set TraceLevel=Debug",
        "Set ParentLogfilePath=" + (temp / "parent.log").string(),
        "Set LocalCacheFolder=" + (temp / "cache").string(),
        "FindArtistUrl Korva",
        "Property StatisticDownloadCounter",
        "Property StatisticSuccessfulDownloads",
        "Property StatisticTotalDownloadTime",
        "CallMethod CloseAndMergeLog",
        "destroy",
    };
    EXPECT_EQ(Journal(), expected);
    EXPECT_TRUE(fs::is_directory(temp / "logs")) << "the host creates the folders it names";
    EXPECT_TRUE(fs::is_directory(temp / "cache"));
}

TEST_F(HostWithRecordingPlugin, SetsOnlyThePropertiesThatWereGivenBesidesAPrivateLog) {
    // Without --log-dir the plug-in logs down to Info into a private folder
    // below TMPDIR, which is gone after the run; nothing else is set.
    const fs::path tmp = temp / "tmp";
    fs::create_directories(tmp);
    ASSERT_EQ(Mivo({"--no-cache", "--delay", "0", "artist", "Korva"}, {"TMPDIR=" + tmp.string()}).exitCode, 0);
    std::vector<std::string> calls = Journal();
    ASSERT_GE(calls.size(), 3u);
    const std::string logFolder = "Set LogFolder=" + (tmp / "mivo-log-").string();
    EXPECT_EQ(calls[2].substr(0, logFolder.size()), logFolder);
    calls[2] = "Set LogFolder=private";
    const std::vector<std::string> expected = {"GetDllInterface",
                                               "SetHost host",
                                               "Set LogFolder=private",
                                               "Set TraceLevel=Info",
                                               "FindArtistUrl Korva",
                                               "Property StatisticDownloadCounter",
                                               "Property StatisticSuccessfulDownloads",
                                               "Property StatisticTotalDownloadTime",
                                               "CallMethod CloseAndMergeLog",
                                               "destroy"};
    EXPECT_EQ(calls, expected);
    EXPECT_TRUE(fs::is_empty(tmp)) << "the private log folder is removed";

    ASSERT_EQ(Mivo({"--delay", "0", "--log-dir", (temp / "logs").string(), "artist", "Korva"}).exitCode, 0);
    calls = Journal();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "Set TraceLevel=Warning"), calls.end())
        << "--log-dir alone keeps warnings and errors";
}

TEST_F(HostWithRecordingPlugin, AnswersTheQuestionsFromTheOptions) {
    ASSERT_EQ(Mivo({"--delay", "0", "artist", "Korva"}).exitCode, 0);
    auto asked = Journal(true);
    EXPECT_NE(std::find(asked.begin(), asked.end(), "GetValue MaxMatchDifference 0 1.000000"), asked.end())
        << "without --max-difference the plug-in keeps 1.0";
    EXPECT_NE(std::find(asked.begin(), asked.end(), "GetValue HttpProxy 0 "), asked.end());

    fs::remove(journal);
    ASSERT_EQ(Mivo({"--max-difference", "215", "--proxy", "127.0.0.1:3128", "artist", "Korva"}).exitCode, 0);
    asked = Journal(true);
    EXPECT_NE(std::find(asked.begin(), asked.end(), "GetValue MaxMatchDifference 1 215.000000"), asked.end());
    EXPECT_NE(std::find(asked.begin(), asked.end(), "GetValue HttpProxy 1 127.0.0.1:3128"), asked.end());
}

TEST_F(HostWithRecordingPlugin, ExitStatusTellsWhatHappened) {
    struct Row {
        const char* name;
        std::vector<std::string> args;
        std::vector<std::string> env;
        int exitCode;
        const char* stderrMentions;
    };
    const Row rows[] = {
        {"success", {"--delay", "0", "albums", "Korva"}, {}, 0, ""},
        {"unknown artist", {"albums", "Nobody"}, {}, 1, "no albums found for \"Nobody\""},
        {"unknown artist address", {"artist", "Nobody"}, {}, 1, "no artist page found for \"Nobody\""},
        {"plug-in throws",
         {"artist", "Korva"},
         {"MIVO_RECORD_THROW=1"},
         1,
         "the plug-in failed: recording plug-in was told to throw"},
        {"usage error", {"artist"}, {}, 2, "usage: mivo"},
        {"unknown option", {"--colour", "info"}, {}, 2, "unknown option --colour"},
        {"refused cache folder",
         {"--cache", (temp / "refused").string(), "info"},
         {},
         0,
         "did not accept LocalCacheFolder"},
    };
    for (const auto& row : rows) {
        const ProcessResult run = Mivo(row.args, row.env);
        EXPECT_EQ(run.exitCode, row.exitCode) << row.name << ": " << run.err;
        EXPECT_NE(run.err.find(row.stderrMentions), std::string::npos) << row.name << ": " << run.err;
    }
}

TEST_F(HostWithRecordingPlugin, DestroysTheObjectEvenWhenThePluginThrows) {
    ASSERT_EQ(Mivo({"artist", "Korva"}, {"MIVO_RECORD_THROW=1"}).exitCode, 1);
    const auto calls = Journal();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], "CallMethod CloseAndMergeLog");
    EXPECT_EQ(calls.back(), "destroy");
}

TEST_F(HostWithRecordingPlugin, HelpVersionAndUsageErrorsLoadNothing) {
    for (const auto& args : {std::vector<std::string>{"--help"}, {"--version"}, {"bogus"}}) {
        const ProcessResult run = Mivo(args);
        EXPECT_NE(run.exitCode, 1) << args[0];
        EXPECT_FALSE(fs::exists(journal)) << args[0] << " loaded the plug-in";
    }
    const ProcessResult help = Mivo({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("usage: mivo"), std::string::npos) << "help goes to stdout";
    EXPECT_TRUE(help.err.empty());
    const ProcessResult version = Mivo({"--version"});
    EXPECT_EQ(version.out.rfind("mivo 2.1.2000\nplug-in Recording 9.8.7.6 (" MIVO_RECORDING_PLUGIN_PATH ")\n", 0), 0u)
        << "the plug-in's version as its marker gives it: " << version.out;
    const ProcessResult usage = Mivo({"bogus"});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_TRUE(usage.out.empty()) << "usage errors go to stderr";
}

TEST_F(HostWithRecordingPlugin, LookupCompletesTheAlbumWithTheNearestTitle) {
    const ProcessResult run = Mivo({"--json", "--delay", "0", "lookup", "Korva", "BLUER HOURS"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json document = Json::parse(run.out);
    ASSERT_EQ(document["albums"].size(), 3u);
    EXPECT_EQ(document["album"]["url"], "fake.example/album/2");
    EXPECT_EQ(document["albums"][1]["year"], 1999) << "the chosen list entry is completed in place";
    EXPECT_EQ(document["albums"][0]["year"], 0);
    EXPECT_EQ(document["album"]["trackCount"], 3);
    EXPECT_EQ(document["album"]["tracks"][1]["title"], "\xc3\x9cn\xc3\xaf"
                                                       "c\xc3\xb6"
                                                       "d\xc3\xa9 \xe2\x98\x83");
    EXPECT_EQ(document["statistics"]["downloads"], 5);

    const ProcessResult first = Mivo({"--json", "--delay", "0", "lookup", "Korva"});
    EXPECT_EQ(Json::parse(first.out)["album"]["url"], "fake.example/album/1") << "without TITLE the first album";
}

TEST_F(HostWithRecordingPlugin, HumanOutputKeepsControlCharactersOffTheTerminal) {
    const ProcessResult run = Mivo({"--delay", "0", "--stats", "album", "fake.example/album/7"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Bell\xef\xbf\xbd"
                           "and tab"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find('\a'), std::string::npos);
    EXPECT_NE(run.out.find("Cover   http://fake.example/cover/7.jpg"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Statistics: 1 downloads"), std::string::npos) << run.out;
}

TEST_F(HostWithRecordingPlugin, ReportsProgressOnATerminalOnly) {
    const std::vector<std::string> args{"--plugin", MIVO_RECORDING_PLUGIN_PATH, "--delay", "300", "albums", "Korva"};
    const ProcessResult shown = host_e2e::RunOnTerminal(MIVO_HOST_PATH, args, temp.path(), Environment({}), 60);
    ASSERT_EQ(shown.exitCode, 0) << shown.out;
    // Everything up to the last erase is the progress line; the output follows it.
    const size_t erased = shown.out.rfind("\r\x1b[K");
    ASSERT_NE(erased, std::string::npos) << "the line is erased at the end: " << shown.out;
    const std::string line = shown.out.substr(0, erased);
    const std::string after = shown.out.substr(erased + 4);
    EXPECT_EQ(line.find('\n'), std::string::npos) << "one line that rewrites itself: " << line;
    EXPECT_NE(line.find("\r\x1b[Kmivo: 4 pages, the last from fake.example"), std::string::npos) << line;
    EXPECT_NE(line.find("mivo: 0 pages, contacting fake.example"), std::string::npos) << line;
    EXPECT_NE(line.find(" ms for fake.example"), std::string::npos) << "the wait before the next contact: " << line;
    EXPECT_EQ(after.find("mivo:"), std::string::npos) << "nothing of the line is left: " << after;
    EXPECT_NE(after.find("Blue Hour"), std::string::npos) << "the output follows on a clean line: " << after;

    const ProcessResult narrow = host_e2e::RunOnTerminal(MIVO_HOST_PATH, args, temp.path(), Environment({}), 20);
    ASSERT_EQ(narrow.exitCode, 0) << narrow.out;
    std::istringstream states(narrow.out.substr(0, narrow.out.rfind("\r\x1b[K")));
    for (std::string state; std::getline(states, state, '\r');)
        EXPECT_LE(state.size(), 3u + 19) << "cut to the terminal's width, so it never wraps: " << state;

    const ProcessResult quiet =
        host_e2e::RunOnTerminal(MIVO_HOST_PATH,
                                {"-q", "--plugin", MIVO_RECORDING_PLUGIN_PATH, "--delay", "0", "albums", "Korva"},
                                temp.path(), Environment({}));
    ASSERT_EQ(quiet.exitCode, 0) << quiet.out;
    EXPECT_EQ(quiet.out.find("mivo:"), std::string::npos) << "--quiet shows no progress: " << quiet.out;
    EXPECT_EQ(quiet.out.find('\x1b'), std::string::npos) << quiet.out;

    const ProcessResult piped = Mivo({"--delay", "0", "albums", "Korva"});
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_EQ(piped.err, "") << "no progress when stderr is no terminal";
}

TEST_F(HostWithRecordingPlugin, InfoReadsTheMarkerOfTheLoadedLibrary) {
    const ProcessResult run = Mivo({"--json", "info"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json document = Json::parse(run.out);
    EXPECT_EQ(document["name"], "Recording");
    EXPECT_EQ(document["version"], "9.8.7.6");
    EXPECT_EQ(document["sourceName"], "recording");
    EXPECT_EQ(document["sourceId"], "0123456789abcdef0123456789abcdef");
}

TEST_F(HostWithRecordingPlugin, CtrlCDuringALongAlbumWalkPrintsThePartialList) {
    for (const int signal : {SIGINT, SIGTERM}) {
        fs::remove(journal);
        host_e2e::ChildProcess child(MIVO_HOST_PATH,
                                     {"--plugin", MIVO_RECORDING_PLUGIN_PATH, "--json", "--delay", "20", "albums",
                                      "Korva"},
                                     temp.path(), Environment({"MIVO_RECORD_ALBUMS=100000"}));
        ASSERT_TRUE(host_e2e::WaitFor([&] { return EnterTimes().size() >= 5; }, std::chrono::seconds(20)));
        child.Signal(signal);
        const ProcessResult run = child.Wait();
        EXPECT_EQ(run.exitCode, 128 + signal) << run.err;
        EXPECT_NE(run.err.find("interrupted"), std::string::npos) << run.err;
        const Json document = Json::parse(run.out);
        EXPECT_GE(document["albums"].size(), 3u) << "what was found so far is printed";
        EXPECT_EQ(document["partial"], true);
        EXPECT_EQ(document["error"]["kind"], "interrupted");
        EXPECT_LT(document["albums"].size(), 100000u);
        const auto calls = Journal();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back(), "destroy") << "the session still ends in order";
    }
}

TEST_F(HostWithRecordingPlugin, KeepsTheDelayBetweenTwoContactsOfOneHost) {
    ASSERT_EQ(Mivo({"--delay", "150", "albums", "Korva"}).exitCode, 0);
    const auto times = EnterTimes();
    ASSERT_EQ(times.size(), 4u) << "the artist address and three album pages";
    for (size_t i = 1; i < times.size(); ++i) EXPECT_GE(times[i] - times[i - 1], 150) << "contact " << i;
}

TEST(HostPluginLoading, AMissingOrWrongLibraryIsNamedWithTheLoadersReason) {
    TempFolder temp;
    struct Row {
        const char* name;
        std::string plugin;
        std::vector<std::string> mentions;
    };
    const Row rows[] = {
        {"missing",
         (temp / "nowhere" / "libmivo.so").string(),
         {(temp / "nowhere" / "libmivo.so").string(), "cannot open shared object file"}},
        {"not a library", "/etc/hostname", {"/etc/hostname", "cannot load the plug-in"}},
        {"no export", MIVO_HOST_PATH, {"cannot load the plug-in"}},
    };
    for (const auto& row : rows) {
        const ProcessResult run = host_e2e::Run(MIVO_HOST_PATH, {"--plugin", row.plugin, "info"}, temp.path());
        EXPECT_EQ(run.exitCode, 1) << row.name;
        for (const auto& text : row.mentions)
            EXPECT_NE(run.err.find(text), std::string::npos) << row.name << ": " << run.err;
    }
}

TEST(HostPluginLoading, FindsThePluginBesideTheProgramWhereverItIsInstalled) {
    TempFolder temp;
    fs::create_directories(temp / "bin");
    fs::copy_file(MIVO_HOST_PATH, temp / "bin" / "mivo");
    const std::string program = (temp / "bin" / "mivo").string();
    const fs::path plugin = (temp / "bin" / MIVO_PLUGIN_FROM_PROGRAM).lexically_normal();

    ProcessResult run = host_e2e::Run(program, {"info"}, temp.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(plugin.string()), std::string::npos) << run.err;

    // A library in the old place, straight in lib/, is not the plug-in.
    fs::create_directories(temp / "lib");
    fs::copy_file(MIVO_RECORDING_PLUGIN_PATH, temp / "lib" / "libmivo.so");
    run = host_e2e::Run(program, {"info"}, temp.path());
    EXPECT_EQ(run.exitCode, 1) << run.out;

    fs::create_directories(plugin.parent_path());
    fs::copy_file(MIVO_RECORDING_PLUGIN_PATH, plugin);
    run = host_e2e::Run(program, {"--json", "info"}, temp.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Json::parse(run.out)["name"], "Recording");
}

}  // namespace
