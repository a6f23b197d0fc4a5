// HTML pages of the catalogue site (see PageRenderer.h for the fixed markup).
#include "catalogue/PageRenderer.h"

#include <algorithm>

#include "catalogue/CatalogueSearch.h"
#include "platform/CodePage.h"

namespace catalogue {
namespace {

constexpr size_t kAlbumHitLimit = 10;

std::string SiteUrl(const Catalogue& data, const std::string& path) { return "http://" + data.site() + path; }

std::string ArtistPath(const Artist& artist) { return "/artist/" + artist.slug; }

std::string PageShell(const Catalogue& data, const std::string& title, const std::string& body) {
    std::string out;
    out.reserve(body.size() + 1200);
    out += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>";
    out += HtmlEscape(title);
    out += " | Catalogue</title>\n<link rel=\"stylesheet\" href=\"/static/site.css\">\n</head>\n<body>\n"
           "<div id=\"header\">\n  <a class=\"logo\" href=\"";
    out += SiteUrl(data, "/");
    out += "\">Catalogue</a>\n  <form class=\"siteSearch\" action=\"/search\" method=\"get\">"
           "<input type=\"text\" name=\"q\" placeholder=\"Search artists and albums\">"
           "<button type=\"submit\">Search</button></form>\n</div>\n<div id=\"content\">\n";
    out += body;
    out += "</div>\n<div id=\"footer\">Catalogue &copy; all rights reserved &middot; "
           "<a href=\"/about\">About</a></div>\n</body>\n</html>\n";
    return out;
}

// The first run of four digits in a date text, for display beside an entry.
std::string YearOf(const Album& album) {
    for (const auto* date : {&album.released, &album.recorded}) {
        if (!*date) continue;
        const std::string& d = **date;
        for (size_t i = 0; i + 4 <= d.size(); ++i)
            if (std::all_of(d.begin() + i, d.begin() + i + 4, [](char c) { return c >= '0' && c <= '9'; }))
                return d.substr(i, 4);
    }
    return "";
}

// A stable made-up running time for a track row.
std::string TrackTime(const std::string& title, size_t number) {
    size_t h = std::hash<std::string>{}(title) + number * 7919;
    unsigned seconds = 120 + static_cast<unsigned>(h % 300);
    std::string secs = std::to_string(seconds % 60);
    return std::to_string(seconds / 60) + ":" + (secs.size() < 2 ? "0" + secs : secs);
}

void AppendAlbumEntry(std::string& out, const Catalogue& data, const Album& album) {
    std::string path = "/album/" + album.slug;
    std::string thumb = album.cover ? *album.cover : MissingCoverAddress(data);
    out += "<div class=\"albumEntry\">\n  <a class=\"albumThumb\" href=\"" + path + "\"><img src=\"" +
           HtmlEscape(thumb) + "\" alt=\"\" width=\"60\" height=\"60\"></a>\n";
    out += "  <h3 class=\"albumTitle\">\n    <a href=\"" + path + "\">'" + HtmlEscape(album.title) + "'</a>\n  </h3>\n";
    out += "  <p class=\"albumMeta\">" + YearOf(album);
    if (album.genre) out += " &middot; " + HtmlEscape(*album.genre);
    out += "</p>\n</div>\n";
}

}  // namespace

std::string MissingCoverAddress(const Catalogue& data) { return SiteUrl(data, "/images/albumartmissing.gif"); }

std::string RenderHomePage(const Catalogue& data) {
    std::string body = "<h1>Welcome to the Catalogue</h1>\n<ul class=\"artistIndex\">\n";
    for (const Artist& artist : data.artists())
        body +=
            "  <li><a href=\"" + SiteUrl(data, ArtistPath(artist)) + "\">" + HtmlEscape(artist.name) + "</a></li>\n";
    body += "</ul>\n";
    return PageShell(data, "Home", body);
}

std::string RenderSearchPage(const Catalogue& data, const std::string& query) {
    std::string shown = HtmlEscape(platform::ToUtf8(platform::FromUtf8(query)));
    std::vector<const Artist*> artists = SearchArtists(data, query);
    std::vector<const Album*> albums = SearchAlbums(data, query, kAlbumHitLimit);

    std::string body = "<h1 class=\"searchHead\">Search results for <em>" + shown + "</em></h1>\n";
    body += "<div class=\"searchSection\" id=\"artists\">\n<h2>Artists</h2>\n";
    if (artists.empty()) body += "<p class=\"noResults\">No artists found.</p>\n";
    else body += "<ul class=\"searchResults\">\n";
    for (const Artist* artist : artists) {
        body += "  <li class=\"searchResult artist\">\n    <div class=\"name\"><a href=\"" +
                SiteUrl(data, ArtistPath(*artist)) + "\" data-tooltip=\"artist\">" + HtmlEscape(artist->name) +
                "</a><span class=\"mod_attrib\">" + HtmlEscape(artist->attribution) + "</span></div>\n  </li>\n";
    }
    if (!artists.empty()) body += "</ul>\n";
    body += "</div>\n<div class=\"searchSection\" id=\"albums\">\n<h2>Albums</h2>\n";
    if (albums.empty()) body += "<p class=\"noResults\">No albums found.</p>\n";
    else body += "<ul class=\"searchResults\">\n";
    for (const Album* album : albums) {
        const Artist& artist = data.artists()[album->artistIndex];
        body += "  <li class=\"searchResult album\">\n    <div class=\"title\"><a href=\"" +
                SiteUrl(data, "/album/" + album->slug) + "\">" + HtmlEscape(album->title) +
                "</a></div>\n    <div class=\"artist\">by <a href=\"" + SiteUrl(data, ArtistPath(artist)) + "\">" +
                HtmlEscape(artist.name) + "</a></div>\n  </li>\n";
    }
    if (!albums.empty()) body += "</ul>\n";
    body += "</div>\n";

    // A side box with links to artists that are not hits (no attribution span).
    body += "<div class=\"sideBox\">\n<h3>Popular artists</h3>\n<ul>\n";
    for (size_t i = 0; i < data.artists().size() && i < 3; ++i) {
        const Artist& artist = data.artists()[i];
        body +=
            "  <li><a href=\"" + SiteUrl(data, ArtistPath(artist)) + "\">" + HtmlEscape(artist.name) + "</a></li>\n";
    }
    body += "</ul>\n</div>\n";
    return PageShell(data, "Search: " + platform::ToUtf8(platform::FromUtf8(query)), body);
}

std::string RenderArtistPage(const Catalogue& data, const Artist& artist) {
    std::string body = "<h1 class=\"artistName\">" + HtmlEscape(artist.name) + "</h1>\n<p class=\"artistAttrib\">" +
                       HtmlEscape(artist.attribution) + "</p>\n<p><a href=\"" + ArtistPath(artist) +
                       "/albums\">Discography (" + std::to_string(artist.albums.size()) + " albums)</a></p>\n";
    return PageShell(data, artist.name, body);
}

std::optional<std::string> RenderAlbumListPage(const Catalogue& data, const Artist& artist, int pageNumber,
                                               int pageSize) {
    if (pageNumber < 1 || pageSize < 1) return std::nullopt;
    size_t first = static_cast<size_t>(pageNumber - 1) * static_cast<size_t>(pageSize);
    if (pageNumber > 1 && first >= artist.albums.size()) return std::nullopt;
    size_t end = std::min(artist.albums.size(), first + static_cast<size_t>(pageSize));

    std::string body = "<h1 class=\"artistName\"><a href=\"" + SiteUrl(data, ArtistPath(artist)) + "\">" +
                       HtmlEscape(artist.name) + "</a></h1>\n<h2>Discography</h2>\n<div class=\"albumList\">\n";
    if (first >= end) body += "<p class=\"noResults\">No albums found.</p>\n";
    for (size_t i = first; i < end; ++i) AppendAlbumEntry(body, data, data.albums()[artist.albums[i]]);
    body += "</div>\n<div class=\"pager\">\n";
    std::string listPath = ArtistPath(artist) + "/albums";
    if (pageNumber > 1) {
        std::string prev = pageNumber == 2 ? listPath : listPath + "/page/" + std::to_string(pageNumber - 1) + "/";
        body += "  <a class=\"pagePrev\" href=\"" + prev + "\">&laquo;Previous Page</a>\n";
    }
    body += "  <span class=\"pageNumber\">Page " + std::to_string(pageNumber) + "</span>\n";
    if (end < artist.albums.size())
        body += "  <a class=\"pageNext\" href=\"" + listPath + "/page/" + std::to_string(pageNumber + 1) +
                "/\">Next Page&raquo;</a>\n";
    body += "</div>\n";
    return PageShell(data, artist.name + " - Discography", body);
}

std::string RenderAlbumPage(const Catalogue& data, const Album& album) {
    const Artist& artist = data.artists()[album.artistIndex];
    std::string body;
    body += "<div id=\"albumHead\">\n  <h1 class=\"albumName\">" + HtmlEscape(album.title) +
            "</h1>\n  <h2 class=\"albumArtist\"><a href=\"" + SiteUrl(data, ArtistPath(artist)) + "\">" +
            HtmlEscape(artist.name) + "</a></h2>\n</div>\n<div id=\"albumMain\">\n";
    std::string cover = album.cover ? *album.cover : MissingCoverAddress(data);
    body += "  <div class=\"albumCover\"><img class=\"albumArt\" src=\"" + HtmlEscape(cover) + "\" alt=\"" +
            HtmlEscape(album.title) + "\" width=\"300\" height=\"300\"></div>\n  <div class=\"albumDetails\">\n";
    if (album.recorded)
        body += "    <p class=\"detailHead\">Recording Date: <span class=\"detailItem\">" +
                HtmlEscape(*album.recorded) + "</span></p>\n";
    if (album.released)
        body += "    <p class=\"detailHead\">Release Date: <span class=\"detailItem\">" + HtmlEscape(*album.released) +
                "</span></p>\n";
    body += "    <dl class=\"detailList\">\n";
    if (album.genre)
        body += "      <dt>Genre</dt>\n      <dd class=\"detailLink\">" + HtmlEscape(*album.genre) + "</dd>\n";
    body += "      <dt>Tracks</dt>\n      <dd class=\"detailText\">" + std::to_string(album.tracks.size()) +
            "</dd>\n    </dl>\n  </div>\n</div>\n";

    body += "<table class=\"trackList\">\n<thead><tr><th>#</th><th>Title</th><th>Time</th></tr></thead>\n<tbody>\n";
    for (size_t i = 0; i < album.tracks.size(); ++i) {
        const Track& track = album.tracks[i];
        std::string number = std::to_string(i + 1);
        body += "<tr class=\"trackRow\">\n  <td class=\"trackNum\">" + number +
                "</td>\n  <td class=\"trackTitle\"><div class=\"albumBlkSong\">";
        if (track.linked)
            body += "<a href=\"" + SiteUrl(data, "/song/" + album.slug + "-t" + number) + "\">" +
                    HtmlEscape(track.title) + "</a>";
        else body += "<span class=\"songTitle\">" + HtmlEscape(track.title) + "</span>";
        body += "</div></td>\n  <td class=\"trackTime\">" + TrackTime(track.title, i) + "</td>\n</tr>\n";
    }
    body += "</tbody>\n</table>\n";
    body += "<p class=\"moreBy\">More by <a href=\"" + ArtistPath(artist) + "/albums\">" + HtmlEscape(artist.name) +
            "</a></p>\n";
    return PageShell(data, album.title + " - " + artist.name, body);
}

std::string RenderNotFoundPage(const std::string& target) {
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>Not Found | Catalogue</title>\n"
           "</head>\n<body>\n<h1>Page not found</h1>\n<p>The catalogue has no page at <code>" +
           HtmlEscape(platform::ToUtf8(platform::FromUtf8(target))) + "</code>.</p>\n</body>\n</html>\n";
}

}  // namespace catalogue
