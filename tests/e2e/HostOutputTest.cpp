// What mivo prints: UTF-8 conversion at its edges, the readable tables, the
// JSON documents in their documented shapes, the title rule of lookup, and
// the plug-in information marker.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

#include "host/HumanOutput.h"
#include "host/JsonOutput.h"
#include "host/PluginModule.h"
#include "host/TitleMatch.h"
#include "host/WideText.h"

namespace {

using namespace mivo_host;
using Json = nlohmann::json;

TEST(HostText, Utf8RoundTripsAndReplacesWhatIsNotText) {
    struct Row {
        const char* name;
        std::string bytes;
        std::wstring text;
    };
    const Row rows[] = {
        {"ascii", "Korva", L"Korva"},
        {"two bytes", "Bj\xc3\xb6rk", L"Bj\u00f6rk"},
        {"three bytes", "\xe2\x98\x83", L"\u2603"},
        {"four bytes", "\xf0\x9f\x8e\xb5", L"\U0001F3B5"},
        {"lone continuation", "a\x80z", L"a\ufffdz"},
        {"truncated sequence", "a\xe2\x98", L"a\ufffd"},
        {"interrupted sequence", "a\xe2\x98z", L"a\ufffdz"},
        {"overlong slash", "\xc0\xaf", L"\ufffd\ufffd"},
        {"encoded surrogate", "\xed\xa0\x80", L"\ufffd\ufffd\ufffd"},
        {"beyond U+10FFFF", "\xf4\x90\x80\x80", L"\ufffd\ufffd\ufffd\ufffd"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FromUtf8(row.bytes), row.text) << row.name;
        if (row.text.find(L'\ufffd') == std::wstring::npos) {
            EXPECT_EQ(ToUtf8(row.text), row.bytes) << row.name;
        }
    }
    EXPECT_EQ(ToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xef\xbf\xbd") << "a surrogate is not text";
    EXPECT_EQ(ToUtf8(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xef\xbf\xbd");
}

TEST(HostText, PageTextCannotSteerTheTerminal) {
    EXPECT_EQ(Printable(L"a\x1b[2Jb\tc\nd\x7f"
                        L"e\x9b"),
              L"a\ufffd[2Jb c d\ufffde\ufffd");
    EXPECT_EQ(DisplayWidth(L"abc"), 3);
    EXPECT_EQ(DisplayWidth(L"\u6771\u4eac"), 4) << "wide characters take two columns";
    EXPECT_EQ(DisplayWidth(L"e\u0301"), 1) << "a combining mark takes none";
    EXPECT_EQ(DisplayWidth(L"\U0001F600\U00020000x"), 5) << "a character above U+FFFF is one, pair or not";
    EXPECT_EQ(PadRight(L"\u6771", 4), L"\u6771  ");
    EXPECT_EQ(PadLeft(L"7", 3), L"  7");
    EXPECT_EQ(PadRight(L"longer", 2), L"longer");
}

AlbumInfoList Albums(std::initializer_list<const wchar_t*> titles) {
    AlbumInfoList albums;
    for (const wchar_t* title : titles) {
        AlbumInfo album;
        album.title = title;
        albums.push_back(album);
    }
    return albums;
}

TEST(HostTitleMatch, PicksTheNearestTitleAndTheFirstOnATie) {
    struct Row {
        const char* name;
        std::initializer_list<const wchar_t*> titles;
        const wchar_t* asked;
        const wchar_t* expected;
    };
    const Row rows[] = {
        {"exact", {L"Blue Hour", L"Red Hour"}, L"Red Hour", L"Red Hour"},
        {"letter case", {L"Blue Hour", L"RED HOUR"}, L"red hour", L"RED HOUR"},
        {"non-ASCII case", {L"\u00c9chos", L"Echoes"}, L"\u00e9chos", L"\u00c9chos"},
        {"one letter off", {L"Blue Hour", L"Bluer Hours"}, L"Blue Hours", L"Blue Hour"},
        {"tie goes to the first", {L"abc", L"abd"}, L"abx", L"abc"},
        {"blanks around ignored", {L"Blue Hour", L"Blu"}, L"  Blue Hour ", L"Blue Hour"},
        {"exact wins over earlier near", {L"Blue Hours", L"Blue Hour"}, L"Blue Hour", L"Blue Hour"},
    };
    for (const auto& row : rows) {
        AlbumInfoList albums = Albums(row.titles);
        const auto chosen = NearestTitle(albums, row.asked);
        ASSERT_NE(chosen, albums.end()) << row.name;
        EXPECT_EQ(chosen->title, row.expected) << row.name;
    }
    AlbumInfoList none;
    EXPECT_EQ(NearestTitle(none, L"x"), none.end());
    EXPECT_EQ(TitleDistance(L"kitten", L"sitting"), 3u);
}

CommandResult LookupResult() {
    CommandResult result;
    result.command = Command::Lookup;
    result.artist = L"Bj\u00f6rk";
    result.albums.push_back(AlbumInfo(L"First \"Light\"", L"Bj\u00f6rk", 0, L"", L"www.catalogue.example/album/1", 0));
    result.albums.push_back(AlbumInfo(L"\u6771\u4eac", L"Bj\u00f6rk", 2001, L"Ambient",
                                      L"www.catalogue.example/album/2", 2));
    AlbumResult album;
    album.album = result.albums.back();
    album.cover = L"http://img.example/2.jpg";
    album.tracks.push_back(TrackInfo(L"One", 1));
    album.tracks.push_back(TrackInfo(std::wstring(L"Bad") + static_cast<wchar_t>(0xDC00), 2));
    result.album = album;
    result.statistics = {3, 2, 45};
    return result;
}

TEST(HostJsonOutput, LookupHasTheDocumentedShapeAndIsValidUtf8) {
    const std::string text = FormatJson(LookupResult());
    Json document = Json::parse(text);  // throws on invalid UTF-8 or syntax
    EXPECT_EQ(document["artist"], "Bj\xc3\xb6rk");
    ASSERT_EQ(document["albums"].size(), 2u);
    const auto& first = document["albums"][0];
    std::vector<std::string> keys;
    for (auto it = first.begin(); it != first.end(); ++it) keys.push_back(it.key());
    EXPECT_EQ(keys.size(), 6u);
    EXPECT_EQ(first["title"], "First \"Light\"");
    EXPECT_EQ(first["url"], "www.catalogue.example/album/1");
    EXPECT_EQ(first["year"], 0);
    EXPECT_EQ(first["trackCount"], 0);
    const auto& album = document["album"];
    EXPECT_EQ(album["year"], 2001);
    EXPECT_EQ(album["genre"], "Ambient");
    EXPECT_EQ(album["cover"], "http://img.example/2.jpg");
    EXPECT_EQ(album["trackCount"], 2);
    EXPECT_EQ(album["tracks"][1]["number"], 2);
    EXPECT_EQ(album["tracks"][1]["title"], "Bad\xef\xbf\xbd") << "a lone surrogate becomes U+FFFD";
    EXPECT_EQ(document["statistics"], (Json{{"downloads", 3}, {"successful", 2}, {"totalTimeMs", 45}}));
    EXPECT_LT(text.find("\"artist\""), text.find("\"albums\"")) << "keys keep the documented order";
    EXPECT_EQ(text.back(), '\n');
}

TEST(HostJsonOutput, EveryCommandCarriesItsKeysAndStatistics) {
    struct Row {
        Command command;
        std::vector<std::string> keys;
    };
    const Row rows[] = {
        {Command::Artist, {"artist", "url", "statistics"}},
        {Command::Albums, {"artist", "albums", "statistics"}},
        {Command::Album, {"url", "year", "genre", "cover", "trackCount", "tracks", "statistics"}},
        {Command::Lookup, {"artist", "albums", "album", "statistics"}},
        {Command::Info, {"name", "type", "version", "sourceName", "sourceId", "statistics"}},
    };
    for (const auto& row : rows) {
        CommandResult result;
        result.command = row.command;
        if (row.command == Command::Album) result.album = AlbumResult{};
        const auto document = nlohmann::ordered_json::parse(FormatJson(result));
        std::vector<std::string> keys;
        for (const auto& item : document.items()) keys.push_back(item.key());
        EXPECT_EQ(keys, row.keys) << CommandName(row.command);
    }
    CommandResult lookup;
    lookup.command = Command::Lookup;
    EXPECT_TRUE(Json::parse(FormatJson(lookup))["album"].is_null()) << "no album completed";
}

TEST(HostHumanOutput, ShowsTheTableTheAlbumAndStatisticsOnRequest) {
    const std::string text = FormatHuman(LookupResult(), false);
    EXPECT_NE(text.find("Albums of Bj\xc3\xb6rk: 2"), std::string::npos) << text;
    EXPECT_NE(text.find("Title"), std::string::npos);
    EXPECT_NE(text.find("Cover   http://img.example/2.jpg"), std::string::npos) << text;
    EXPECT_NE(text.find("  1  One\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  2  Bad\xef\xbf\xbd\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("Statistics"), std::string::npos);
    EXPECT_NE(FormatHuman(LookupResult(), true).find("Statistics: 3 downloads, 2 successful, 45 ms"),
              std::string::npos);

    // The year column lines up although the second title is two wide characters.
    const size_t header = text.find("Year");
    const size_t row = text.find("2001");
    ASSERT_NE(header, std::string::npos);
    ASSERT_NE(row, std::string::npos);
    const size_t headerColumn = header - text.rfind('\n', header);
    std::string rowLine = text.substr(text.rfind('\n', row) + 1, row - text.rfind('\n', row) - 1);
    EXPECT_EQ(DisplayWidth(FromUtf8(rowLine)) + 1, static_cast<int>(headerColumn)) << text;
}

TEST(HostPluginMarker, ReadsTheFieldsBetweenTheMarks) {
    static const char kPrefix[] = "\x7f"
                                  "ELF\0\0junk###_PluginInfo_###";
    const std::string bytes =
        std::string(kPrefix, sizeof kPrefix - 1) + "Name=\"Mivo\";Type=search;Version=2.1.2000.0;Desc=\"a b\";###more";
    const auto fields = ParsePluginMarker(bytes);
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->at("Name"), "Mivo");
    EXPECT_EQ(fields->at("Type"), "search");
    EXPECT_EQ(fields->at("Version"), "2.1.2000.0");
    EXPECT_EQ(fields->at("Desc"), "a b");
    EXPECT_FALSE(ParsePluginMarker("no marker here"));
    EXPECT_FALSE(ParsePluginMarker("###_PluginInfo_###Name=\"x\""));
    EXPECT_FALSE(ParsePluginMarker("###_PluginInfo_######"));
}

}  // namespace
