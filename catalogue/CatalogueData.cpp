// Loading the catalogue's JSON data file (see CatalogueData.h).
//
// Layout of the file:
//   { "site": HOST,
//     "artists": [ { "name", "slug", "attribution",
//                    "albums": [ { "slug", "title", "recorded"?, "released"?, "cover"?,
//                                  "genre"?, "tracks": [ TITLE | {"title", "link": false} ] } ] } ] }
// A missing optional field means the site has no such element for that album.
#include "catalogue/CatalogueData.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

namespace catalogue {
namespace {

using nlohmann::json;

std::string RequireString(const json& object, const char* key, const std::string& where) {
    auto it = object.find(key);
    if (it == object.end() || !it->is_string()) throw std::runtime_error(where + ": \"" + key + "\" must be a string");
    return it->get<std::string>();
}

std::optional<std::string> OptionalString(const json& object, const char* key, const std::string& where) {
    auto it = object.find(key);
    if (it == object.end() || it->is_null()) return std::nullopt;
    if (!it->is_string()) throw std::runtime_error(where + ": \"" + key + "\" must be a string when present");
    return it->get<std::string>();
}

// Slugs become address parts; keep them to characters that need no escaping.
void CheckSlug(const std::string& slug, const std::string& where) {
    if (slug.empty()) throw std::runtime_error(where + ": empty slug");
    for (unsigned char c : slug) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
        if (!ok)
            throw std::runtime_error(where + ": slug \"" + slug + "\" holds a character other than A-Z a-z 0-9 - _");
    }
}

Track ParseTrack(const json& value, const std::string& where) {
    Track track;
    if (value.is_string()) {
        track.title = value.get<std::string>();
    } else if (value.is_object()) {
        track.title = RequireString(value, "title", where);
        auto link = value.find("link");
        if (link != value.end()) {
            if (!link->is_boolean()) throw std::runtime_error(where + ": \"link\" must be true or false");
            track.linked = link->get<bool>();
        }
    } else {
        throw std::runtime_error(where + ": a track is a title or an object with \"title\"");
    }
    return track;
}

}  // namespace

Catalogue Catalogue::LoadFromFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(path + ": cannot open the data file");
    std::ostringstream text;
    text << in.rdbuf();
    return LoadFromText(text.str(), path);
}

Catalogue Catalogue::LoadFromText(const std::string& text, const std::string& origin) {
    json doc;
    try {
        doc = json::parse(text);
    } catch (const json::exception& e) {
        throw std::runtime_error(origin + ": not valid JSON: " + e.what());
    }
    if (!doc.is_object()) throw std::runtime_error(origin + ": the top level must be an object");

    Catalogue result;
    result.m_site = RequireString(doc, "site", origin);
    auto artists = doc.find("artists");
    if (artists == doc.end() || !artists->is_array())
        throw std::runtime_error(origin + ": \"artists\" must be an array");

    for (const json& a : *artists) {
        std::string where = origin + ": artist " + std::to_string(result.m_artists.size() + 1);
        if (!a.is_object()) throw std::runtime_error(where + " is not an object");
        Artist artist;
        artist.name = RequireString(a, "name", where);
        artist.slug = RequireString(a, "slug", where);
        CheckSlug(artist.slug, where);
        artist.attribution = OptionalString(a, "attribution", where).value_or("");
        size_t artistIndex = result.m_artists.size();
        if (!result.m_artistBySlug.emplace(artist.slug, artistIndex).second)
            throw std::runtime_error(where + ": slug \"" + artist.slug + "\" used twice");

        auto albums = a.find("albums");
        if (albums == a.end() || !albums->is_array()) throw std::runtime_error(where + ": \"albums\" must be an array");
        for (const json& b : *albums) {
            std::string albumWhere = where + ", album " + std::to_string(artist.albums.size() + 1);
            if (!b.is_object()) throw std::runtime_error(albumWhere + " is not an object");
            Album album;
            album.slug = RequireString(b, "slug", albumWhere);
            CheckSlug(album.slug, albumWhere);
            album.title = RequireString(b, "title", albumWhere);
            album.recorded = OptionalString(b, "recorded", albumWhere);
            album.released = OptionalString(b, "released", albumWhere);
            album.cover = OptionalString(b, "cover", albumWhere);
            album.genre = OptionalString(b, "genre", albumWhere);
            album.artistIndex = artistIndex;
            auto tracks = b.find("tracks");
            if (tracks != b.end()) {
                if (!tracks->is_array()) throw std::runtime_error(albumWhere + ": \"tracks\" must be an array");
                for (const json& t : *tracks) album.tracks.push_back(ParseTrack(t, albumWhere));
            }
            size_t albumIndex = result.m_albums.size();
            if (!result.m_albumBySlug.emplace(album.slug, albumIndex).second)
                throw std::runtime_error(albumWhere + ": slug \"" + album.slug + "\" used twice");
            result.m_albums.push_back(std::move(album));
            artist.albums.push_back(albumIndex);
        }
        result.m_artists.push_back(std::move(artist));
    }
    return result;
}

const Artist* Catalogue::FindArtist(const std::string& slug) const {
    auto it = m_artistBySlug.find(slug);
    return it == m_artistBySlug.end() ? nullptr : &m_artists[it->second];
}

const Album* Catalogue::FindAlbum(const std::string& slug) const {
    auto it = m_albumBySlug.find(slug);
    return it == m_albumBySlug.end() ? nullptr : &m_albums[it->second];
}

}  // namespace catalogue
