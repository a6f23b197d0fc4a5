// The records in which the album operations hand their results to the host:
// AlbumInfo (one album of an artist, also the target that GetAlbumDetails
// completes), TrackInfo (one track) and the two lists that carry them.
//
// These records are a boundary format shared with the host: field order and
// types are fixed, and both sides must be built against the same standard
// library, because the plug-in allocates list nodes and string buffers that
// the host later frees. Header-only, so a host needs nothing else of the plug-in.
// The lists belong to the host; the plug-in works on them only during a call,
// on the calling thread, and keeps no reference afterwards.
#pragma once

#include <list>
#include <string>

struct AlbumInfo {
    // Assigns every field; an empty title becomes "Unknown" (nothing is trimmed).
    AlbumInfo(const std::wstring& title_ = std::wstring(), const std::wstring& artist_ = std::wstring(), int year_ = 0,
              const std::wstring& genre_ = std::wstring(), const std::wstring& url_ = std::wstring(),
              int trackCount_ = 0)
        : title(title_.empty() ? std::wstring(L"Unknown") : title_),
          artist(artist_),
          genre(genre_),
          year(year_),
          trackCount(trackCount_),
          url(url_) {}

    std::wstring title;   // album title as listed on the artist's album pages
    std::wstring artist;  // the artist name exactly as the host asked for it
    std::wstring genre;   // genre from the album page; empty until found
    int year;             // year of the album; 0 until found
    int trackCount;       // tracks appended by the last details operation
    std::wstring url;     // site host followed by the album path ("/album/..."), no scheme
};

struct TrackInfo {
    // Assigns every field; a negative number is stored as 0.
    TrackInfo(const std::wstring& title_ = std::wstring(), int number_ = 0,
              const std::wstring& extra1_ = std::wstring(), const std::wstring& extra2_ = std::wstring(),
              const std::wstring& extra3_ = std::wstring(), const std::wstring& extra4_ = std::wstring(),
              const std::wstring& extra5_ = std::wstring())
        : title(title_),
          number(number_ < 0 ? 0 : number_),
          extra1(extra1_),
          extra2(extra2_),
          extra3(extra3_),
          extra4(extra4_),
          extra5(extra5_) {}

    std::wstring title;   // track title, entities decoded, brackets removed, trimmed
    int number;           // position among the tracks of one details operation, from 1
    std::wstring extra1;  // further text fields of the host's track record;
    std::wstring extra2;  // the plug-in always leaves them empty
    std::wstring extra3;
    std::wstring extra4;
    std::wstring extra5;
};

using AlbumInfoList = std::list<AlbumInfo>;
using TrackInfoList = std::list<TrackInfo>;
