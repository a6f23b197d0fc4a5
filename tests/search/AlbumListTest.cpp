// CMivo::FindArtistAlbumList against a scripted catalogue site: entries and
// their fields, the page walk and its ends, partial results, and messages.
#include <gtest/gtest.h>

#include "plugin/Mivo.h"
#include "tests/search/ScriptedSite.h"
#include "tests/support/LogCapture.h"
#include "tests/support/RecordingHost.h"

namespace {

using namespace searchtest;
using testsupport::RecordingHost;

const std::string kBase = "/artist/velnor-1/albums";
const std::wstring kBaseUrl = L"www.catalogue.example/artist/velnor-1/albums";

class AlbumListTest : public ::testing::Test {
protected:
    AlbumListTest() {
        host.proxy = site.Proxy();
        mivo.SetHost(&host);
        site.Page("/search?q=Velnor", SearchPage({{"/artist/velnor-1", "Velnor"}}));
    }

    // The titles in albums, in order.
    static std::vector<std::wstring> Titles(const AlbumInfoList& albums) {
        std::vector<std::wstring> titles;
        for (const AlbumInfo& album : albums) titles.push_back(album.title);
        return titles;
    }
    // Requests after the search page.
    std::vector<std::string> PageRequests() {
        std::vector<std::string> all = site.Requests();
        if (!all.empty() && all.front().rfind("/search?", 0) == 0) all.erase(all.begin());
        return all;
    }

    LogCapture log;
    ScriptedSite site;
    RecordingHost host;
    CMivo mivo;
};

TEST_F(AlbumListTest, OnePageGivesItsEntriesInPageOrder) {
    site.Page(kBase, AlbumListPage(AlbumEntry("/album/a-1", "First") + AlbumEntry("/album/b-2", "Second") +
                                   AlbumEntry("/album/c-3", "Third")));
    site.Page("/search?q=velnor", SearchPage({{"/artist/velnor-1", "Velnor"}}));
    AlbumInfoList albums;
    albums.push_back(AlbumInfo(L"left over"));
    EXPECT_EQ(mivo.FindArtistAlbumList(L"velnor", albums), 1);
    EXPECT_EQ(Titles(albums), (std::vector<std::wstring>{L"First", L"Second", L"Third"}));
    EXPECT_EQ(PageRequests(), std::vector<std::string>{kBase});
    const AlbumInfo& first = albums.front();
    EXPECT_EQ(first.artist, L"velnor") << "the name as asked, not the site's";
    EXPECT_EQ(first.url, L"www.catalogue.example/album/a-1");
    EXPECT_EQ(first.year, 0);
    EXPECT_EQ(first.genre, L"");
    EXPECT_EQ(first.trackCount, 0);
}

TEST_F(AlbumListTest, TitlesAreTrimmedButOtherwiseKeptAsWritten) {
    struct Row {
        std::string written;
        std::wstring expected;
    };
    const Row rows[] = {
        {"", L""},  // empty stays empty, not "Unknown"
        {"  Spaced  Out  ", L"Spaced  Out"},
        {"Salt &amp; Vinegar", L"Salt &amp; Vinegar"},
        {"Don&#39;t Look Back", L"Don&#39;t Look Back"},
        {"Don't Look Back", L"Don't Look Back"},
        {"Été indien", L"\u00C9t\u00E9 indien"},
    };
    std::string entries;
    for (size_t i = 0; i < std::size(rows); ++i)
        entries += AlbumEntry("/album/x-" + std::to_string(i), rows[i].written);
    site.Page(kBase, AlbumListPage(entries));
    AlbumInfoList albums;
    ASSERT_EQ(mivo.FindArtistAlbumList(L"Velnor", albums), 1);
    ASSERT_EQ(albums.size(), std::size(rows));
    auto album = albums.begin();
    for (const Row& row : rows) {
        EXPECT_EQ(album->title, row.expected) << "written as '" << row.written << "'";
        ++album;
    }
}

TEST_F(AlbumListTest, PagesAreFollowedWhileTheMarkerFollowsTheLastEntry) {
    site.Page(kBase, AlbumListPage(AlbumEntry("/album/p1", "One") + kNextPage));
    site.Page(kBase + "/page/2/",
              AlbumListPage(AlbumEntry("/album/p2a", "Two A") + AlbumEntry("/album/p2b", "Two B") + kNextPage));
    site.Page(kBase + "/page/3/", AlbumListPage(AlbumEntry("/album/p3", "Three")));
    site.Page(kBase + "/page/4/", AlbumListPage(AlbumEntry("/album/p4", "Never")));
    AlbumInfoList albums;
    EXPECT_EQ(mivo.FindArtistAlbumList(L"Velnor", albums), 1);
    EXPECT_EQ(PageRequests(), (std::vector<std::string>{kBase, kBase + "/page/2/", kBase + "/page/3/"}));
    EXPECT_EQ(Titles(albums), (std::vector<std::wstring>{L"One", L"Two A", L"Two B", L"Three"}));
}

TEST_F(AlbumListTest, WhereTheMarkerStandsDecides) {
    struct Row {
        const char* label;
        std::string firstPage;
        size_t pages;  // album pages requested
    };
    const Row rows[] = {
        {"marker above the only entry", AlbumListPage(kNextPage + AlbumEntry("/album/a", "A")), 1},
        {"marker between entries", AlbumListPage(AlbumEntry("/album/a", "A") + kNextPage + AlbumEntry("/album/b", "B")),
         1},
        {"marker behind the last entry", AlbumListPage(AlbumEntry("/album/a", "A") + kNextPage), 2},
        {"page without entries but with marker", AlbumListPage(kNextPage), 2},
        {"marker text in other case", AlbumListPage(AlbumEntry("/album/a", "A") + ">next page&raquo;<"), 1},
        {"marker with a decoded arrow", AlbumListPage(AlbumEntry("/album/a", "A") + ">Next Page\xC2\xBB<"), 1},
    };
    site.Page(kBase + "/page/2/", AlbumListPage(AlbumEntry("/album/z", "Z")));
    for (const Row& row : rows) {
        site.Page(kBase, row.firstPage);
        site.ClearRequests();
        AlbumInfoList albums;
        mivo.FindArtistAlbumList(L"Velnor", albums);
        EXPECT_EQ(PageRequests().size(), row.pages) << row.label;
    }
}

TEST_F(AlbumListTest, AFailedLaterPageKeepsTheEarlierEntries) {
    site.Page(kBase, AlbumListPage(AlbumEntry("/album/a", "A") + AlbumEntry("/album/b", "B") + kNextPage));
    site.Page(kBase + "/page/2/", "gone", 404);
    AlbumInfoList albums;
    EXPECT_EQ(mivo.FindArtistAlbumList(L"Velnor", albums), 1);
    EXPECT_EQ(Titles(albums), (std::vector<std::wstring>{L"A", L"B"}));
    EXPECT_EQ(log.Texts(L"WRN").size(), 1u) << "the download's own line";
}

TEST_F(AlbumListTest, AFailedFirstPageGivesNothing) {
    site.Page(kBase, "gone", 404);
    AlbumInfoList albums;
    albums.push_back(AlbumInfo(L"left over"));
    EXPECT_EQ(mivo.FindArtistAlbumList(L"Velnor", albums), 0);
    EXPECT_TRUE(albums.empty());
}

TEST_F(AlbumListTest, AnArtistWithoutAlbumsGivesNothing) {
    site.Page(kBase, AlbumListPage("<p>No albums found.</p>"));
    AlbumInfoList albums;
    EXPECT_EQ(mivo.FindArtistAlbumList(L"Velnor", albums), 0);
    EXPECT_TRUE(albums.empty());
    EXPECT_EQ(PageRequests().size(), 1u);
}

TEST_F(AlbumListTest, UnknownArtistIsReportedWithTheNameAsGiven) {
    site.Page("/search?q=%20Nobody%20", SearchPage({}));
    AlbumInfoList albums;
    albums.push_back(AlbumInfo(L"left over"));
    EXPECT_EQ(mivo.FindArtistAlbumList(L" Nobody ", albums), 0);
    EXPECT_TRUE(albums.empty());
    EXPECT_EQ(log.Texts(L"WRN"),
              std::vector<std::wstring>{L"FindArtistAlbumList():Can not find artistUrl for:  Nobody "});
}

TEST_F(AlbumListTest, StopEndsTheWalkKeepingWhatWasAppended) {
    site.Page(kBase, AlbumListPage(AlbumEntry("/album/a", "A") + AlbumEntry("/album/b", "B") + kNextPage));
    site.Page(kBase + "/page/2/", AlbumListPage(AlbumEntry("/album/c", "C")));
    struct Row {
        const char* label;
        int stopAt;  // the IsStopRequested question that first answers true
        std::vector<std::wstring> kept;
        size_t pages;
    };
    // Questions: 1 search download, 2 before the search hit, 3 before page 1,
    // 4 page 1 download, 5 before entry A, 6 before entry B, 7 before page 2.
    const Row rows[] = {
        {"before the first page", 3, {}, 0},
        {"before the first entry", 5, {}, 1},
        {"before the second entry", 6, {L"A"}, 1},
        {"before the second page", 7, {L"A", L"B"}, 1},
    };
    for (const Row& row : rows) {
        site.ClearRequests();
        host.Forget();
        host.stopWhen = [&row](int question) { return question >= row.stopAt; };
        AlbumInfoList albums;
        EXPECT_EQ(mivo.FindArtistAlbumList(L"Velnor", albums), 0) << row.label;
        EXPECT_EQ(Titles(albums), row.kept) << row.label;
        EXPECT_EQ(PageRequests().size(), row.pages) << row.label;
    }
}

TEST_F(AlbumListTest, ManyPagesAreWalkedToTheEnd) {
    const int pages = 12;
    for (int page = 1; page <= pages; ++page) {
        std::string target = page == 1 ? kBase : kBase + "/page/" + std::to_string(page) + "/";
        std::string entries = AlbumEntry("/album/n" + std::to_string(page), "N" + std::to_string(page));
        site.Page(target, AlbumListPage(entries + (page < pages ? kNextPage : "")));
    }
    AlbumInfoList albums;
    EXPECT_EQ(mivo.FindArtistAlbumList(L"Velnor", albums), 1);
    EXPECT_EQ(albums.size(), static_cast<size_t>(pages));
    EXPECT_EQ(albums.back().url, L"www.catalogue.example/album/n12");
}

}  // namespace
