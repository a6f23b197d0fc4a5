// What the tag command means to write into each file, from tags read and an
// album found: in process, without files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/tagcommand/AlbumPlan.h"
#include "host/tagcommand/TagPreview.h"

namespace {

using namespace mivo_host;

AlbumResult Album(int year, const wchar_t* genre) {
    AlbumResult album;
    album.album = AlbumInfo(L"Sea Songs", L"Band", year, genre, L"www.catalogue.example/album/x", 3);
    album.tracks = {TrackInfo(L"Harbour", 1), TrackInfo(L"Lighthouse", 2), TrackInfo(L"Undertow", 3)};
    return album;
}

ReadTagsResult Read(const char* title, const char* artist, std::optional<unsigned> track = {}) {
    ReadTagsResult read;
    if (title) read.tags.title = title;
    if (artist) read.tags.artist = artist;
    read.tags.track = track;
    return read;
}

TEST(AlbumPlan, EachFilesChangesAndWhatIsLeftAlone) {
    std::vector<ReadTagsResult> reads = {
        Read("Harbour", "Guest Singer", 1),  // keeps its own artist
        Read("Lighthous", ""),               // an empty artist takes the album's
        Read("Undertow", nullptr, 3),        // read-only: paired, not written
        Read(nullptr, nullptr),              // unreadable
    };
    reads[2].readOnly = true;
    reads[3].failure = TagFailure{TagFailureKind::NotAudio, "not an audio file TagLib reads"};
    const std::vector<std::string> paths = {"/m/1.mp3", "/m/2.flac", "/m/3.ogg", "/m/4.mp3"};

    const AlbumPlan plan = PlanAlbum(paths, reads, Album(1999, L"Folk"), L"Band");
    ASSERT_EQ(plan.files.size(), 4u);
    EXPECT_EQ(plan.files[0].after.artist, "Guest Singer");
    EXPECT_EQ(plan.files[0].after.album, "Sea Songs");
    EXPECT_EQ(plan.files[0].after.year, 1999u);
    EXPECT_EQ(plan.files[0].after.genre, "Folk");
    EXPECT_EQ(plan.files[0].after.trackTotal, 3u);
    EXPECT_EQ(plan.files[1].after.artist, "Band");
    EXPECT_EQ(plan.files[1].after.title, "Lighthouse");
    EXPECT_EQ(plan.files[1].after.track, 2u);
    EXPECT_EQ(plan.files[2].track, 2u);
    EXPECT_FALSE(plan.files[2].skipped.empty());
    EXPECT_FALSE(plan.files[3].before.has_value());
    EXPECT_FALSE(plan.files[3].track.has_value());
    EXPECT_EQ(plan.files[3].skipped, "not an audio file TagLib reads");
    EXPECT_TRUE(plan.unpairedTracks.empty());

    const struct {
        size_t file;
        bool withCover;
        bool writes;
    } rows[] = {{0, false, true}, {1, false, true}, {2, false, false}, {2, true, false}, {3, true, false}};
    for (const auto& row : rows)
        EXPECT_EQ(WillWrite(plan.files[row.file], row.withCover), row.writes) << row.file << " " << row.withCover;

    const std::string preview = FormatPreview("/m", Album(1999, L"Folk"), L"Band", plan, false);
    EXPECT_NE(preview.find("  2.flac → 2 Lighthouse\n      title: \"Lighthous\" → \"Lighthouse\"\n      artist: \"\" → "
                           "\"Band\"\n"),
              std::string::npos)
        << preview;
    EXPECT_NE(preview.find("  3.ogg → 3 Undertow: skipped: read-only"), std::string::npos) << preview;
    EXPECT_NE(preview.find("  4.mp3: skipped: not an audio file TagLib reads"), std::string::npos) << preview;
}

TEST(AlbumPlan, UnknownYearAndGenreAreNotWrittenAndARightFileNeedsNoWrite) {
    ReadTagsResult done = Read("Harbour", "Band", 1);
    done.tags.album = "Sea Songs";
    done.tags.trackTotal = 3;
    const AlbumPlan plan = PlanAlbum({"/m/1.mp3"}, {done}, Album(0, L""), L"Band");
    ASSERT_EQ(plan.files.size(), 1u);
    EXPECT_FALSE(plan.files[0].changes.year.has_value());
    EXPECT_FALSE(plan.files[0].changes.genre.has_value());
    EXPECT_TRUE(ChangedFields(*plan.files[0].before, plan.files[0].after).empty());
    EXPECT_FALSE(WillWrite(plan.files[0], false));
    EXPECT_TRUE(WillWrite(plan.files[0], true));
    EXPECT_EQ(plan.unpairedTracks, (std::vector<size_t>{1, 2}));
    const std::string preview = FormatPreview("/m", Album(0, L""), L"Band", plan, false);
    EXPECT_NE(preview.find("Year    -\nGenre   -\n"), std::string::npos) << preview;
    EXPECT_NE(preview.find("      no change\n"), std::string::npos) << preview;
    EXPECT_NE(preview.find("Tracks no file got:\n  2 Lighthouse\n  3 Undertow\n"), std::string::npos) << preview;
}

}  // namespace
