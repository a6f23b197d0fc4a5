// The catalogue site's pages as HTML text (UTF-8): home, search result,
// artist overview, the artist's album list in pages, album, and "not found".
//
// The markup around the plug-in's reading points is fixed here:
// - a search hit is an absolute artist link followed at once by
//   <span class="mod_attrib">; other artist links on the page have no such span;
// - an album list entry is <h3 class="albumTitle"> with a relative /album/ link
//   whose text is the title between apostrophes; ">Next Page&raquo;<" follows
//   the last entry when a further page exists;
// - an album page carries "Recording Date:"/"Release Date:" lines, the cover
//   image (or the "albumartmissing" image), the genre in <dd class="detailLink">,
//   then one <div class="albumBlkSong"> per track row, in that order.
// Every text from the data is HTML-escaped. Pure functions; any thread may call them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "catalogue/CatalogueData.h"
#include "catalogue/HtmlEscape.h"

namespace catalogue {

// The site's front page: a search form and every artist.
std::string RenderHomePage(const Catalogue& data);

// Result page for query (UTF-8; shown back escaped, invalid bytes replaced).
std::string RenderSearchPage(const Catalogue& data, const std::string& query);

// An artist's overview page, linking to the album list.
std::string RenderArtistPage(const Catalogue& data, const Artist& artist);

// Page pageNumber (from 1) of the artist's album list, pageSize entries a page.
// Page 1 always exists (it may list nothing); a later page only while it lists
// an album; otherwise nothing is returned.
std::optional<std::string> RenderAlbumListPage(const Catalogue& data, const Artist& artist, int pageNumber,
                                               int pageSize);

// An album's page.
std::string RenderAlbumPage(const Catalogue& data, const Album& album);

// The page for an address the site does not have.
std::string RenderNotFoundPage(const std::string& target);

// The address of the image the site shows for an album without a cover.
std::string MissingCoverAddress(const Catalogue& data);

}  // namespace catalogue
