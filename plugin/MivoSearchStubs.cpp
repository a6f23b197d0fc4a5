// Catalogue search placeholders: slots 4 to 6 answer failure until the
// artist lookup, album list and album details replace them (this file is
// then deleted).
#include "plugin/Mivo.h"

int CMivo::FindArtistUrl(const CString& artistName, CString& artistUrl) {
    (void)artistName;
    (void)artistUrl;
    return 0;
}

int CMivo::FindArtistAlbumList(const CString& artistName, AlbumInfoList& albums) {
    (void)artistName;
    (void)albums;
    return 0;
}

int CMivo::GetAlbumDetails(AlbumInfo& album, std::wstring& coverUrl, TrackInfoList& tracks) {
    (void)album;
    (void)coverUrl;
    (void)tracks;
    return 0;
}
