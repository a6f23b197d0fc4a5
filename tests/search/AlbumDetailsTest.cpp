// CMivo::GetAlbumDetails against a scripted catalogue site: year, cover,
// genre, track rows, their order on the page, partial results and messages.
#include <gtest/gtest.h>

#include "plugin/Mivo.h"
#include "tests/search/ScriptedSite.h"
#include "tests/support/LogCapture.h"
#include "tests/support/RecordingHost.h"
#include "text/RegexMatcher.h"

namespace {

using namespace searchtest;
using testsupport::RecordingHost;

const std::string kPath = "/album/test-1";
const std::wstring kUrl = L"www.catalogue.example/album/test-1";

class AlbumDetailsTest : public ::testing::Test {
protected:
    AlbumDetailsTest() {
        host.proxy = site.Proxy();
        mivo.SetHost(&host);
    }

    // Serves body at the album address and runs GetAlbumDetails on a fresh
    // album whose year, genre and trackCount hold sentinels.
    int Run(const std::string& body) {
        site.Page(kPath, body);
        album = AlbumInfo(L"T", L"A", 1111, L"sentinel", kUrl, 77);
        log.Clear();
        return mivo.GetAlbumDetails(album, cover, tracks);
    }
    // This operation's own lines of one label.
    std::vector<std::wstring> Own(const std::wstring& label) {
        std::vector<std::wstring> own;
        for (const std::wstring& text : log.Texts(label))
            if (text.rfind(L"GetAlbumDetails", 0) == 0) own.push_back(text);
        return own;
    }
    std::vector<std::wstring> TrackTitles() const {
        std::vector<std::wstring> titles;
        for (const TrackInfo& track : tracks) titles.push_back(track.title);
        return titles;
    }

    LogCapture log;
    ScriptedSite site;
    RecordingHost host;
    CMivo mivo;
    AlbumInfo album;
    std::wstring cover = L"cover sentinel";
    TrackInfoList tracks;
};

TEST_F(AlbumDetailsTest, YearFromTheRecordingDateElseTheReleaseDate) {
    struct Row {
        const char* label;
        std::string lines;
        int year;
        std::wstring debug;    // expected Debug line, or empty
        std::wstring warning;  // expected Warning line about the year, or empty
    };
    const Row rows[] = {
        {"recording wins", DateLine("Release Date", "1975") + DateLine("Recording Date", "1971"), 1971, L"", L""},
        {"release only", DateLine("Release Date", "1975"), 1975, L"", L""},
        {"month day, year", DateLine("Recording Date", "May 14, 1971"), 1971, L"", L""},
        {"day/month/year", DateLine("Release Date", "14/05/1971"), 1971, L"", L""},
        {"first run of four digits", DateLine("Release Date", "12345"), 1234, L"", L""},
        {"blank-free label", "<p class=\"detailHead\">Release Date:<span class=\"detailItem\">1980</span></p>", 1980,
         L"", L""},
        {"two-digit year", DateLine("Release Date", "'71"), 1111,
         L"GetAlbumDetails: AlbumYear not found. '71 : www.catalogue.example/album/test-1", L""},
        {"yearless recording hides the release",
         DateLine("Recording Date", "Spring") + DateLine("Release Date", "1975"), 1111,
         L"GetAlbumDetails: AlbumYear not found. Spring : www.catalogue.example/album/test-1", L""},
        {"no date lines", "<p>nothing</p>", 1111, L"",
         L"GetAlbumDetails: AlbumYear not found: www.catalogue.example/album/test-1"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Run(Wrap(row.lines + CoverElement("c.jpg") + GenreElement("Rock"))), 1) << row.label;
        EXPECT_EQ(album.year, row.year) << row.label;
        EXPECT_EQ(Own(L"DBG").empty() ? L"" : Own(L"DBG").back(), row.debug) << row.label;
        auto warnings = Own(L"WRN");
        EXPECT_EQ(warnings.empty() ? L"" : warnings.front(), row.warning) << row.label;
    }
}

TEST_F(AlbumDetailsTest, CoverAddressAsWrittenOrEmptyWhenMissing) {
    struct Row {
        const char* label;
        std::string element;
        std::wstring cover;
        bool warned;
    };
    const Row rows[] = {
        {"plain", CoverElement("http://img.example/c/1.jpg"), L"http://img.example/c/1.jpg", false},
        {"relative, entity kept", CoverElement("/c/a&amp;b.jpg"), L"/c/a&amp;b.jpg", false},
        {"missing marker", CoverElement("http://www.catalogue.example/images/albumartmissing.gif"), L"", false},
        {"missing marker inside", CoverElement("/x/no_albumartmissing_big.png"), L"", false},
        {"no cover element", "<img src=\"x.jpg\">", L"cover sentinel", true},
    };
    for (const Row& row : rows) {
        cover = L"cover sentinel";
        EXPECT_EQ(Run(Wrap(DateLine("Release Date", "1999") + row.element + GenreElement("Rock"))), 1) << row.label;
        EXPECT_EQ(cover, row.cover) << row.label;
        std::vector<std::wstring> expected;
        if (row.warned) expected.push_back(L"GetAlbumDetails: CoverExpression not found: " + kUrl);
        EXPECT_EQ(Own(L"WRN"), expected) << row.label;
    }
}

TEST_F(AlbumDetailsTest, GenreJoinedAndOnlyBehindTheCover) {
    struct Row {
        const char* label;
        std::string body;
        std::wstring genre;
    };
    const Row rows[] = {
        {"one word", CoverElement("c.jpg") + GenreElement("Rock"), L"Rock"},
        {"two words", CoverElement("c.jpg") + GenreElement("Pop Rock"), L"PopRock"},
        {"blanks and line feeds", CoverElement("c.jpg") + GenreElement("  Folk \n Rock\n"), L"FolkRock"},
        {"entity kept", CoverElement("c.jpg") + GenreElement("R&amp;B"), L"R&amp;B"},
        {"before the cover", GenreElement("Jazz") + CoverElement("c.jpg"), L"sentinel"},
        {"before and behind", GenreElement("Jazz") + CoverElement("c.jpg") + GenreElement("Blues"), L"Blues"},
        {"no cover, anywhere", GenreElement("Soul"), L"Soul"},
        {"none", CoverElement("c.jpg"), L"sentinel"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Run(Wrap(DateLine("Release Date", "1999") + row.body)), 1) << row.label;
        EXPECT_EQ(album.genre, row.genre) << row.label;
        auto warnings = Own(L"WRN");
        bool warned = std::find(warnings.begin(), warnings.end(),
                                L"GetAlbumDetails: GenreExpression not found: " + kUrl) != warnings.end();
        EXPECT_EQ(warned, row.genre == L"sentinel") << row.label;
    }
}

TEST_F(AlbumDetailsTest, TrackTitlesAreDecodedAndLoseTheirBrackets) {
    struct Row {
        std::string written;
        std::wstring expected;
    };
    const Row rows[] = {
        {"Run (Live) [Remastered]", L"Run Live Remastered"},
        {"Tea &amp; Sympathy", L"Tea & Sympathy"},
        {"Don&#39;t Say &quot;Never&quot;", L"Don't Say \"Never\""},
        {"&lt;Intro&gt;", L"<Intro>"},
        {"  Caf&eacute;  ", L"Caf\u00E9"},
        {"([Hidden])", L"Hidden"},
        {"&#91;Bonus&#93;", L"Bonus"},
        {"星の歌 (Acoustic)", L"\u661F\u306E\u6B4C Acoustic"},
    };
    std::string rowsHtml;
    for (const Row& row : rows) rowsHtml += TrackRow(row.written);
    ASSERT_EQ(Run(Wrap(CoverElement("c.jpg") + GenreElement("Rock") + "<table>\n" + rowsHtml + "</table>\n")), 1);
    ASSERT_EQ(tracks.size(), std::size(rows));
    int number = 1;
    auto track = tracks.begin();
    for (const Row& row : rows) {
        EXPECT_EQ(track->title, row.expected) << row.written;
        EXPECT_EQ(track->number, number++) << row.written;
        EXPECT_TRUE(track->extra1.empty() && track->extra5.empty()) << row.written;
        ++track;
    }
    EXPECT_EQ(album.trackCount, static_cast<int>(std::size(rows)));
}

TEST_F(AlbumDetailsTest, RowsWithoutALinkAreSkippedWithAWarning) {
    const std::string rows =
        TrackRow("One") + TrackRow("Plain", false) + TrackRow("Two") + TrackRow("Three") + TrackRow("Four");
    ASSERT_EQ(Run(Wrap(DateLine("Release Date", "1999") + CoverElement("c.jpg") + GenreElement("Rock") + rows)), 1);
    EXPECT_EQ(TrackTitles(), (std::vector<std::wstring>{L"One", L"Two", L"Three", L"Four"}));
    EXPECT_EQ(tracks.back().number, 4);
    EXPECT_EQ(album.trackCount, 4);
    EXPECT_EQ(Own(L"WRN"), std::vector<std::wstring>{L"GetAlbumDetails: TrackExpression not found: " + kUrl});
}

// The title of a row is what the pattern ">([^<]+)</a>" finds in the row
// block; the pattern itself, through CRegexMatcher, is the oracle here.
TEST_F(AlbumDetailsTest, TrackTitleIsWhatTheTitlePatternFindsInTheRow) {
    const std::string rows[] = {
        "<a href=\"/s\">Plain</a>",
        "<span class=\"n\">No link</span><a href=\"/s\">Later link</a>",
        "<a>>Double bracket</a>",
        "<a href=\"/s\"></a><a href=\"/t\">Second, first was empty</a>",
        "<b>bold</b> then <a href=\"/s\">link</a>",
        "<a href=\"/s\">Two > signs > inside</a>",
        "<a href=\"/s\">Upper</A>",
        "<a href=\"/s\">Line\nbreak</a>",
        "text only, no tags",
        "<a href=\"/s\">unclosed",
        "> leading run</a>",
    };
    for (const std::string& content : rows) {
        const std::string block = "<div class=\"albumBlkSong\">" + content + "</div>";
        // The row block the walk reads: behind the start marker, up to 20 characters past "</div>".
        const std::string page =
            Wrap(CoverElement("c.jpg") + GenreElement("Rock") + block + "<!-- twenty-two chars -->\n");
        CString rowBlock;
        std::string expected;
        {
            const std::wstring wpage = W(page);
            const size_t s = wpage.find(L"<div class=\"albumBlkSong\">");
            const size_t e = wpage.find(L"</div>", s);
            rowBlock = CString(wpage.substr(s + 26, e - s));
        }
        CRegexMatcher oracle;
        CString group;
        const bool found = oracle.FindFirst(rowBlock, L">([^<]+)</a>", true) && oracle.GetMatch(1, group);
        tracks.clear();
        ASSERT_EQ(Run(page), 1) << content;
        ASSERT_EQ(tracks.size(), found ? 1u : 0u) << content;
        if (found) {
            CString title = group;
            title.Trim();
            EXPECT_EQ(tracks.front().title, title.str()) << content;
        }
    }
}

TEST_F(AlbumDetailsTest, TrackRowsAreReadOnlyBehindTheGenre) {
    const std::string body =
        TrackRow("Early") + CoverElement("c.jpg") + TrackRow("Between") + GenreElement("Rock") + TrackRow("Late");
    ASSERT_EQ(Run(Wrap(body)), 1);
    EXPECT_EQ(TrackTitles(), std::vector<std::wstring>{L"Late"});
}

// The block of a row runs 20 characters past its "</div>", and the walk
// resumes behind the block: a row starting within those characters is lost.
TEST_F(AlbumDetailsTest, TheWalkResumesBehindTheRowBlock) {
    const std::string tight = "<div class=\"albumBlkSong\"><a href=\"/s/1\">First</a></div>"
                              "<div class=\"albumBlkSong\"><a href=\"/s/2\">Second</a></div>";
    const std::string wide = "<div class=\"albumBlkSong\"><a href=\"/s/1\">First</a></div>"
                             "<!-- exactly twenty -><div class=\"albumBlkSong\"><a href=\"/s/2\">Second</a></div>";
    ASSERT_EQ(Run(Wrap(CoverElement("c.jpg") + GenreElement("Rock") + tight)), 1);
    EXPECT_EQ(TrackTitles(), std::vector<std::wstring>{L"First"});
    tracks.clear();
    ASSERT_EQ(Run(Wrap(CoverElement("c.jpg") + GenreElement("Rock") + wide)), 1);
    EXPECT_EQ(TrackTitles(), (std::vector<std::wstring>{L"First", L"Second"}));
}

TEST_F(AlbumDetailsTest, NoRowsGiveZeroTracks) {
    EXPECT_EQ(Run(Wrap(CoverElement("c.jpg") + GenreElement("Rock"))), 1);
    EXPECT_TRUE(tracks.empty());
    EXPECT_EQ(album.trackCount, 0);
}

TEST_F(AlbumDetailsTest, TracksAreAppendedAndNumberedFromOneEachCall) {
    const std::string page = Wrap(CoverElement("c.jpg") + GenreElement("Rock") + TrackRow("A") + TrackRow("B"));
    tracks.push_back(TrackInfo(L"host's own", 9));
    ASSERT_EQ(Run(page), 1);
    ASSERT_EQ(Run(page), 1);
    std::vector<int> numbers;
    for (const TrackInfo& track : tracks) numbers.push_back(track.number);
    EXPECT_EQ(numbers, (std::vector<int>{9, 1, 2, 1, 2}));
    EXPECT_EQ(album.trackCount, 2);
}

TEST_F(AlbumDetailsTest, StopDuringTheTrackWalkKeepsAppendedTracks) {
    const std::string page = Wrap(DateLine("Release Date", "1975") + CoverElement("c.jpg") + GenreElement("Rock") +
                                  TrackRow("A") + TrackRow("B") + TrackRow("C"));
    // Questions: 1 the download, 2 before row A, 3 before row B.
    host.stopWhen = [](int question) { return question >= 3; };
    EXPECT_EQ(Run(page), 0);
    EXPECT_EQ(TrackTitles(), std::vector<std::wstring>{L"A"});
    EXPECT_EQ(album.trackCount, 77) << "trackCount is not written";
    EXPECT_EQ(album.year, 1975) << "fields read before the walk stay";
    EXPECT_EQ(album.genre, L"Rock");
}

TEST_F(AlbumDetailsTest, FailedDownloadWritesNothing) {
    site.Page(kPath, "gone", 404);
    album = AlbumInfo(L"T", L"A", 1111, L"sentinel", kUrl, 77);
    EXPECT_EQ(mivo.GetAlbumDetails(album, cover, tracks), 0);
    EXPECT_EQ(album.year, 1111);
    EXPECT_EQ(album.genre, L"sentinel");
    EXPECT_EQ(album.trackCount, 77);
    EXPECT_EQ(cover, L"cover sentinel");
    EXPECT_TRUE(tracks.empty());
}

TEST_F(AlbumDetailsTest, AnEmptyPageGivesOnlyWarnings) {
    EXPECT_EQ(Run(""), 1);
    EXPECT_EQ(album.year, 1111);
    EXPECT_EQ(album.trackCount, 0);
    EXPECT_EQ(cover, L"cover sentinel");
    EXPECT_EQ(Own(L"WRN"), (std::vector<std::wstring>{L"GetAlbumDetails: AlbumYear not found: " + kUrl,
                                                      L"GetAlbumDetails: CoverExpression not found: " + kUrl,
                                                      L"GetAlbumDetails: GenreExpression not found: " + kUrl}));
}

}  // namespace
