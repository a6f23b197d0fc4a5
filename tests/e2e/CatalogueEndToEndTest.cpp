// End to end: the real plug-in library, loaded with dlopen by a small test
// host that answers "HttpProxy" with the address of a mivo-catalogue started
// on a free loopback port. The albums of every artist are listed and
// completed, and every result is checked against the catalogue's data file.
//
// The host side compiles against the host-facing headers only, as a real host
// does; nothing of the plug-in is called except through the interface object.
#include <dlfcn.h>

#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "catalogue/HtmlEscape.h"
#include "platform/CodePage.h"
#include "plugin/BasicTagsDllInterface.h"
#include "tests/support/CatalogueProcess.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempFolder.h"

namespace {

using nlohmann::json;

const std::wstring kSite = L"www.catalogue.example";

// --- What the data file says the plug-in must report --------------------

std::wstring Wide(const std::string& utf8) { return platform::FromUtf8(utf8); }

using catalogue::HtmlEscape;

std::wstring Trim(std::wstring text) {
    const wchar_t* blanks = L" \t\r\n\f\v";
    text.erase(0, text.find_first_not_of(blanks));
    text.erase(text.find_last_not_of(blanks) + 1);
    return text;
}

std::wstring Without(std::wstring text, const std::wstring& characters) {
    std::erase_if(text, [&](wchar_t c) { return characters.find(c) != std::wstring::npos; });
    return text;
}

// The first run of four ASCII digits in a date text.
std::optional<int> FirstYear(const std::string& date) {
    for (size_t i = 0; i + 4 <= date.size(); ++i)
        if (std::all_of(date.begin() + i, date.begin() + i + 4, [](char c) { return c >= '0' && c <= '9'; }))
            return std::stoi(date.substr(i, 4));
    return std::nullopt;
}

int ExpectedYear(const json& album) {
    // A recording date line wins even when it holds no year.
    const char* line = album.contains("recorded") ? "recorded" : album.contains("released") ? "released" : nullptr;
    if (!line) return 0;
    return FirstYear(album[line].get<std::string>()).value_or(0);
}

std::vector<std::wstring> ExpectedTracks(const json& album) {
    std::vector<std::wstring> titles;
    for (const json& track : album.value("tracks", json::array())) {
        if (track.is_object() && !track.value("link", true)) continue;
        std::string title = track.is_string() ? track.get<std::string>() : track["title"].get<std::string>();
        titles.push_back(Trim(Without(Wide(title), L"[]()")));
    }
    return titles;
}

// --- Fixture --------------------------------------------------------------

class CatalogueEndToEndTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_catalogue =
            std::make_unique<testsupport::CatalogueProcess>(MIVO_CATALOGUE_PATH,
                                                            std::vector<std::string>{"--data", MIVO_CATALOGUE_DATA});
        std::ifstream in(MIVO_CATALOGUE_DATA);
        s_data = std::make_unique<json>(json::parse(in));
        s_library = dlopen(MIVO_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    }
    static void TearDownTestSuite() {
        if (s_library) dlclose(s_library);
        s_data.reset();
        s_catalogue.reset();
    }

    void SetUp() override {
        ASSERT_TRUE(s_catalogue->Started()) << "mivo-catalogue did not start";
        ASSERT_NE(s_library, nullptr) << dlerror();
        auto entry = reinterpret_cast<GetDllInterfaceFunction>(dlsym(s_library, "GetDllInterface"));
        ASSERT_NE(entry, nullptr);
        m_plugin = entry();
        ASSERT_NE(m_plugin, nullptr);
        m_host.proxy = Wide(s_catalogue->Address());
        m_host.maxDifference = 1.0f;
        ASSERT_EQ(m_plugin->SetHost(&m_host), 1);
    }
    void TearDown() override { delete m_plugin; }

    const json& Artist(const std::string& name) {
        for (const json& artist : (*s_data)["artists"])
            if (artist["name"] == name) return artist;
        throw std::runtime_error("no artist " + name + " in the data file");
    }
    int Downloads() {
        int count = -1;
        m_plugin->Property(L"StatisticDownloadCounter", &count);
        return count;
    }

    // Lists the albums of name and checks them against the data of artist.
    void CheckAlbumList(const std::wstring& name, const json& artist, AlbumInfoList& albums) {
        const std::string label = artist["name"];
        ASSERT_EQ(m_plugin->FindArtistAlbumList(name, albums), artist["albums"].empty() ? 0 : 1) << label;
        ASSERT_EQ(albums.size(), artist["albums"].size()) << label;
        auto album = albums.begin();
        for (const json& expected : artist["albums"]) {
            const std::string slug = expected["slug"];
            EXPECT_EQ(album->title, Trim(Wide(HtmlEscape(expected["title"].get<std::string>()))))
                << label << " " << slug;
            EXPECT_EQ(album->artist, name) << label << " " << slug;
            EXPECT_EQ(album->url, kSite + L"/album/" + Wide(slug)) << label;
            EXPECT_EQ(album->year, 0);
            EXPECT_EQ(album->trackCount, 0);
            ++album;
        }
    }

    static std::unique_ptr<testsupport::CatalogueProcess> s_catalogue;
    static std::unique_ptr<json> s_data;
    static void* s_library;
    testsupport::RecordingHost m_host;
    CBasicTagsDllInterface* m_plugin = nullptr;
};

std::unique_ptr<testsupport::CatalogueProcess> CatalogueEndToEndTest::s_catalogue;
std::unique_ptr<json> CatalogueEndToEndTest::s_data;
void* CatalogueEndToEndTest::s_library = nullptr;

// Names as a host would type them, beside the artist each must find; every
// artist of the data is also asked for under its own name.
const std::vector<std::pair<std::string, std::string>> kVariants = {
    {"marastella", "Marastella"},      // more than three pages
    {"КИРИЛЛ ЗОРИН", "Кирилл Зорин"},  // non-Latin, other letter case
    {"the ploms", "The Ploms"},        // "Ploms Revival Band" is listed first
};

TEST_F(CatalogueEndToEndTest, ListsAndCompletesTheAlbumsOfEveryArtist) {
    std::vector<std::pair<std::string, std::string>> asks = kVariants;
    for (const json& artist : (*s_data)["artists"]) asks.emplace_back(artist["name"], artist["name"]);
    for (const auto& [asked, name] : asks) {
        const json& artist = Artist(name);
        AlbumInfoList albums;
        CheckAlbumList(Wide(asked), artist, albums);
        auto album = albums.begin();
        for (const json& expected : artist["albums"]) {
            const std::string slug = expected["slug"];
            std::wstring cover = L"unset";
            TrackInfoList tracks;
            ASSERT_EQ(m_plugin->GetAlbumDetails(*album, cover, tracks), 1) << slug;
            EXPECT_EQ(album->year, ExpectedYear(expected)) << slug;
            EXPECT_EQ(album->genre, expected.contains("genre")
                                        ? Without(Trim(Wide(HtmlEscape(expected["genre"].get<std::string>()))), L" \n")
                                        : L"")
                << slug;
            EXPECT_EQ(cover, expected.contains("cover") ? Wide(expected["cover"]) : L"") << slug;
            std::vector<std::wstring> titles;
            int number = 0;
            for (const TrackInfo& track : tracks) {
                titles.push_back(track.title);
                EXPECT_EQ(track.number, ++number) << slug;
            }
            EXPECT_EQ(titles, ExpectedTracks(expected)) << slug;
            EXPECT_EQ(album->trackCount, static_cast<int>(titles.size())) << slug;
            ++album;
        }
    }
    size_t albumPages = 0;
    for (const json& artist : (*s_data)["artists"]) albumPages += artist["albums"].size();
    EXPECT_GT(Downloads(), static_cast<int>(albumPages + asks.size())) << "one search, list pages, album pages";
}

TEST_F(CatalogueEndToEndTest, ArtistsWithoutAlbumsOrUnknownGiveNothing) {
    AlbumInfoList albums;
    EXPECT_EQ(m_plugin->FindArtistAlbumList(L"Cobalt Lantern", albums), 0);
    EXPECT_TRUE(albums.empty());
    EXPECT_EQ(m_plugin->FindArtistAlbumList(L"Nobody Of That Name", albums), 0);
    EXPECT_TRUE(albums.empty());
    // Near names need the host's wider threshold.
    EXPECT_EQ(m_plugin->FindArtistAlbumList(L"Ploms", albums), 0);
    m_host.maxDifference = 300.0f;
    AlbumInfoList near;
    CheckAlbumList(L"Ploms", Artist("The Ploms"), near);
}

TEST_F(CatalogueEndToEndTest, SwappedNamesAndTheCacheFindTheSameArtist) {
    TempFolder cache;
    const CString folder = cache.Wide("");
    ASSERT_EQ(m_plugin->Set(L"LocalCacheFolder", &folder), 1);
    m_host.maxDifference = 100.0f;

    CString first;
    ASSERT_EQ(m_plugin->FindArtistUrl(L"Tam Brisk", first), 1);
    EXPECT_EQ(first.str(), kSite + L"/artist/" + Wide(Artist("Brisk, Tam")["slug"]) + L"/albums");
    const int downloads = Downloads();

    CString again;
    ASSERT_EQ(m_plugin->FindArtistUrl(L"Brisk, Tam", again), 1);
    EXPECT_EQ(again, first);
    EXPECT_EQ(Downloads(), downloads) << "the cache answers without a download";
}

}  // namespace
