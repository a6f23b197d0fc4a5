// Tests of mivo-catalogue: the program is started on a free loopback port and
// its pages are fetched with httplib's client, directly and through it as a
// forward proxy. Expected content comes from the shipped data file.
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include "catalogue/HtmlEscape.h"
#include "tests/support/CatalogueProcess.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"

namespace {

using nlohmann::json;

const char* const kSite = "www.catalogue.example";

// The reading points, as plain ECMAScript patterns over the UTF-8 page.
const std::regex kArtistLink(
    R"re(<a href="http://www\.catalogue\.example(/artist/[^"]+)"[^>]*>([^<]+)</a><span class="mod_attrib">)re");
const std::regex kAlbumEntry(R"re(<h3 class="albumTitle">[^<]*<a href="(/album/[^"]+)">'([^<]*)'</a>)re");
const std::string kNextMarker = ">Next Page&raquo;<";

json LoadData() {
    std::ifstream in(MIVO_CATALOGUE_DATA);
    return json::parse(in);
}

using catalogue::HtmlEscape;

std::vector<std::pair<std::string, std::string>> ArtistHits(const std::string& page) {
    std::vector<std::pair<std::string, std::string>> hits;
    for (std::sregex_iterator it(page.begin(), page.end(), kArtistLink), end; it != end; ++it)
        hits.emplace_back((*it)[1], (*it)[2]);
    return hits;
}

class CatalogueServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_server =
            std::make_unique<testsupport::CatalogueProcess>(MIVO_CATALOGUE_PATH,
                                                            std::vector<std::string>{"--data", MIVO_CATALOGUE_DATA});
        s_data = std::make_unique<json>(LoadData());
    }
    static void TearDownTestSuite() {
        s_server.reset();
        s_data.reset();
    }
    void SetUp() override { ASSERT_TRUE(s_server->Started()) << "mivo-catalogue did not report its port"; }

    // GET of an origin-form target on the server itself.
    httplib::Result Get(const std::string& target) {
        httplib::Client client("127.0.0.1", s_server->Port());
        client.set_url_encode(false);  // targets are sent exactly as written
        return client.Get(target.c_str());
    }
    // GET of http://host<target> with the server as forward proxy.
    httplib::Result GetThroughProxy(const std::string& host, const std::string& target) {
        httplib::Client client(host, 80);
        client.set_proxy("127.0.0.1", s_server->Port());
        client.set_url_encode(false);
        return client.Get(target.c_str());
    }
    const json& ArtistNamed(const std::string& name) {
        for (const json& a : (*s_data)["artists"])
            if (a["name"] == name) return a;
        throw std::runtime_error("no artist " + name + " in the data file");
    }

    static std::unique_ptr<testsupport::CatalogueProcess> s_server;
    static std::unique_ptr<json> s_data;
};

std::unique_ptr<testsupport::CatalogueProcess> CatalogueServerTest::s_server;
std::unique_ptr<json> CatalogueServerTest::s_data;

TEST_F(CatalogueServerTest, DataFileHasTheCasesTheSearchNeeds) {
    const json& artists = (*s_data)["artists"];
    size_t albums = 0, maxAlbums = 0, missingCovers = 0, missingGenres = 0;
    for (const json& a : artists) {
        albums += a["albums"].size();
        maxAlbums = std::max(maxAlbums, a["albums"].size());
        for (const json& b : a["albums"]) {
            missingCovers += !b.contains("cover");
            missingGenres += !b.contains("genre");
        }
    }
    EXPECT_GE(artists.size(), 25u);
    EXPECT_GE(albums, 120u);
    EXPECT_GT(maxAlbums, 30u) << "one artist needs more than 3 pages of 10 albums";
    EXPECT_GT(missingCovers, 0u);
    EXPECT_GT(missingGenres, 0u);
}

TEST_F(CatalogueServerTest, SearchFindsArtistsInRankOrder) {
    struct Row {
        const char* query;               // as sent, percent-encoded
        std::vector<std::string> names;  // expected hits, in order
    };
    const Row rows[] = {
        {"Harlan%20%26%20Vey", {"Harlan &amp; Vey"}},
        {"harlan+%26+vey", {"Harlan &amp; Vey"}},
        {"velnor", {"Velnor", "Velnor 182", "Velnor Quartet"}},
        {"Quorin", {"Quorin (US)", "Quorin (UK)"}},
        {"ploms", {"Ploms Revival Band", "The Ploms"}},
        {"the%20ploms", {"The Ploms"}},
        {"%D0%BA%D0%B8%D1%80%D0%B8%D0%BB%D0%BB", {"Кирилл Зорин"}},  // lower-case Cyrillic query
        {"S%C3%89VERINE", {"Séverine Aubrac"}},
        {"%E5%A4%9C%E8%A1%8C%E5%88%97%E8%BB%8A", {"夜行列車"}},
        {"zz-no-such-artist", {}},
        {"", {}},
        {"%20%20", {}},
    };
    for (const Row& row : rows) {
        auto res = Get(std::string("/search?q=") + row.query);
        ASSERT_TRUE(res) << row.query;
        ASSERT_EQ(res->status, 200) << row.query;
        std::vector<std::string> names;
        for (const auto& hit : ArtistHits(res->body)) {
            names.push_back(hit.second);
            EXPECT_EQ(hit.first.rfind("/artist/", 0), 0u) << row.query;
        }
        EXPECT_EQ(names, row.names) << "query " << row.query;
    }
}

TEST_F(CatalogueServerTest, SearchHitsLinkToArtistsOfTheData) {
    auto res = Get("/search?q=quorin");
    ASSERT_TRUE(res);
    for (const auto& hit : ArtistHits(res->body)) {
        std::string name = hit.second == "Quorin (US)" ? "Quorin (US)" : "Quorin (UK)";
        EXPECT_EQ(hit.first, "/artist/" + ArtistNamed(name)["slug"].get<std::string>());
    }
    // Links in the side box and under album hits are not followed by the attribution span.
    auto all = Get("/search?q=salt");
    ASSERT_TRUE(all);
    EXPECT_NE(all->body.find("/album/"), std::string::npos) << "album hits expected for 'salt'";
    EXPECT_TRUE(ArtistHits(all->body).empty());
}

TEST_F(CatalogueServerTest, ProxyFormAnswersForTheSiteOnly) {
    auto direct = Get("/search?q=Velnor%20182");
    auto proxied = GetThroughProxy(kSite, "/search?q=Velnor%20182");
    ASSERT_TRUE(direct);
    ASSERT_TRUE(proxied);
    EXPECT_EQ(proxied->status, 200);
    EXPECT_EQ(proxied->body, direct->body);
    EXPECT_NE(proxied->get_header_value("Content-Type").find("charset=utf-8"), std::string::npos);

    auto other = GetThroughProxy("www.elsewhere.example", "/search?q=Velnor");
    ASSERT_TRUE(other);
    EXPECT_EQ(other->status, 502);
}

TEST_F(CatalogueServerTest, AlbumListPagingEnds) {
    const json& many = ArtistNamed("Marastella");
    const json& exact = ArtistNamed("Korva");  // exactly one full page
    std::string manyBase = "/artist/" + many["slug"].get<std::string>() + "/albums";
    std::string exactBase = "/artist/" + exact["slug"].get<std::string>() + "/albums";
    size_t lastPage = (many["albums"].size() + 9) / 10;
    struct Row {
        std::string target;
        int status;
        bool marker;
    };
    const Row rows[] = {
        {manyBase, 200, true},
        {manyBase + "/", 200, true},
        {manyBase + "/page/1/", 200, true},
        {manyBase + "/page/2/", 200, true},
        {manyBase + "/page/" + std::to_string(lastPage), 200, false},
        {manyBase + "/page/" + std::to_string(lastPage + 1) + "/", 404, false},
        {manyBase + "/page/0/", 404, false},
        {manyBase + "/page/x/", 404, false},
        {exactBase, 200, false},
        {exactBase + "/page/2/", 404, false},
        {"/artist/no-such-artist/albums", 404, false},
    };
    for (const Row& row : rows) {
        auto res = Get(row.target);
        ASSERT_TRUE(res) << row.target;
        EXPECT_EQ(res->status, row.status) << row.target;
        EXPECT_EQ(res->body.find(kNextMarker) != std::string::npos, row.marker) << row.target;
    }
}

TEST_F(CatalogueServerTest, PageSizeOptionSetsEntriesPerPage) {
    testsupport::CatalogueProcess small(MIVO_CATALOGUE_PATH, {"--data", MIVO_CATALOGUE_DATA, "--page-size", "3"});
    ASSERT_TRUE(small.Started());
    const json& artist = ArtistNamed("Velnor");  // 4 albums: pages of 3 and 1
    httplib::Client client("127.0.0.1", small.Port());
    std::string base = "/artist/" + artist["slug"].get<std::string>() + "/albums";
    auto first = client.Get(base.c_str());
    auto second = client.Get((base + "/page/2/").c_str());
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    auto count = [](const std::string& body) {
        return std::distance(std::sregex_iterator(body.begin(), body.end(), kAlbumEntry), std::sregex_iterator());
    };
    EXPECT_EQ(count(first->body), 3);
    EXPECT_NE(first->body.find(kNextMarker), std::string::npos);
    EXPECT_EQ(count(second->body), 1);
    EXPECT_EQ(second->body.find(kNextMarker), std::string::npos);
}

// Every album page carries what the data holds, in the order cover, genre,
// track rows, with the date lines and the track rows in the fixed markup.
TEST_F(CatalogueServerTest, AlbumPagesCarryTheirData) {
    const std::regex recording(
        R"re(<p class="detailHead">Recording Date:\s*<span class="detailItem">([^<]+)</span></p>)re");
    const std::regex release(
        R"re(<p class="detailHead">Release Date:\s*<span class="detailItem">([^<]+)</span></p>)re");
    const std::regex cover(R"re(<img class="albumArt" src="([^"]+)")re");
    const std::regex genre(R"re(<dd class="detailLink">([^<]+)</dd>)re");
    const std::string rowStart = "<div class=\"albumBlkSong\">";
    for (const json& artist : (*s_data)["artists"]) {
        for (const json& album : artist["albums"]) {
            std::string slug = album["slug"];
            auto res = GetThroughProxy(kSite, "/album/" + slug);
            ASSERT_TRUE(res) << slug;
            ASSERT_EQ(res->status, 200) << slug;
            const std::string& body = res->body;
            std::smatch m;
            EXPECT_EQ(std::regex_search(body, m, recording), album.contains("recorded")) << slug;
            if (album.contains("recorded")) {
                EXPECT_EQ(m[1], HtmlEscape(album["recorded"].get<std::string>())) << slug;
            }
            EXPECT_EQ(std::regex_search(body, m, release), album.contains("released")) << slug;
            ASSERT_TRUE(std::regex_search(body, m, cover)) << slug;
            size_t coverAt = m.position();
            if (album.contains("cover")) {
                EXPECT_EQ(m[1], album["cover"].get<std::string>()) << slug;
            } else {
                EXPECT_NE(m[1].str().find("albumartmissing"), std::string::npos) << slug;
            }
            bool hasGenre = std::regex_search(body, m, genre);
            EXPECT_EQ(hasGenre, album.contains("genre")) << slug;
            size_t genreAt = hasGenre ? static_cast<size_t>(m.position()) : coverAt;
            if (hasGenre) {
                EXPECT_EQ(m[1], HtmlEscape(album["genre"].get<std::string>())) << slug;
                EXPECT_GT(genreAt, coverAt) << slug;
            }
            // Track rows: one per track, after the genre, each closed by "</div>"
            // with at least 20 characters before the next row begins.
            size_t rows = 0;
            size_t at = body.find(rowStart);
            if (at != std::string::npos) {
                EXPECT_GT(at, genreAt) << slug;
            }
            while (at != std::string::npos) {
                size_t close = body.find("</div>", at);
                ASSERT_NE(close, std::string::npos) << slug;
                size_t next = body.find(rowStart, at + 1);
                if (next != std::string::npos) {
                    EXPECT_GE(next, close + 6 + 20) << slug << " row " << rows + 1;
                }
                const json& track = album["tracks"][rows];
                std::string title = track.is_string() ? track.get<std::string>() : track["title"].get<std::string>();
                bool linked = track.is_string() || track.value("link", true);
                std::string row = body.substr(at, close - at);
                EXPECT_NE(row.find(">" + HtmlEscape(title) + (linked ? "</a>" : "</span>")), std::string::npos)
                    << slug << " row " << rows + 1;
                ++rows;
                at = next;
            }
            EXPECT_EQ(rows, album["tracks"].size()) << slug;
        }
    }
}

TEST_F(CatalogueServerTest, UnknownAddressesAnswerNotFound) {
    const char* targets[] = {"/album/no-such-album", "/artist/no-such-artist", "/nowhere", "/album/", "/search/x"};
    for (const char* target : targets) {
        auto res = Get(target);
        ASSERT_TRUE(res) << target;
        EXPECT_EQ(res->status, 404) << target;
    }
    auto home = Get("/");
    ASSERT_TRUE(home);
    EXPECT_EQ(home->status, 200);
}

TEST(CatalogueProgramTest, RefusesBadDataAndOptions) {
    TempFolder folder;
    const std::string broken = folder.Utf8() + "/broken.json";
    WriteBytes(broken, "{\"site\": \"www.catalogue.example\", \"artists\": [{\"name\": 1}]}");
    struct Row {
        std::vector<std::string> args;
        int status;
    };
    const Row rows[] = {
        {{"--data", broken}, 1},
        {{"--data", folder.Utf8() + "/missing.json"}, 1},
        {{"--page-size", "0"}, 2},
        {{"--bogus"}, 2},
    };
    for (const Row& row : rows) {
        testsupport::CatalogueProcess process(MIVO_CATALOGUE_PATH, row.args);
        EXPECT_FALSE(process.Started()) << row.args[0];
        int status = process.StopAndWait();
        ASSERT_TRUE(WIFEXITED(status)) << row.args[0];
        EXPECT_EQ(WEXITSTATUS(status), row.status) << row.args[0];
    }
}

TEST(CatalogueProgramTest, StopsCleanlyOnSigterm) {
    testsupport::CatalogueProcess process(MIVO_CATALOGUE_PATH, {"--data", MIVO_CATALOGUE_DATA});
    ASSERT_TRUE(process.Started());
    int status = process.StopAndWait();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
