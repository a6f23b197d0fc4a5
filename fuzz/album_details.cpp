// Fuzz target: the album details read from arbitrary album page text: year,
// cover address, genre and the track walk.
//
// Tracks are numbered 1, 2, ... in page order and counted in the album,
// their titles hold no brackets and no surrounding white space, and the
// genre holds no blank or line feed.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzPageSource.h"
#include "fuzz/FuzzSupport.h"
#include "platform/CodePage.h"
#include "platform/Unicode.h"

using fuzzsupport::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CFuzzPageSource mivo;
    mivo.SetPages({platform::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size))});

    AlbumInfo album(L"Album", L"Artist", 0, L"", L"www.catalogue.example/album/fuzz", 0);
    std::wstring cover;
    TrackInfoList tracks;
    tracks.emplace_back(L"kept from the host", 7);
    const int result = mivo.GetAlbumDetails(album, cover, tracks);
    Require(result == 1, "a delivered page is always read to its end");
    Require(album.trackCount == static_cast<int>(tracks.size()) - 1, "the album counts its tracks");
    Require(tracks.front().number == 7, "the host's tracks are kept");
    int expected = 0;
    for (auto track = std::next(tracks.begin()); track != tracks.end(); ++track) {
        Require(track->number == ++expected, "tracks are numbered 1, 2, ... in page order");
        Require(track->title.find_first_of(L"[]()") == std::wstring::npos, "titles hold no brackets");
        Require(track->title.empty() ||
                    (!platform::IsSpace(track->title.front()) && !platform::IsSpace(track->title.back())),
                "titles are trimmed");
    }
    Require(album.genre.find_first_of(L" \n") == std::wstring::npos, "the genre holds no blank or line feed");
    Require(album.year >= 0 && album.year <= 9999, "the year has at most four digits");
    return 0;
}
