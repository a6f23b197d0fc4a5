// The tag command's pure parts in process: its command line, what it
// searches for, and which files of a folder make an album.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/CommandLine.h"
#include "host/tagcommand/AlbumFiles.h"
#include "host/tagcommand/SearchTerms.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using namespace mivo_host;

TEST(TagCommandLine, OptionsAndUsageErrors) {
    struct Row {
        const char* name;
        std::vector<std::string> args;
        const char* error;  // a part of the usage error; "" when the line parses
    };
    const Row rows[] = {
        {"folders", {"tag", "a", "b"}, ""},
        {"every option", {"tag", "--artist", "X", "--album=Y", "--dry-run", "--yes", "--cover", "embed", "a"}, ""},
        {"options before the command", {"--yes", "--cover=file", "tag", "a"}, ""},
        {"no path", {"tag", "--yes"}, "an argument is missing"},
        {"empty path", {"tag", ""}, "an empty path"},
        {"unknown cover mode", {"tag", "--cover", "jpeg", "a"}, "--cover needs embed, file or none, not \"jpeg\""},
        {"blank artist", {"tag", "--artist", " ", "a"}, "--artist needs a non-empty text"},
        {"tag option with lookup", {"--yes", "lookup", "X"}, "--yes is an option of the tag command, not of lookup"},
        {"album option with albums", {"albums", "--album", "T", "X"}, "--album is an option of the tag command"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const ParseResult parsed = ParseCommandLine(row.args);
        EXPECT_NE(parsed.error.find(row.error), std::string::npos) << parsed.error;
        EXPECT_EQ(parsed.ok(), row.error[0] == '\0') << parsed.error;
    }
    const Options options =
        ParseCommandLine({"tag", "--artist", "Ärtist", "--album", "T", "--cover", "file", "--dry-run", "x", "--", "-y"})
            .options;
    EXPECT_EQ(options.command, Command::Tag);
    EXPECT_EQ(options.paths, (std::vector<std::string>{"x", "-y"}));
    EXPECT_EQ(options.tagArtist, L"Ärtist");
    EXPECT_EQ(options.cover, CoverMode::File);
    EXPECT_TRUE(options.dryRun);
    EXPECT_FALSE(options.yes);
}

TEST(TagCommandLine, HelpNamesTheCommandAndItsOptions) {
    const std::string help = HelpText();
    for (const char* word :
         {"\n  tag [--artist NAME]", "--cover MODE", "--dry-run", "--yes", "Write these tags? [y/N]"})
        EXPECT_NE(help.find(word), std::string::npos) << word;
    EXPECT_EQ(help.find("--timings"), std::string::npos);
    EXPECT_NE(CommandHelpText(Command::Tag).find("usage: mivo [options] tag [--artist NAME]"), std::string::npos);
}

AudioTags Tags(const char* artist, const char* albumArtist, const char* album) {
    AudioTags tags;
    if (artist) tags.artist = artist;
    if (albumArtist) tags.albumArtist = albumArtist;
    if (album) tags.album = album;
    return tags;
}

TEST(SearchTerms, FirstSourceThatHasEachField) {
    struct Row {
        const char* name;
        std::optional<std::wstring> artist;
        std::optional<std::wstring> album;
        std::vector<AudioTags> tags;
        const char* folder;
        const wchar_t* expectArtist;  // nullptr: an error naming the folder
        const wchar_t* expectAlbum;
    };
    const Row rows[] = {
        {"options", L"Opt Artist", L"Opt Album", {Tags("A", nullptr, "B")}, "/m/F - G", L"Opt Artist", L"Opt Album"},
        {"most common tag",
         {},
         {},
         {Tags("One", nullptr, "X"), Tags("Two", nullptr, "Y"), Tags("Two", nullptr, "Y")},
         "/m/f",
         L"Two",
         L"Y"},
        {"tie: the first file's", {}, {}, {Tags("One", nullptr, "X"), Tags("Two", nullptr, "Y")}, "/m/f", L"One", L"X"},
        {"album artist before artist",
         {},
         {},
         {Tags("Guest", "Band", "X"), Tags("Other", "Band", "X")},
         "/m/f",
         L"Band",
         L"X"},
        {"blank tags do not count",
         {},
         {},
         {Tags("  ", nullptr, ""), Tags(" Band ", nullptr, "X")},
         "/m/f",
         L"Band",
         L"X"},
        {"ARTIST - ALBUM folder",
         {},
         {},
         {Tags(nullptr, nullptr, nullptr)},
         "/m/Sea - Of - Glass",
         L"Sea",
         L"Of - Glass"},
        {"ARTIST/ALBUM folders", {}, {}, {}, "/music/Björk/Homogenic", L"Björk", L"Homogenic"},
        {"option and folder mixed", L"Given", {}, {}, "/music/Björk/Homogenic", L"Given", L"Homogenic"},
        {"tag and folder mixed",
         {},
         {},
         {Tags(nullptr, nullptr, "Tagged")},
         "/music/Björk/Homogenic",
         L"Björk",
         L"Tagged"},
        {"a folder at the root", {}, {}, {}, "/Homogenic", nullptr, nullptr},
        {"a dash with nothing before it", {}, L"X", {}, "/ - Homogenic", nullptr, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const SearchTerms terms = ChooseSearchTerms(row.artist, row.album, row.tags, row.folder);
        if (!row.expectArtist) {
            EXPECT_FALSE(terms.Ok());
            EXPECT_NE(terms.error.find(row.folder), std::string::npos) << terms.error;
            continue;
        }
        EXPECT_TRUE(terms.Ok()) << terms.error;
        EXPECT_EQ(terms.artist, row.expectArtist);
        EXPECT_EQ(terms.album, row.expectAlbum);
    }
}

TEST(AlbumFiles, AudioFilesDirectlyInTheFolderSortedNoLinks) {
    TempFolder temp;
    const fs::path folder = temp.path() / "album";
    fs::create_directories(folder / "sub");
    for (const char* name : {"b.MP3", "a.flac", "c.opus", "d.m4a", "e.oga", "f.ogg", "g.mp4", "cover.jpg", "notes.txt",
                             ".hidden.mp3", "sub/h.mp3"})
        WriteBytes(folder / name, "x");
    fs::create_symlink(folder / "a.flac", folder / "link.mp3");
    fs::create_symlink(folder, temp.path() / "linked");

    const std::vector<AlbumFiles> albums =
        CollectAlbums({folder.string(), (folder / "a.flac").string(), (temp.path() / "linked").string(),
                       (folder / "notes.txt").string(), (folder / "b.MP3").string(), (folder / "missing.mp3").string()},
                      10);
    ASSERT_EQ(albums.size(), 2u);
    std::vector<std::string> names;
    for (const std::string& file : albums[0].files) names.push_back(fs::path(file).filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"a.flac", "b.MP3", "c.opus", "d.m4a", "e.oga", "f.ogg", "g.mp4"}));
    EXPECT_EQ(albums[0].folder, folder.string());
    // The files given: one album of their own, sorted by name.
    EXPECT_EQ(albums[1].files, (std::vector<std::string>{(folder / "a.flac").string(), (folder / "b.MP3").string()}));
    ASSERT_EQ(albums[0].notes.size(), 3u);
    EXPECT_NE(albums[0].notes[0].find("a link; tag does not follow links"), std::string::npos);
    EXPECT_NE(albums[0].notes[1].find("not an audio file name"), std::string::npos);
    EXPECT_NE(albums[0].notes[2].find("no such file or folder"), std::string::npos);

    const std::vector<AlbumFiles> tooMany = CollectAlbums({folder.string()}, 6);
    ASSERT_EQ(tooMany.size(), 1u);
    EXPECT_TRUE(tooMany[0].files.empty());
    EXPECT_NE(tooMany[0].error.find("more than 6 audio files"), std::string::npos) << tooMany[0].error;

    fs::create_directories(temp.path() / "empty");
    const std::vector<AlbumFiles> empty = CollectAlbums({(temp.path() / "empty").string()}, 6);
    ASSERT_EQ(empty.size(), 1u);
    EXPECT_NE(empty[0].error.find("no audio files"), std::string::npos) << empty[0].error;
}

}  // namespace
