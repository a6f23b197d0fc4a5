// The catalogue's content: artists, their albums and the albums' tracks, read
// once from a JSON data file and then only looked at.
//
// Every text is plain UTF-8 as a person would read it; the page renderer
// escapes it for HTML. A Catalogue is immutable after loading, so the server's
// worker threads may share one instance without a lock.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace catalogue {

struct Track {
    std::string title;
    bool linked = true;  // false: the row shows the title without a song link
};

struct Album {
    std::string slug;  // address part: /album/<slug>
    std::string title;
    std::optional<std::string> recorded;  // date texts as the site shows them
    std::optional<std::string> released;
    std::optional<std::string> cover;  // full image address; none = cover missing
    std::optional<std::string> genre;
    std::vector<Track> tracks;
    size_t artistIndex = 0;
};

struct Artist {
    std::string slug;  // address part: /artist/<slug>
    std::string name;
    std::string attribution;     // the short line shown beside a search hit
    std::vector<size_t> albums;  // indices into Catalogue::albums(), in listing order
};

class Catalogue {
public:
    // Reads the data file. Throws std::runtime_error naming the file and the
    // fault when it cannot be read or does not describe a catalogue.
    static Catalogue LoadFromFile(const std::string& path);
    // Builds a catalogue from JSON text; throws std::runtime_error as above.
    static Catalogue LoadFromText(const std::string& json, const std::string& origin);

    // The site host the data was made for (links on the pages use it).
    const std::string& site() const { return m_site; }
    const std::vector<Artist>& artists() const { return m_artists; }
    const std::vector<Album>& albums() const { return m_albums; }

    // The artist or album with this slug, or null.
    const Artist* FindArtist(const std::string& slug) const;
    const Album* FindAlbum(const std::string& slug) const;

private:
    std::string m_site;
    std::vector<Artist> m_artists;
    std::vector<Album> m_albums;
    std::unordered_map<std::string, size_t> m_artistBySlug;
    std::unordered_map<std::string, size_t> m_albumBySlug;
};

}  // namespace catalogue
