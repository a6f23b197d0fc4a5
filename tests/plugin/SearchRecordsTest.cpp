// AlbumInfo and TrackInfo construction rules.
#include "plugin/SearchRecords.h"

#include <gtest/gtest.h>

namespace {

TEST(SearchRecords, AlbumInfoConstructor) {
    struct Row {
        const wchar_t* title;
        const wchar_t* expected;
    };
    const Row rows[] = {{L"", L"Unknown"}, {L"  Blue  ", L"  Blue  "}, {L"Unknown", L"Unknown"}, {L" ", L" "}};
    for (const Row& row : rows) {
        const AlbumInfo album(row.title, L"Artist", 1999, L"Rock", L"www.catalogue.example/album/1", 12);
        EXPECT_EQ(album.title, row.expected) << "title of length " << std::wstring(row.title).size();
        EXPECT_EQ(album.artist, L"Artist");
        EXPECT_EQ(album.year, 1999);
        EXPECT_EQ(album.genre, L"Rock");
        EXPECT_EQ(album.url, L"www.catalogue.example/album/1");
        EXPECT_EQ(album.trackCount, 12);
    }
    // Assigning afterwards is not construction: an empty title stays empty.
    AlbumInfo entry(L"Unknown", L"", 0, L"", L"", 0);
    entry.title.clear();
    AlbumInfoList list;
    list.push_back(entry);
    EXPECT_TRUE(list.back().title.empty()) << "copies are member by member";
}

TEST(SearchRecords, TrackInfoConstructor) {
    struct Row {
        int number;
        int expected;
    };
    const Row rows[] = {{-3, 0}, {-1, 0}, {0, 0}, {1, 1}, {250, 250}};
    for (const Row& row : rows) {
        const TrackInfo track(L"Title", row.number, L"", L"", L"", L"", L"");
        EXPECT_EQ(track.number, row.expected) << "number " << row.number;
        EXPECT_EQ(track.title, L"Title");
        EXPECT_TRUE(track.extra1.empty() && track.extra5.empty());
    }
}

}  // namespace
