// The three page walks over hostile pages of about a megabyte (unclosed
// quotes and tags, near misses by the thousand), served by a scripted
// catalogue site: each gives what its patterns find there. And a track row
// whose block also stands earlier on the page is read from there, as the walk
// resumes behind the first occurrence of a block.
#include <gtest/gtest.h>

#include "plugin/Mivo.h"
#include "tests/search/ScriptedSite.h"
#include "tests/support/LogCapture.h"
#include "tests/support/RecordingHost.h"

namespace {

using namespace searchtest;
using testsupport::RecordingHost;

constexpr size_t kMegabyte = 1 << 20;

// How many pieces Fill puts together.
size_t Times(const std::string& piece, size_t length = kMegabyte) { return (length + piece.size() - 1) / piece.size(); }

// Pieces up to length characters or a little more.
std::string Fill(const std::string& piece, size_t length = kMegabyte) {
    std::string out;
    for (size_t n = Times(piece, length); n > 0; --n) out += piece;
    return out;
}

class HostilePagesTest : public ::testing::Test {
protected:
    HostilePagesTest() {
        host.proxy = site.Proxy();
        host.maxDifference = 1000.0f;
        mivo.SetHost(&host);
    }

    LogCapture log;
    ScriptedSite site;
    RecordingHost host;
    CMivo mivo;
};

TEST_F(HostilePagesTest, ArtistSearchFindsTheLinksThePatternFinds) {
    const std::string start = "<a href=\"http://www.catalogue.example/artist/";
    const std::string link = start + "v\">Velnor</a><span class=\"mod_attrib\">";
    struct Row {
        const char* label;
        std::string page;
        std::wstring url;
    };
    const Row rows[] = {
        // The first start's tag runs on to the one tag end, before the link text.
        {"unclosed tags, then a link", Fill(start + "a\" ") + link, L"www.catalogue.example/artist/a/albums"},
        // The last start's path runs on to the quote of the link's own start.
        {"unclosed quotes, then a link", Fill(start + "a title=x>Velnor</a>\n") + link,
         L"www.catalogue.example/artist/a title=x>Velnor</a>\n<a href=/albums"},
        {"links closing neither quote nor tag", link + Fill(start + "a-name "),
         L"www.catalogue.example/artist/v/albums"},
        {"near misses, then a link", Fill("<a href=\"http://www.catalogue.example/artis") + link,
         L"www.catalogue.example/artist/v/albums"},
        {"a link, then unclosed tags", link + Fill(start + "a\" "), L"www.catalogue.example/artist/v/albums"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        site.Page("/search?q=Velnor", row.page);
        CString url;
        EXPECT_EQ(mivo.FindArtistUrl(L"Velnor", url), row.url.empty() ? 0 : 1);
        EXPECT_EQ(url.str(), row.url);
    }
}

TEST_F(HostilePagesTest, AlbumWalkFindsTheEntriesThePatternFinds) {
    const std::string entry = AlbumEntry("/album/a-1", "Album");
    struct Row {
        const char* label;
        std::string page;
    };
    const Row rows[] = {
        {"unclosed quotes", entry + Fill("<h3 class=\"albumTitle\"><a href=\"/album/x title=y>'x'</a>\n") + entry},
        {"unclosed tags", entry + Fill("<h3 class=\"albumTitle\"> <a href=\"/album/x\" ") + entry},
        {"unclosed titles", entry + Fill("<h3 class=\"albumTitle\"> <a href=\"/album/x\">'open ") + entry},
        {"near misses", entry + Fill("<h3 class=\"albumTitle\">\n<a href=\"/albu") + entry},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        site.Page("/artist/a/albums", row.page);
        site.Page("/search?q=A", SearchPage({{"/artist/a", "A"}}));
        AlbumInfoList albums;
        EXPECT_EQ(mivo.FindArtistAlbumList(L"A", albums), 1);
        ASSERT_EQ(albums.size(), 2u);
        EXPECT_EQ(albums.back().url, L"www.catalogue.example/album/a-1");
    }
}

TEST_F(HostilePagesTest, TrackWalkFindsTheRowsTheMarkersGive) {
    const std::string rowStart = "<div class=\"albumBlkSong\">";
    struct Row {
        const char* label;
        std::string page;
        std::vector<std::wstring> titles;
    };
    const std::string tail = "<a>T</a></div>" + std::string(20, '.');
    const std::string nearMiss = "<div class=\"albumBlk" + TrackRow("T");
    const Row rows[] = {
        {"one long row", Fill("x", kMegabyte / 2) + rowStart + Fill("x", kMegabyte / 2) + "</div>", {}},
        {"long row with a title",
         Fill("x", kMegabyte / 2) + rowStart + Fill("x", kMegabyte / 2) + "<a>T</a></div>",
         {L"T"}},
        {"unclosed rows", Fill(rowStart + "<a>T</a>"), {}},
        {"rows between near misses", Fill(nearMiss), std::vector<std::wstring>(Times(nearMiss), L"T")},
        {"block standing earlier too", tail + rowStart + tail, {L"T", L"T"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        site.Page("/album/x", row.page);
        AlbumInfo album(L"T", L"A", 0, L"", L"www.catalogue.example/album/x", 0);
        std::wstring cover;
        TrackInfoList tracks;
        EXPECT_EQ(mivo.GetAlbumDetails(album, cover, tracks), 1);
        std::vector<std::wstring> titles;
        for (const TrackInfo& track : tracks) titles.push_back(track.title);
        EXPECT_EQ(titles, row.titles);
    }
}

}  // namespace
