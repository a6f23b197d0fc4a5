// `mivo tag` end to end: the real mivo with the real plug-in against
// mivo-catalogue (reached as the proxy), on folders of real audio files of
// every format, read back afterwards with exiftool. The album is Jörmund
// Ekvall's "Distant Horizon" (1992, Electronic, seven tracks).
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

#include "AlbumFolder.h"
#include "tests/e2e/HostProcess.h"
#include "tests/support/CatalogueProcess.h"
#include "tests/support/FileBytes.h"
#include "tests/tag/samples/ExifToolReader.h"

namespace {

using namespace tagcmd_test;
using host_e2e::ProcessResult;
using Json = nlohmann::json;
using mivo_host::test::AudioPayload;
using mivo_host::test::ExifToolTags;

constexpr const char* kArtist = "Jörmund Ekvall";
constexpr const char* kAlbum = "Distant Horizon";
const std::vector<std::string> kTracks = {"Dreaming Away",  "Calling in the Rain", "Burning Again", "Running On",
                                          "Waiting Slowly", "Chasing Alone",       "Walking Alone"};

class TagCommand : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(catalogue.Started()); }

    // mivo with the catalogue as its proxy, no gap between requests and, unless
    // the row keeps it, no cache.
    ProcessResult Mivo(std::vector<std::string> args, bool cache = false) const {
        args.insert(args.begin(), {"--proxy", catalogue.Address(), "--delay", "0"});
        if (!cache) args.insert(args.begin(), "--no-cache");
        return host_e2e::Run(MIVO_HOST_PATH, args, temp.path());
    }

    // A new folder below the test's own, path relative to it ("A/B" makes both).
    fs::path Folder(const std::string& path) const {
        const fs::path folder = temp.path() / "music" / fs::u8path(path);
        fs::create_directories(folder);
        return folder;
    }

    // The album's first count tracks as "NN Title.mp3" files, titles in their tags.
    fs::path TitledAlbum(const std::string& path, size_t count) const {
        const fs::path folder = Folder(path);
        for (size_t i = 0; i < count; ++i)
            MakeTrackFile(AudioFormat::Mp3Id3v23, folder / ("0" + std::to_string(i + 1) + " " + kTracks[i] + ".mp3"),
                          Titled(kTracks[i]));
        return folder;
    }

    TempFolder temp;
    testsupport::CatalogueProcess catalogue{MIVO_CATALOGUE_PATH};
};

TEST_F(TagCommand, EveryFormatIsTaggedAndTheAudioStaysAsItWas) {
    struct Row {
        const char* file;
        AudioFormat format;
        const char* titleTag;  // with slips the pairing must see through
        const char* expectTitle;
        const char* yearKey;
        const char* trackKey;
        const char* trackText;
    };
    // Names in shuffled order against the tracks, some with typos in the title tag.
    const Row rows[] = {
        {"a.mp3", AudioFormat::Mp3Id3v23, "Burning Agian", "Burning Again", "Year", "Track", "3/7"},
        {"b.mp3", AudioFormat::Mp3Id3v24, "Dreaming Away", "Dreaming Away", "RecordingTime", "Track", "1/7"},
        {"c.flac", AudioFormat::Flac, "waiting slowly", "Waiting Slowly", "Date", "TrackNumber", "5"},
        {"d.ogg", AudioFormat::Vorbis, "Calling in Rain", "Calling in the Rain", "Date", "TrackNumber", "2"},
        {"e.opus", AudioFormat::Opus, "Chasing Alone", "Chasing Alone", "Date", "TrackNumber", "6"},
        {"f.m4a", AudioFormat::M4a, "Running On", "Running On", "ContentCreateDate", "TrackNumber", "4 of 7"},
    };
    const fs::path folder = Folder(std::string(kArtist) + " - " + kAlbum);
    std::vector<std::string> payloads;
    for (const Row& row : rows) {
        MakeTrackFile(row.format, folder / row.file, Titled(row.titleTag));
        payloads.push_back(AudioPayload(row.format, folder / row.file));
    }
    // A file far from every track: paired with none, left as it is.
    MakeTrackFile(AudioFormat::Flac, folder / "g bonus.flac", Titled("Studio Chatter and an Interview"));
    const std::string bonus = ReadBytes(folder / "g bonus.flac");

    const ProcessResult run = Mivo({"tag", "--yes", folder.string()});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("g bonus.flac: no track fits; left untouched"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Tracks no file got:\n  7 Walking Alone"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("title: \"Burning Agian\" → \"Burning Again\""), std::string::npos) << run.out;
    for (size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.file);
        std::map<std::string, std::string> tags = ExifToolTags(folder / row.file);
        EXPECT_EQ(tags["Title"], row.expectTitle);
        EXPECT_EQ(tags["Album"], kAlbum);
        EXPECT_EQ(tags["Artist"], kArtist);
        EXPECT_EQ(tags["Genre"], "Electronic");
        EXPECT_EQ(tags[row.yearKey], "1992");
        EXPECT_EQ(tags[row.trackKey], row.trackText);
        EXPECT_EQ(tags["Comment"], "keep me");
        EXPECT_EQ(AudioPayload(row.format, folder / row.file), payloads[i]);
    }
    EXPECT_EQ(ReadBytes(folder / "g bonus.flac"), bonus);
}

TEST_F(TagCommand, WhatToSearchFor) {
    struct Row {
        const char* name;
        const char* folder;
        bool albumTags;  // the files carry the album and artist tags
        std::vector<std::string> options;
        int exitCode;
        const char* searchArtist;  // as the JSON document shows it
        const char* searchAlbum;
    };
    const Row rows[] = {
        {"the files' tags", "Unsorted/Stuff", true, {}, 0, kArtist, kAlbum},
        {"ARTIST - ALBUM folder", "Jörmund Ekvall - Distant Horizon", false, {}, 0, kArtist, kAlbum},
        {"ARTIST/ALBUM folders", "Jörmund Ekvall/Distant Horizon", false, {}, 0, kArtist, kAlbum},
        {"options win over tags",
         "Other/Place",
         true,
         {"--artist", "Korva", "--album", "Distant Horizon"},
         0,
         "Korva",
         kAlbum},
        {"nothing found", "Nobody Known - Nothing Here", false, {}, 1, "Nobody Known", "Nothing Here"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path folder = Folder(row.folder);
        TagChanges tags = Titled(kTracks[0]);
        if (row.albumTags) {
            tags.album = kAlbum;
            tags.artist = kArtist;
        }
        MakeTrackFile(AudioFormat::Flac, folder / "01.flac", tags);
        std::vector<std::string> args{"--json", "tag", "--dry-run"};
        args.insert(args.end(), row.options.begin(), row.options.end());
        args.push_back(folder.string());
        const ProcessResult run = Mivo(args);
        ASSERT_EQ(run.exitCode, row.exitCode) << run.out << run.err;
        const Json album = Json::parse(run.out)["albums"][0];
        EXPECT_EQ(album["search"]["artist"], row.searchArtist);
        EXPECT_EQ(album["search"]["album"], row.searchAlbum);
        if (row.exitCode == 0) {
            EXPECT_EQ(album["result"]["title"], kAlbum);
        } else {
            EXPECT_NE(run.err.find(folder.string()), std::string::npos) << run.err;
            EXPECT_NE(run.err.find("hint: --max-difference"), std::string::npos) << run.err;
        }
    }
}

TEST_F(TagCommand, NothingIsWrittenWithoutConsent) {
    struct Row {
        const char* name;
        std::vector<std::string> options;
        int exitCode;
        const char* err;  // a part of the message
    };
    const Row rows[] = {
        {"no terminal, no --yes", {}, 1, "--yes writes without asking"},
        {"--dry-run", {"--dry-run"}, 0, ""},
        {"--json without --yes", {"--json"}, 1, "--yes writes without asking"},
    };
    const fs::path folder = TitledAlbum("Jörmund Ekvall/Distant Horizon", 3);
    const std::string before = ReadBytes(folder / "01 Dreaming Away.mp3");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> args = row.options;
        args.insert(args.end(), {"tag", folder.string()});
        const ProcessResult run = Mivo(args);
        EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
        EXPECT_NE(run.err.find(row.err), std::string::npos) << run.err;
        EXPECT_EQ(ReadBytes(folder / "01 Dreaming Away.mp3"), before);
        if (row.options.empty()) {
            EXPECT_NE(run.out.find("album: - → \"Distant Horizon\""), std::string::npos) << run.out;
        }
    }
}

TEST_F(TagCommand, OnATerminalTheUserIsAsked) {
    struct Row {
        const char* answer;
        bool written;
    };
    const Row rows[] = {{"y\n", true}, {"YES\n", true}, {"n\n", false}, {"\n", false}, {"yess\n", false}};
    int index = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.answer);
        const fs::path folder = TitledAlbum("asked " + std::to_string(++index) + "/" + kArtist + " - " + kAlbum, 1);
        const std::string before = ReadBytes(folder / "01 Dreaming Away.mp3");
        const ProcessResult run = host_e2e::RunOnTerminal(MIVO_HOST_PATH,
                                                          {"--proxy", catalogue.Address(), "--delay", "0", "--no-cache",
                                                           "tag", folder.string()},
                                                          temp.path(), {}, 80, "Write these tags? [y/N] ", row.answer);
        EXPECT_EQ(run.exitCode, 0) << run.out;
        EXPECT_NE(run.out.find("Write these tags? [y/N]"), std::string::npos) << run.out;
        EXPECT_EQ(ReadBytes(folder / "01 Dreaming Away.mp3") != before, row.written) << run.out;
        EXPECT_NE(run.out.find(row.written ? "Written: 1 file" : "Nothing written."), std::string::npos) << run.out;
    }
}

TEST_F(TagCommand, FilesThatCannotBeWrittenAreSkippedAndTheOthersWritten) {
    const fs::path folder = TitledAlbum("Jörmund Ekvall/Distant Horizon", 3);
    fs::permissions(folder / "02 Calling in the Rain.mp3", fs::perms(0444));
    WriteBytes(folder / "04 Running On.mp3", "not audio at all");
    const std::string locked = ReadBytes(folder / "02 Calling in the Rain.mp3");

    const ProcessResult run = Mivo({"tag", "--yes", folder.string()});
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_NE(run.err.find("02 Calling in the Rain.mp3: skipped: read-only"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("04 Running On.mp3: skipped"), std::string::npos) << run.err;
    EXPECT_EQ(ReadBytes(folder / "02 Calling in the Rain.mp3"), locked);
    EXPECT_EQ(ReadBytes(folder / "04 Running On.mp3"), "not audio at all");
    EXPECT_EQ(ExifToolTags(folder / "01 Dreaming Away.mp3")["Album"], kAlbum);
    EXPECT_EQ(ExifToolTags(folder / "03 Burning Again.mp3")["Track"], "3/7");
}

TEST_F(TagCommand, JsonDocumentHasTheSearchTheResultAndEachFileBeforeAndAfter) {
    const fs::path folder = TitledAlbum("Jörmund Ekvall/Distant Horizon", 2);
    const ProcessResult run = Mivo({"--json", "tag", "--yes", folder.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json document = Json::parse(run.out);
    ASSERT_EQ(document["albums"].size(), 1u);
    const Json& album = document["albums"][0];
    EXPECT_EQ(album["path"], folder.string());
    EXPECT_EQ(album["search"], (Json{{"artist", kArtist}, {"album", kAlbum}}));
    EXPECT_EQ(album["result"]["title"], kAlbum);
    EXPECT_EQ(album["result"]["year"], 1992);
    EXPECT_EQ(album["result"]["tracks"].size(), 7u);
    ASSERT_EQ(album["files"].size(), 2u);
    const Json& file = album["files"][1];
    EXPECT_EQ(file["file"], "02 Calling in the Rain.mp3");
    EXPECT_EQ(file["track"], 2);
    EXPECT_EQ(file["before"]["album"], nullptr);
    EXPECT_FALSE(file["before"].contains("comment"));
    EXPECT_EQ(file["after"]["album"], kAlbum);
    EXPECT_EQ(file["after"]["trackTotal"], 7);
    EXPECT_EQ(file["written"], true);
    EXPECT_EQ(album["unpairedTracks"].size(), 5u);
    EXPECT_EQ(album["unpairedTracks"][0], (Json{{"number", 3}, {"title", "Burning Again"}}));
    EXPECT_GE(document["statistics"]["downloads"], 2);
    EXPECT_FALSE(document.contains("error"));
}

TEST_F(TagCommand, CoverEmbeddedOrSavedBesideTheFiles) {
    struct Row {
        const char* mode;
        bool embedded;  // the files hold a front cover afterwards
        bool saved;     // cover.jpg stands beside them
    };
    const Row rows[] = {{"embed", true, false}, {"file", false, true}, {"none", false, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.mode);
        const fs::path folder = Folder(std::string("covers ") + row.mode + "/" + kArtist + " - " + kAlbum);
        MakeTrackFile(AudioFormat::Flac, folder / "01 Dreaming Away.flac", Titled(kTracks[0]));
        MakeTrackFile(AudioFormat::Mp3Id3v24, folder / "02 Calling in the Rain.mp3", Titled(kTracks[1]));
        const ProcessResult run = Mivo({"tag", "--yes", "--cover", row.mode, folder.string()});
        ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
        for (const char* file : {"01 Dreaming Away.flac", "02 Calling in the Rain.mp3"}) {
            std::map<std::string, std::string> tags = ExifToolTags(folder / file);
            EXPECT_EQ(tags["PictureType"], row.embedded ? "Front Cover" : "") << file;
            EXPECT_EQ(tags["Album"], kAlbum) << file;
        }
        EXPECT_EQ(fs::exists(folder / "cover.jpg"), row.saved);
        if (row.saved) {
            EXPECT_EQ(ReadBytes(folder / "cover.jpg").substr(0, 3), "\xFF\xD8\xFF");
        }
    }
}

TEST_F(TagCommand, AStopSignalDuringTheSearchWritesNothing) {
    const fs::path folder = TitledAlbum("Jörmund Ekvall/Distant Horizon", 2);
    const std::string before = ReadBytes(folder / "01 Dreaming Away.mp3");
    // A long gap keeps the search waiting before its second request.
    host_e2e::ChildProcess child(MIVO_HOST_PATH,
                                 {"--proxy", catalogue.Address(), "--delay", "60000", "--no-cache", "tag", "--yes",
                                  folder.string()},
                                 temp.path());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    child.Signal(SIGTERM);
    const ProcessResult run = child.Wait();
    EXPECT_EQ(run.exitCode, 143) << run.err;
    EXPECT_EQ(ReadBytes(folder / "01 Dreaming Away.mp3"), before);
    EXPECT_EQ(mivo_host::test::StrayCopiesIn(folder), 0u);
}

TEST_F(TagCommand, SeveralFoldersOneAfterAnotherWithTheDefaultCache) {
    const fs::path first = TitledAlbum("Jörmund Ekvall/Distant Horizon", 2);
    const fs::path second = Folder("Jörmund Ekvall/Golden Gardens");
    MakeTrackFile(AudioFormat::Opus, second / "01.opus");
    const fs::path missing = temp.path() / "music" / "not there";
    const ProcessResult run = Mivo({"--json", "tag", "--yes", first.string(), second.string(), missing.string()}, true);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find(missing.string() + ": no such file or folder"), std::string::npos) << run.err;
    const Json document = Json::parse(run.out);
    ASSERT_EQ(document["albums"].size(), 2u);
    EXPECT_EQ(document["albums"][1]["result"]["title"], "Golden Gardens");
    EXPECT_EQ(ExifToolTags(second / "01.opus")["Album"], "Golden Gardens");
    EXPECT_EQ(ExifToolTags(first / "01 Dreaming Away.mp3")["Album"], kAlbum);
}

}  // namespace
