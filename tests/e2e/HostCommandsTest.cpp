// The mivo program with the real plug-in against the local catalogue site
// (mivo-catalogue): every command in readable and JSON form with its exit
// status, an unknown artist, the cache folder reused by a second run, the
// merged parent log, Ctrl-C during a long album walk, and the --delay gap
// between two requests to one host.
//
// mivo's proxy setting names a small recording proxy in this process, which
// notes the time and target of every request and passes it on to the
// catalogue, so the tests see exactly what the plug-in asked for and when.
#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "HostProcess.h"
#include "tests/support/CatalogueProcess.h"
#include "tests/support/RecordingProxy.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using host_e2e::ProcessResult;
using Json = nlohmann::json;
using testsupport::RecordingProxy;

constexpr const char* kKorvaUrl = "www.catalogue.example/artist/korva-mn0001679/albums";
constexpr const char* kDistantHorizonUrl = "www.catalogue.example/album/distant-horizon-mw0001700";

class HostAgainstCatalogue : public ::testing::Test {
protected:
    explicit HostAgainstCatalogue(std::vector<std::string> catalogueArgs = {})
        : catalogue(MIVO_CATALOGUE_PATH, std::move(catalogueArgs)) {}

    void SetUp() override {
        ASSERT_TRUE(catalogue.Started());
        proxy = std::make_unique<RecordingProxy>(catalogue.Port());
    }

    // args after the proxy option, and without the default cache, so that every
    // run counts its own downloads (a later --cache wins).
    std::vector<std::string> WithProxy(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--proxy", proxy->Address(), "--no-cache"});
        return args;
    }

    ProcessResult Mivo(std::vector<std::string> args) const {
        return host_e2e::Run(MIVO_HOST_PATH, WithProxy(std::move(args)), temp.path());
    }

    TempFolder temp;
    testsupport::CatalogueProcess catalogue;
    std::unique_ptr<RecordingProxy> proxy;
};

TEST_F(HostAgainstCatalogue, EveryCommandInJson) {
    ProcessResult run = Mivo({"--delay", "0", "--json", "artist", "korva"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    Json document = Json::parse(run.out);
    EXPECT_EQ(document["artist"], "korva");
    EXPECT_EQ(document["url"], kKorvaUrl);
    EXPECT_EQ(document["statistics"]["downloads"], 1);
    EXPECT_EQ(document["statistics"]["successful"], 1);

    run = Mivo({"--delay", "0", "--json", "albums", "Korva"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    document = Json::parse(run.out);
    ASSERT_EQ(document["albums"].size(), 10u);
    EXPECT_EQ(document["albums"][2]["title"], "Distant Horizon");
    EXPECT_EQ(document["albums"][2]["url"], kDistantHorizonUrl);
    EXPECT_EQ(document["albums"][2]["artist"], "Korva");
    EXPECT_EQ(document["albums"][2]["year"], 0);

    run = Mivo({"--delay", "0", "--json", "album", kDistantHorizonUrl});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    document = Json::parse(run.out);
    EXPECT_EQ(document["url"], kDistantHorizonUrl);
    EXPECT_EQ(document["year"], 2013);
    EXPECT_EQ(document["genre"], "Electronic");
    EXPECT_EQ(document["cover"], "http://www.catalogue.example/images/cover/distant-horizon-mw0001700.jpg");
    EXPECT_EQ(document["trackCount"], 11);
    ASSERT_EQ(document["tracks"].size(), 11u);
    EXPECT_EQ(document["tracks"][0], (Json{{"number", 1}, {"title", "Drifting Away"}}));

    run = Mivo({"--delay", "0", "--json", "lookup", "Korva", "distant horizon"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    document = Json::parse(run.out);
    EXPECT_EQ(document["albums"].size(), 10u);
    EXPECT_EQ(document["album"]["url"], kDistantHorizonUrl);
    EXPECT_EQ(document["album"]["trackCount"], 11);
    EXPECT_EQ(document["albums"][2]["year"], 2013) << "the chosen entry is completed in the list too";
    EXPECT_EQ(document["statistics"]["downloads"], 3);

    run = Mivo({"--json", "info"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    document = Json::parse(run.out);
    EXPECT_EQ(document["name"], "Mivo");
    EXPECT_EQ(document["type"], "search");
    EXPECT_EQ(document["version"], "2.1.2000.0");
    EXPECT_EQ(document["sourceName"], "mivo");
    EXPECT_EQ(document["sourceId"].get<std::string>().size(), 32u);
    EXPECT_EQ(document["statistics"]["downloads"], 0);
}

TEST_F(HostAgainstCatalogue, EveryCommandReadable) {
    struct Row {
        std::vector<std::string> args;
        std::vector<std::string> shows;
    };
    const Row rows[] = {
        {{"artist", "Korva"}, {"Artist   Korva\n", std::string("Address  ") + kKorvaUrl + "\n"}},
        {{"albums", "Korva"},
         {"Albums of Korva: 10", "Title", "Year", "Genre", "Tracks", "Distant Horizon", "Little Satellites"}},
        {{"album", kDistantHorizonUrl},
         {"Year    2013\n", "Genre   Electronic\n", "Cover   http://www.catalogue.example/images/cover/",
          "Tracks  11\n", "   1  Drifting Away\n", "  11  Chasing Tonight\n"}},
        {{"--stats", "lookup", "Korva", "Distant Horizon"},
         {"Albums of Korva: 10", "Title   Distant Horizon\n", "Year    2013\n",
          "Statistics: 3 downloads, 3 successful"}},
        {{"info"}, {"Name         Mivo\n", "Source name  mivo\n", "Statistics: 0 downloads"}},
    };
    for (const auto& row : rows) {
        std::vector<std::string> args{"--delay", "0"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const ProcessResult run = Mivo(args);
        EXPECT_EQ(run.exitCode, 0) << row.args.front() << ": " << run.err;
        for (const auto& text : row.shows)
            EXPECT_NE(run.out.find(text), std::string::npos) << row.args.front() << " lacks [" << text << "] in:\n"
                                                             << run.out;
    }
}

TEST_F(HostAgainstCatalogue, AnUnknownArtistIsAFailure) {
    for (const char* command : {"artist", "albums", "lookup"}) {
        const ProcessResult run = Mivo({"--delay", "0", "--json", command, "Nobody Anyone Knows"});
        EXPECT_EQ(run.exitCode, 1) << command;
        EXPECT_NE(run.err.find("Nobody Anyone Knows"), std::string::npos) << command << ": " << run.err;
        const Json document = Json::parse(run.out);  // still one document on stdout
        EXPECT_EQ(document["artist"], "Nobody Anyone Knows") << command;
    }
    // The catalogue answers 404: a download that failed, not a page without the album.
    const ProcessResult missing = Mivo({"--delay", "0", "album", "www.catalogue.example/album/no-such-album"});
    EXPECT_EQ(missing.exitCode, 3);
    EXPECT_NE(missing.err.find("could not be read"), std::string::npos) << missing.err;
}

TEST_F(HostAgainstCatalogue, MaxDifferenceWidensTheArtistMatch) {
    // "Ploms" is "The Ploms" but for a leading "The " (215): refused by the
    // plug-in's own threshold, accepted above 215.
    EXPECT_EQ(Mivo({"--delay", "0", "artist", "Ploms"}).exitCode, 1);
    const ProcessResult run = Mivo({"--delay", "0", "--max-difference", "216", "--json", "artist", "Ploms"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Json::parse(run.out)["url"], "www.catalogue.example/artist/the-ploms-mn0001007/albums");
}

TEST_F(HostAgainstCatalogue, ASecondRunWithTheCacheFolderSearchesNoMore) {
    const std::string cache = (temp / "cache").string();
    ProcessResult run = Mivo({"--delay", "0", "--cache", cache, "--json", "artist", "Korva"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(proxy->CountContaining("/search?q="), 1u);

    run = Mivo({"--delay", "0", "--cache", cache, "--json", "artist", "Korva"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json document = Json::parse(run.out);
    EXPECT_EQ(document["url"], kKorvaUrl);
    EXPECT_EQ(document["statistics"]["downloads"], 0);
    EXPECT_EQ(proxy->CountContaining("/search?q="), 1u) << "the second run found Korva in the cache";

    run = Mivo({"--delay", "0", "--cache", cache, "--json", "albums", "Korva"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(proxy->CountContaining("/search?q="), 1u);
    EXPECT_EQ(Json::parse(run.out)["albums"].size(), 10u);
}

TEST_F(HostAgainstCatalogue, TheProxyAndTheCacheComeFromTheUsersSettings) {
    // No --proxy: http_proxy names the catalogue; no --cache: the default folder.
    const std::vector<std::string> env{"http_proxy=http://" + proxy->Address() + "/"};
    ProcessResult run = host_e2e::Run(MIVO_HOST_PATH, {"--delay", "0", "--json", "artist", "Korva"}, temp.path(), env);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Json::parse(run.out)["url"], kKorvaUrl);
    EXPECT_EQ(proxy->CountContaining("/search?q="), 1u) << "the request went through http_proxy";
    EXPECT_TRUE(fs::is_directory(temp / "xdg-cache" / "mivo")) << "the default cache folder";

    run = host_e2e::Run(MIVO_HOST_PATH, {"--delay", "0", "--json", "artist", "Korva"}, temp.path(), env);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Json::parse(run.out)["statistics"]["downloads"], 0) << "the default cache knew Korva";
    EXPECT_EQ(proxy->CountContaining("/search?q="), 1u);
}

TEST_F(HostAgainstCatalogue, TheRunsTraceLogIsMergedIntoTheParentLog) {
    const fs::path logs = temp / "logs";
    const fs::path parent = temp / "host.log";
    const ProcessResult run = Mivo({"--delay", "0", "--log-dir", logs.string(), "--trace-level", "Debug",
                                    "--parent-log", parent.string(), "artist", "Korva"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_TRUE(fs::exists(parent)) << "the merged parent log is there after the run";
    const std::string bytes = ReadBytes(parent);
    std::string text;  // the ASCII part of the UTF-16LE log
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        if (bytes[i + 1] == 0) text += bytes[i];
    EXPECT_NE(text.find("Download: www.catalogue.example/search?q=Korva"), std::string::npos) << text;
}

class HostAgainstPagedCatalogue : public HostAgainstCatalogue {
protected:
    // One album per page: Marastella's 42 albums take 42 pages.
    HostAgainstPagedCatalogue() : HostAgainstCatalogue({"--page-size", "1"}) {}
};

TEST_F(HostAgainstPagedCatalogue, CtrlCDuringALongAlbumWalkPrintsWhatWasFound) {
    host_e2e::ChildProcess child(MIVO_HOST_PATH, WithProxy({"--delay", "200", "--json", "albums", "Marastella"}),
                                 temp.path());
    ASSERT_TRUE(host_e2e::WaitFor([&] { return proxy->CountContaining("/page/") >= 2; }, std::chrono::seconds(30)));
    child.Signal(SIGINT);
    const ProcessResult run = child.Wait();
    EXPECT_EQ(run.exitCode, 130) << run.err;
    EXPECT_NE(run.err.find("interrupted"), std::string::npos) << run.err;
    const Json document = Json::parse(run.out);
    EXPECT_GE(document["albums"].size(), 2u) << "the albums found before Ctrl-C are printed";
    EXPECT_LT(document["albums"].size(), 42u);
    EXPECT_EQ(document["albums"][0]["artist"], "Marastella");
}

TEST_F(HostAgainstCatalogue, KeepsTheDelayBetweenTwoRequestsToOneHost) {
    const ProcessResult run = Mivo({"--delay", "300", "lookup", "Korva", "Wild Orchard"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto requests = proxy->Requests();
    ASSERT_EQ(requests.size(), 3u) << "search, album list, album page";
    for (size_t i = 1; i < requests.size(); ++i) {
        const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(requests[i].time - requests[i - 1].time);
        EXPECT_GE(gap.count(), 300) << "before " << requests[i].target;
    }
}

}  // namespace
