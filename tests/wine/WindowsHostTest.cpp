// mivo.exe under Wine against the Linux mivo-catalogue on loopback, beside
// the Linux mivo: the same arguments give the same documents, texts and exit
// statuses (download times aside), names outside ASCII included; Ctrl-C
// (SIGINT, which Wine hands to the console control handlers) stops a long
// album walk with what was found so far, as on Linux.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <signal.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "WindowsBuild.h"
#include "tests/support/CatalogueProcess.h"
#include "tests/support/RecordingProxy.h"
#include "tests/support/TempFolder.h"

namespace {

using namespace wine_test;
using host_e2e::ProcessResult;
using Json = nlohmann::json;

class WindowsHostBesideLinux : public ::testing::Test {
protected:
    WindowsHostBesideLinux() : catalogue(MIVO_CATALOGUE_PATH) {}

    void SetUp() override {
        const std::string missing = MissingForWine();
        if (!missing.empty()) GTEST_SKIP() << missing;
        ASSERT_TRUE(catalogue.Started());
    }

    // args after the catalogue as proxy, without a cache, so that each run
    // downloads what it needs.
    std::vector<std::string> AgainstCatalogue(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--proxy", catalogue.Address(), "--no-cache", "--delay", "0"});
        return args;
    }

    TempFolder temp;
    testsupport::CatalogueProcess catalogue;
};

// document without what differs from run to run: the time the downloads took.
Json WithoutTimes(Json document) {
    if (document.contains("statistics")) document["statistics"].erase("totalTimeMs");
    return document;
}

TEST_F(WindowsHostBesideLinux, LookupGivesTheLinuxDocument) {
    const std::vector<std::string> args = AgainstCatalogue({"--json", "lookup", "Korva", "Distant Horizon"});
    const ProcessResult linux = RunLinuxHost(args, temp.path());
    const ProcessResult windows = RunWindowsHost(args, temp.path());
    ASSERT_EQ(linux.exitCode, 0) << linux.err;
    ASSERT_EQ(windows.exitCode, 0) << windows.err;
    const Json expected = WithoutTimes(Json::parse(linux.out));
    ASSERT_EQ(expected["album"]["title"], "Distant Horizon");
    EXPECT_EQ(WithoutTimes(Json::parse(windows.out)), expected);
    EXPECT_EQ(windows.out.find('\r'), std::string::npos) << "line ends as on Linux";
}

TEST_F(WindowsHostBesideLinux, SameOutputAndStatusForTheSameArguments) {
    struct Row {
        const char* name;
        std::vector<std::string> args;
        bool json;
    };
    const Row rows[] = {
        {"help of a command", {"help", "lookup"}, false},
        {"unknown option", {"--no-such-option", "info"}, false},
        {"missing argument", {"lookup"}, false},
        {"bad number", {"--max-difference", "many", "artist", "Korva"}, false},
        {"albums, readable", AgainstCatalogue({"albums", "Korva"}), false},
        {"album, JSON", AgainstCatalogue({"--json", "album", "www.catalogue.example/album/distant-horizon-mw0001700"}),
         true},
        {"artist not there", AgainstCatalogue({"--json", "artist", "Nobody Of That Name"}), true},
        {"a name beyond Latin-1, not there", AgainstCatalogue({"--json", "artist", "Ωmega Björk ★ 漢字"}), true},
        {"a name beyond the BMP, not there", AgainstCatalogue({"--json", "artist", "Clef 𝄞 Ensemble"}), true},
    };
    for (const Row& row : rows) {
        const ProcessResult linux = RunLinuxHost(row.args, temp.path());
        const ProcessResult windows = RunWindowsHost(row.args, temp.path());
        EXPECT_EQ(windows.exitCode, linux.exitCode) << row.name << "\n" << windows.err;
        if (row.json)
            EXPECT_EQ(WithoutTimes(Json::parse(windows.out)), WithoutTimes(Json::parse(linux.out))) << row.name;
        else EXPECT_EQ(windows.out, linux.out) << row.name;
        EXPECT_EQ(windows.err, linux.err) << row.name;
    }
}

TEST_F(WindowsHostBesideLinux, HelpNamesEachSystemsOwnFolders) {
    const ProcessResult linux = RunLinuxHost({"--help"}, temp.path());
    const ProcessResult windows = RunWindowsHost({"--help"}, temp.path());
    ASSERT_EQ(linux.exitCode, 0);
    ASSERT_EQ(windows.exitCode, 0) << windows.err;
    const size_t options = linux.out.find("\noptions:\n");
    ASSERT_NE(options, std::string::npos);
    EXPECT_EQ(windows.out.substr(0, options), linux.out.substr(0, options)) << "the same commands";
    for (const char* shown : {"(default: mivo.dll\n", "%LOCALAPPDATA%\\mivo", "%APPDATA%\\mivo\\config"})
        EXPECT_NE(windows.out.find(shown), std::string::npos) << shown;
    for (const char* shown : {"libmivo.so\n", "~/.cache/mivo", "~/.config/mivo/config"})
        EXPECT_NE(linux.out.find(shown), std::string::npos) << shown;
}

}  // namespace

TEST(WindowsHostStop, CtrlCDuringALongAlbumWalkPrintsWhatWasFound) {
    const std::string missing = MissingForWine();
    if (!missing.empty()) GTEST_SKIP() << missing;
    // One album per page: Marastella's 42 albums take 42 pages.
    testsupport::CatalogueProcess catalogue(MIVO_CATALOGUE_PATH, {"--page-size", "1"});
    ASSERT_TRUE(catalogue.Started());
    testsupport::RecordingProxy proxy(catalogue.Port());
    TempFolder temp;
    std::vector<std::string> wineArgs{WindowsHost().string(),
                                      "--proxy",
                                      proxy.Address(),
                                      "--no-cache",
                                      "--delay",
                                      "200",
                                      "--json",
                                      "albums",
                                      "Marastella"};
    host_e2e::ChildProcess child(testsupport::WineProgram(), wineArgs, temp.path(), WineEnvironment());
    ASSERT_TRUE(host_e2e::WaitFor([&] { return proxy.CountContaining("/page/") >= 2; }, std::chrono::seconds(60)));
    child.Signal(SIGINT);
    const ProcessResult run = child.Wait();
    EXPECT_EQ(run.exitCode, 130) << run.err;
    EXPECT_NE(run.err.find("interrupted by SIGINT"), std::string::npos) << run.err;
    const Json document = Json::parse(run.out);
    EXPECT_EQ(document["partial"], true);
    EXPECT_EQ(document["error"]["kind"], "interrupted");
    EXPECT_GE(document["albums"].size(), 2u) << "the albums found before Ctrl-C are printed";
    EXPECT_LT(document["albums"].size(), 42u);
}
