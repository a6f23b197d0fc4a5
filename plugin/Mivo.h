// CMivo: the concrete plug-in object that GetDllInterface hands to the host.
// It sets the identity defaults (source name "mivo", version, site host, code
// page 65001) and supplies the catalogue search: slots 4 to 6.
//
// Owned by the host (or, if the host never destroys it, by the module's
// registry until unload). One thread at a time per object.
#pragma once

#include <string>

#include "plugin/BasicTagsDllCommon.h"

class CMivo : public CBasicTagsDllCommon {
public:
    // The catalogue site's host name (both the site and its search pages).
    static constexpr const wchar_t* kSiteHost = L"www.catalogue.example";

    CMivo();
    // Leaves the module's registry, then the bases free the cache.
    ~CMivo() override;

    // Slot 4: the artist's album page address (site host + path + "/albums", no scheme).
    int FindArtistUrl(const CString& artistName, CString& artistUrl) override;
    // Slot 5: clears albums, then appends one AlbumInfo per album over all result pages.
    int FindArtistAlbumList(const CString& artistName, AlbumInfoList& albums) override;
    // Slot 6: year, genre, cover address and the numbered tracks of album.
    int GetAlbumDetails(AlbumInfo& album, std::wstring& coverUrl, TrackInfoList& tracks) override;
};
