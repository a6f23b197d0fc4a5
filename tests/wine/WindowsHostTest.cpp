// mivo.exe under Wine against the Linux mivo-catalogue on loopback, beside
// the Linux mivo: the same arguments give the same documents, texts and exit
// statuses (download times aside), names outside ASCII included.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "WindowsBuild.h"
#include "tests/support/CatalogueProcess.h"
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
