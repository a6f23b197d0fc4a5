// Maps one HTTP request target to the catalogue page that answers it.
//
// Targets come in origin form ("/search?q=x", the site itself) or in absolute
// form ("http://www.catalogue.example/search?q=x", the site reached as a
// forward proxy). An absolute target for another host, or with another scheme,
// is refused with 502: this is no open proxy. Addresses:
//   /                                       front page
//   /search?q=NAME                          search result (q percent-decoded, "+" is a blank)
//   /artist/SLUG                            artist overview
//   /artist/SLUG/albums                     first page of the album list
//   /artist/SLUG/albums/page/N/             page N of the album list
//   /album/SLUG                             album page
//   /images/cover/SLUG.jpg                  the cover of an album whose cover address this is
//                                           (a small JPEG; any other cover name is 404)
//   /images/...                             a small placeholder image
// A trailing "/" is accepted on each of them. Anything else is 404.
//
// The router holds a reference to an immutable Catalogue and no mutable
// state: any thread may call Route().
#pragma once

#include <string>

#include "catalogue/CatalogueData.h"

namespace catalogue {

struct Reply {
    int status = 200;
    std::string contentType;
    std::string body;
};

// Decodes %XX escapes (a malformed escape stays as it is); with plusIsBlank, "+" becomes " ".
std::string PercentDecode(const std::string& text, bool plusIsBlank);

class RequestRouter {
public:
    // data must outlive the router. pageSize: album list entries per page (at least 1).
    RequestRouter(const Catalogue& data, int pageSize);

    // The reply for a GET (or HEAD) of target.
    Reply Route(const std::string& target) const;

private:
    Reply RoutePath(const std::string& path, const std::string& query) const;
    Reply RouteCover(const std::string& name) const;

    const Catalogue& m_data;
    int m_pageSize;
};

}  // namespace catalogue
