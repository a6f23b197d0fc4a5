// Request routing of the catalogue site (see RequestRouter.h).
#include "catalogue/RequestRouter.h"

#include <algorithm>
#include <vector>

#include "catalogue/CoverImage.h"
#include "catalogue/PageRenderer.h"

namespace catalogue {
namespace {

constexpr const char* kHtml = "text/html; charset=utf-8";

// A 1x1 transparent GIF, served for every image address.
const unsigned char kPlaceholderGif[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80,
                                         0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0x21, 0xf9, 0x04,
                                         0x01, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x01,
                                         0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3b};

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return text;
}

// The value of key in a query string, percent-decoded; empty when absent.
std::string QueryValue(const std::string& query, const std::string& key) {
    size_t start = 0;
    while (start <= query.size()) {
        size_t end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        std::string pair = query.substr(start, end - start);
        size_t eq = pair.find('=');
        std::string name = PercentDecode(pair.substr(0, eq), true);
        if (name == key) return eq == std::string::npos ? std::string() : PercentDecode(pair.substr(eq + 1), true);
        start = end + 1;
    }
    return "";
}

// Path segments without empty ones, so "/a//b/" gives {"a", "b"}.
std::vector<std::string> Segments(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// A page number made of 1 to 6 decimal digits, else -1.
int PageNumber(const std::string& text) {
    if (text.empty() || text.size() > 6) return -1;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

Reply Html(int status, std::string body) { return Reply{status, kHtml, std::move(body)}; }

}  // namespace

std::string PercentDecode(const std::string& text, bool plusIsBlank) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else if (c == '+' && plusIsBlank) {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

RequestRouter::RequestRouter(const Catalogue& data, int pageSize) : m_data(data), m_pageSize(std::max(1, pageSize)) {}

Reply RequestRouter::Route(const std::string& target) const {
    std::string rest = target;
    size_t fragment = rest.find('#');
    if (fragment != std::string::npos) rest.erase(fragment);

    if (rest.empty() || rest[0] != '/') {
        // Absolute form: scheme "://" authority path-and-query.
        size_t schemeEnd = rest.find("://");
        if (schemeEnd == std::string::npos) return Html(400, RenderNotFoundPage(target));
        std::string scheme = Lower(rest.substr(0, schemeEnd));
        size_t authorityStart = schemeEnd + 3;
        size_t pathStart = rest.find_first_of("/?", authorityStart);
        std::string authority =
            Lower(rest.substr(authorityStart,
                              pathStart == std::string::npos ? std::string::npos : pathStart - authorityStart));
        size_t at = authority.rfind('@');
        if (at != std::string::npos) authority.erase(0, at + 1);
        std::string host = authority;
        size_t colon = authority.rfind(':');
        if (colon != std::string::npos && authority.find(']') == std::string::npos) {
            std::string port = authority.substr(colon + 1);
            host = authority.substr(0, colon);
            if (!port.empty() && port != "80") host.clear();
        }
        if (scheme != "http" || host != Lower(m_data.site())) return Html(502, RenderNotFoundPage(target));
        rest = pathStart == std::string::npos ? "/" : rest.substr(pathStart);
        if (rest[0] == '?') rest = "/" + rest;
    }

    size_t question = rest.find('?');
    std::string path = PercentDecode(rest.substr(0, question), false);
    std::string query = question == std::string::npos ? std::string() : rest.substr(question + 1);
    Reply reply = RoutePath(path, query);
    if (reply.status == 404) reply.body = RenderNotFoundPage(target);
    return reply;
}

Reply RequestRouter::RoutePath(const std::string& path, const std::string& query) const {
    std::vector<std::string> parts = Segments(path);
    if (parts.empty()) return Html(200, RenderHomePage(m_data));

    if (parts[0] == "search" && parts.size() == 1) return Html(200, RenderSearchPage(m_data, QueryValue(query, "q")));

    if (parts[0] == "images" && parts.size() >= 2 && parts[1] == "cover")
        return parts.size() == 3 ? RouteCover(parts[2]) : Html(404, "");
    if (parts[0] == "images")
        return Reply{200, "image/gif", std::string(std::begin(kPlaceholderGif), std::end(kPlaceholderGif))};

    if (parts[0] == "album" && parts.size() == 2) {
        if (const Album* album = m_data.FindAlbum(parts[1])) return Html(200, RenderAlbumPage(m_data, *album));
        return Html(404, "");
    }

    if (parts[0] == "artist" && parts.size() >= 2) {
        const Artist* artist = m_data.FindArtist(parts[1]);
        if (!artist) return Html(404, "");
        if (parts.size() == 2) return Html(200, RenderArtistPage(m_data, *artist));
        if (parts[2] != "albums") return Html(404, "");
        int page = 1;
        if (parts.size() == 5 && parts[3] == "page") page = PageNumber(parts[4]);
        else if (parts.size() != 3) return Html(404, "");
        if (auto body = RenderAlbumListPage(m_data, *artist, page, m_pageSize)) return Html(200, std::move(*body));
        return Html(404, "");
    }
    return Html(404, "");
}

// The picture behind an album's cover address ".../images/cover/NAME", made
// for the album whose slug is NAME without ".jpg".
Reply RequestRouter::RouteCover(const std::string& name) const {
    const std::string suffix = ".jpg";
    const std::string slug = name.ends_with(suffix) ? name.substr(0, name.size() - suffix.size()) : std::string();
    const Album* album = slug.empty() ? nullptr : m_data.FindAlbum(slug);
    if (!album || !album->cover || !album->cover->ends_with("/images/cover/" + name)) return Html(404, "");
    std::string jpeg = RenderCoverJpeg(slug);
    if (jpeg.empty()) return Reply{500, "text/plain", "the cover picture could not be made\n"};
    return Reply{200, "image/jpeg", std::move(jpeg)};
}

}  // namespace catalogue
