#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "host/tag/TrackPairing.h"

namespace mivo_host {
namespace {

const std::vector<std::string> kAlbum = {
    "Sea of Glass",   "Paper Lanterns",        "Under the Quiet Hill", "Nightjar",
    "Salt and Ember", "Where the River Bends", "Glass Harbour",        "Coda",
};

std::vector<PairingTrack> Tracks(const std::vector<std::string>& titles) {
    std::vector<PairingTrack> tracks;
    for (size_t k = 0; k < titles.size(); ++k) tracks.push_back({static_cast<unsigned>(k + 1), titles[k]});
    return tracks;
}

// The album's first count tracks.
std::vector<PairingTrack> FirstTracks(size_t count) {
    return Tracks(std::vector<std::string>(kAlbum.begin(), kAlbum.begin() + static_cast<long>(count)));
}

// Thirty titles of two words each, none a near copy of another.
std::vector<std::string> ThirtyTitles() {
    std::vector<std::string> titles;
    for (const char* a : {"Amber", "Broken", "Cold", "Distant", "Early", "Frozen"})
        for (const char* b : {"Lights", "Roads", "Mirrors", "Winter", "Gardens"})
            titles.push_back(std::string(a) + " " + b);
    return titles;
}

struct FileRow {
    PairingFile file;
    unsigned expectedTrack;  // the number of the track it pairs with; 0: unpaired
    bool doubtful = false;   // the pair is expected doubtful
};

struct PairingCase {
    std::string name;
    std::vector<FileRow> files;  // in file-name order
    std::vector<PairingTrack> tracks;
};

std::vector<PairingCase> Cases() {
    const auto none = std::nullopt;
    using Title = std::optional<std::string>;
    std::vector<PairingCase> cases = {
        {"in order, titles and numbers in tags",
         {{{"01 Sea of Glass.mp3", kAlbum[0], 1u}, 1},
          {{"02 Paper Lanterns.mp3", kAlbum[1], 2u}, 2},
          {{"03 Under the Quiet Hill.mp3", kAlbum[2], 3u}, 3},
          {{"04 Nightjar.mp3", kAlbum[3], 4u}, 4}},
         FirstTracks(4)},
        // The names say nothing and their order is not the album's; the title tags decide.
        {"shuffled file names, titles in tags",
         {{{"audio a.flac", kAlbum[4], none}, 5},
          {{"audio b.flac", kAlbum[0], none}, 1},
          {{"audio c.flac", kAlbum[7], none}, 8},
          {{"audio d.flac", kAlbum[2], none}, 3},
          {{"audio e.flac", kAlbum[6], none}, 7},
          {{"audio f.flac", kAlbum[1], none}, 2},
          {{"audio g.flac", kAlbum[5], none}, 6},
          {{"audio h.flac", kAlbum[3], none}, 4}},
         FirstTracks(8)},
        // Some files have a number and some not; the names hold titles only, in
        // alphabetical order. A title half off without a number is doubtful.
        {"missing track numbers",
         {{{"Coda.ogg", kAlbum[7], none}, 8},
          {{"Glass Harbour.ogg", kAlbum[6], 7u}, 7},
          {{"Nightjar.ogg", kAlbum[3], none}, 4},
          {{"Paper Lanterns.ogg", kAlbum[1], none}, 2},
          {{"Salt and Ember.ogg", kAlbum[4], 5u}, 5},
          {{"Sea of Glass.ogg", Title("Sea of Glass (Remastered)"), none}, 1, true}},
         FirstTracks(8)},
        // More files than tracks: the file that matches nothing is left over.
        {"one extra file",
         {{{"01 Sea of Glass.mp3", kAlbum[0], 1u}, 1},
          {{"02 Paper Lanterns.mp3", kAlbum[1], 2u}, 2},
          {{"03 Under the Quiet Hill.mp3", kAlbum[2], 3u}, 3},
          {{"04 Nightjar.mp3", kAlbum[3], 4u}, 4},
          {{"bonus.mp3", Title("Studio Interview"), none}, 0}},
         FirstTracks(4)},
        // As many files as tracks, but one file is not of the album and one
        // track has no file: leaving both out is cheaper than pairing them.
        {"an extra file and a missing one",
         {{{"01 Sea of Glass.mp3", kAlbum[0], 1u}, 1},
          {{"02 Paper Lanterns.mp3", kAlbum[1], 2u}, 2},
          {{"04 Nightjar.mp3", kAlbum[3], 4u}, 4},
          {{"bonus.mp3", none, none}, 0}},
         FirstTracks(4)},
        // The file of track 4 is missing: the files after it are one place off.
        {"one missing track",
         {{{"01.flac", kAlbum[0], none}, 1},
          {{"02.flac", kAlbum[1], none}, 2},
          {{"03.flac", kAlbum[2], none}, 3},
          {{"05.flac", kAlbum[4], none}, 5},
          {{"06.flac", kAlbum[5], none}, 6},
          {{"07.flac", kAlbum[6], none}, 7},
          {{"08.flac", kAlbum[7], none}, 8}},
         FirstTracks(8)},
        {"titles with typos, shuffled, no numbers",
         {{{"a.mp3", Title("Nightjr"), none}, 4},
          {{"b.mp3", Title("Glas Harbor"), none}, 7},
          {{"c.mp3", Title("Sea of Glas"), none}, 1},
          {{"d.mp3", Title("Undr the Quiet Hil"), none}, 3},
          {{"e.mp3", Title("Where the Rivr Bends"), none}, 6},
          {{"f.mp3", Title("Papr Lantern"), none}, 2},
          {{"g.mp3", Title("Cod a"), none}, 8},
          {{"h.mp3", Title("Salt and Embers"), none}, 5}},
         FirstTracks(8)},
        {"file names only",
         {{{"01 Sea of Glass.mp3", none, none}, 1},
          {{"02 - Paper Lanterns.mp3", none, none}, 2},
          {{"03. Under the Quiet Hill.mp3", none, none}, 3},
          {{"04_Nightjar.mp3", none, none}, 4},
          {{"1-05 Salt and Ember.mp3", none, none}, 5}},
         FirstTracks(5)},
        // Titles that say nothing, names out of order: the number tags decide,
        // and the preview doubts every pair.
        {"numbers only, nonsense titles",
         {{{"rec 1.mp3", Title("Track"), 3u}, 3, true},
          {{"rec 2.mp3", Title("Track"), 1u}, 1, true},
          {{"rec 3.mp3", Title("xyzzy"), 4u}, 4, true},
          {{"rec 4.mp3", Title("zzz"), 2u}, 2, true}},
         FirstTracks(4)},
        {"Unicode titles differing in case",
         {{{"x1.flac", Title("björk"), none}, 2},
          {{"x2.flac", Title("ΣΊΣΥΦΟΣ"), none}, 3},
          {{"x3.flac", Title("été indien"), none}, 4},
          {{"x4.flac", Title("ДОРОГА"), none}, 1}},
         Tracks({"Дорога", "BJÖRK", "Σίσυφος", "ÉTÉ INDIEN"})},
        // Two tracks of one title: the order of the names tells them apart.
        {"a title twice",
         {{{"a.mp3", Title("Interlude"), none}, 1},
          {{"b.mp3", Title("Nightjar"), none}, 2},
          {{"c.mp3", Title("Interlude"), none}, 3},
          {{"d.mp3", Title("Coda"), none}, 4}},
         Tracks({"Interlude", "Nightjar", "Interlude", "Coda"})},
    };
    // The names sort in the reverse of the album's order; title tags only.
    PairingCase reversed{"30 tracks reversed in name order", {}, Tracks(ThirtyTitles())};
    for (size_t k = 0; k < reversed.tracks.size(); ++k) {
        const PairingTrack& track = reversed.tracks[reversed.tracks.size() - 1 - k];
        const std::string name = "part " + std::string(1, static_cast<char>('A' + k / 10)) + std::to_string(k % 10);
        reversed.files.push_back({{name + ".ogg", track.title, none}, track.number});
    }
    cases.push_back(reversed);
    return cases;
}

TEST(PairTracks, PairsAsTheTableSays) {
    for (const PairingCase& c : Cases()) {
        std::vector<PairingFile> files;
        for (const FileRow& row : c.files) files.push_back(row.file);
        const Pairing pairing = PairTracks(files, c.tracks);

        std::vector<unsigned> track(files.size(), 0);
        std::vector<bool> doubtful(files.size(), false);
        std::vector<int> fileSeen(files.size(), 0), trackSeen(c.tracks.size(), 0);
        for (size_t k = 0; k < pairing.pairs.size(); ++k) {
            const TrackPair& pair = pairing.pairs[k];
            ASSERT_TRUE(pair.file < files.size() && pair.track < c.tracks.size()) << c.name;
            if (k > 0) {
                EXPECT_LT(pairing.pairs[k - 1].file, pair.file) << c.name;
            }
            track[pair.file] = c.tracks[pair.track].number;
            doubtful[pair.file] = pair.doubtful;
            ++fileSeen[pair.file];
            ++trackSeen[pair.track];
        }
        for (size_t i = 0; i < files.size(); ++i) {
            EXPECT_EQ(track[i], c.files[i].expectedTrack) << c.name << ": " << files[i].fileName;
            EXPECT_EQ(doubtful[i], c.files[i].doubtful) << c.name << ": " << files[i].fileName;
        }
        // Every file is paired or listed unpaired, once; so is every track.
        for (size_t file : pairing.unpairedFiles) ++fileSeen[file];
        for (size_t t : pairing.unpairedTracks) ++trackSeen[t];
        EXPECT_EQ(std::count(fileSeen.begin(), fileSeen.end(), 1), static_cast<long>(files.size())) << c.name;
        EXPECT_EQ(std::count(trackSeen.begin(), trackSeen.end(), 1), static_cast<long>(c.tracks.size())) << c.name;
    }
}

TEST(PairTracks, PairsNothingBeyondItsLimits) {
    const std::vector<PairingFile> one = {{"01 Coda.mp3", std::nullopt, std::nullopt}};
    const std::vector<PairingFile> tooMany(kMaxPairedFiles + 1, {"01 Coda.mp3", std::nullopt, 1u});
    const std::vector<PairingTrack> tooManyTracks(kMaxPairedFiles + 1, {1u, "Coda"});
    struct Row {
        const char* name;
        const std::vector<PairingFile>& files;
        std::vector<PairingTrack> tracks;
    };
    const Row rows[] = {
        {"more files than the limit", tooMany, {{1u, "Coda"}}},
        {"more tracks than the limit", one, tooManyTracks},
        {"no tracks", one, {}},
        {"no files", {}, {{1u, "Coda"}}},
    };
    for (const Row& row : rows) {
        const Pairing pairing = PairTracks(row.files, row.tracks);
        EXPECT_TRUE(pairing.pairs.empty()) << row.name;
        EXPECT_EQ(pairing.unpairedFiles.size(), row.files.size()) << row.name;
        EXPECT_EQ(pairing.unpairedTracks.size(), row.tracks.size()) << row.name;
    }
}

// Tags and catalogue pages may hold titles of any length; the comparison
// stops at a bounded length, and what it compares still pairs.
TEST(PairTracks, LongTitlesStillPair) {
    const std::string longTitle = "Sea of Glass" + std::string(1 << 20, 'x');
    const std::vector<PairingFile> files = {{"a.mp3", longTitle, std::nullopt}, {"b.mp3", "Coda", std::nullopt}};
    const Pairing pairing = PairTracks(files, {{1u, "Coda"}, {2u, longTitle}});
    ASSERT_EQ(pairing.pairs.size(), 2u);
    EXPECT_EQ(pairing.pairs[0].track, 1u);
    EXPECT_EQ(pairing.pairs[1].track, 0u);
}

TEST(TitleFromFileName, NumbersAndSeparatorsGo) {
    struct Row {
        const char* fileName;
        const char* title;
        std::optional<unsigned> track;
    };
    const Row rows[] = {
        {"03 - Sea of Glass.flac", "Sea of Glass", 3u},
        {"1-03 Foo.mp3", "Foo", 3u},
        {"2.11 Foo.mp3", "Foo", 11u},
        {"1-5 Foo.mp3", "Foo", 5u},
        {"1.5 Degrees.mp3", "1.5 Degrees", std::nullopt},  // a decimal number is the title's
        {"04 1.5 Degrees.mp3", "1.5 Degrees", 4u},
        {"01. Paper Lanterns.ogg", "Paper Lanterns", 1u},
        {"07_Nightjar.opus", "Nightjar", 7u},
        {"12 \xE2\x80\x93 Coda.m4a", "Coda", 12u},  // en dash
        {"09) Coda.mp3", "Coda", 9u},
        {"  05   Salt and Ember  .mp3", "Salt and Ember", 5u},
        {"folder/04 Nightjar.mp3", "Nightjar", 4u},
        {"07.mp3", "", 7u},
        {"Nightjar.mp3", "Nightjar", std::nullopt},
        {"bonus.mp3", "bonus", std::nullopt},
        {"3rd Stone.mp3", "3rd Stone", std::nullopt},    // a number glued to a word is part of the title
        {"Mr. Blue Sky", "Mr. Blue Sky", std::nullopt},  // no extension: ". Blue Sky" has a blank
        {"Song.backup", "Song.backup", std::nullopt},    // too long for an extension
        {".mp3", ".mp3", std::nullopt},
        {"", "", std::nullopt},
        {"99999999999 Foo.mp3", "99999999999 Foo", std::nullopt},
        {"Bj\xC3\xB6rk \xE2\x80\x93 J\xC3\xB3ga.flac", "Bj\xC3\xB6rk \xE2\x80\x93 J\xC3\xB3ga", std::nullopt},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(TitleFromFileName(row.fileName), row.title) << row.fileName;
        EXPECT_EQ(SplitFileName(row.fileName).track, row.track) << row.fileName;
    }
}

}  // namespace
}  // namespace mivo_host
