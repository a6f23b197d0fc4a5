// Fuzz target: the artist lookup and the album walk over arbitrary page text.
// The input is cut into pages (the search page first, unless the lookup is
// skipped, then the artist's album pages); the walk goes on while pages carry
// the next-page marker and ends when the input has no more pages.
//
// Every album found must be a site address of an album page with a trimmed
// title, the walk must ask for no more pages than it was given plus the one
// that failed, and the result must say whether albums were found.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/FuzzPageSource.h"
#include "fuzz/FuzzSupport.h"
#include "platform/CodePage.h"
#include "platform/Unicode.h"

using fuzzsupport::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CFuzzPageSource mivo;
    FuzzedDataProvider input(data, size);
    const bool skipLookup = input.ConsumeBool();
    const CString artist(platform::FromUtf8(input.ConsumeRandomLengthString(64)));
    std::vector<std::wstring> pages;
    while (input.remaining_bytes() > 0 && pages.size() < 16)
        pages.push_back(platform::FromUtf8(input.ConsumeRandomLengthString(size)));

    const size_t given = pages.size();
    mivo.fixedArtistUrl = skipLookup ? L"www.catalogue.example/artist/fuzz/albums" : L"";
    mivo.SetPages(std::move(pages));
    mivo.ResetAsked();

    AlbumInfoList albums;
    const int result = mivo.FindArtistAlbumList(artist, albums);
    Require(result == (albums.empty() ? 0 : 1), "the result says whether albums were found");
    Require(mivo.PagesAsked() <= given + 1, "no page is asked for after a failed one");
    const std::wstring prefix = mivo.SiteHost().str() + L"/album/";
    for (const AlbumInfo& album : albums) {
        Require(album.url.compare(0, prefix.size(), prefix) == 0, "albums are album pages of the site");
        Require(album.artist == artist.str(), "albums carry the artist name as asked");
        Require(album.title.empty() ||
                    (!platform::IsSpace(album.title.front()) && !platform::IsSpace(album.title.back())),
                "titles are trimmed");
    }
    return 0;
}
