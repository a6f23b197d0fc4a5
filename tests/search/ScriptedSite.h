// Test helpers for the catalogue search: a scripted catalogue site served by
// the tests' loopback server on 127.0.0.1 (the plug-in reaches it as its HTTP proxy, so the
// site's real addresses arrive in absolute form), and builders for the three
// kinds of catalogue page.
//
// The site runs on its own thread from construction to destruction; its
// handler runs on server threads, so pages and the request record are guarded
// by a mutex. Everything else is used by the test thread only.
#pragma once

#include <cctype>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/CodePage.h"
#include "tests/support/LoopbackServer.h"

namespace searchtest {

constexpr const char* kSite = "www.catalogue.example";

class ScriptedSite {
public:
    ScriptedSite() {
        m_server.Get(".*", [this](const testsupport::Request& request, testsupport::Response& response) {
            const std::string target = OriginForm(request.target);
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.push_back(target);
            auto page = m_pages.find(target);
            if (page == m_pages.end()) {
                response.status = 404;
                response.SetContent("<html><body>Not Found</body></html>", "text/html");
                return;
            }
            response.status = page->second.first;
            response.SetContent(page->second.second, "text/html; charset=utf-8");
        });
        m_server.Start();
    }
    ScriptedSite(const ScriptedSite&) = delete;
    ScriptedSite& operator=(const ScriptedSite&) = delete;

    // Serves body (UTF-8) for target (origin form, e.g. "/search?q=x").
    void Page(const std::string& target, const std::string& body, int status = 200) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pages[target] = {status, body};
    }
    // Origin-form targets requested so far, in order.
    std::vector<std::string> Requests() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }
    void ClearRequests() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.clear();
    }
    // The "HttpProxy" answer that routes the plug-in here.
    std::wstring Proxy() const { return L"127.0.0.1:" + std::to_wstring(m_server.Port()); }

private:
    // "http://www.catalogue.example:80/x?y" -> "/x?y"; origin-form targets stay.
    static std::string OriginForm(const std::string& target) {
        if (target.rfind("http://", 0) != 0) return target;
        size_t path = target.find_first_of("/?", 7);
        return path == std::string::npos ? "/" : target.substr(path);
    }

    mutable std::mutex m_mutex;
    std::map<std::string, std::pair<int, std::string>> m_pages;
    std::vector<std::string> m_requests;
    testsupport::LoopbackServer m_server;  // stops first, so no handler outlives the pages
};

// A search result page with one artist hit (link plus attribution span) per
// entry of hits: {artist path, link text as written in the page}.
inline std::string SearchPage(const std::vector<std::pair<std::string, std::string>>& hits,
                              const std::string& extra = "") {
    std::string page = "<html><head><meta charset=\"utf-8\"></head><body><ul>\n";
    for (const auto& hit : hits)
        page += "<li><a href=\"http://www.catalogue.example" + hit.first + "\" class=\"hit\">" + hit.second +
                "</a><span class=\"mod_attrib\">Rock</span></li>\n";
    return page + extra + "</ul></body></html>\n";
}

// One album list entry in the site's markup; title as written in the page.
inline std::string AlbumEntry(const std::string& path, const std::string& title) {
    return "<div class=\"albumEntry\">\n  <h3 class=\"albumTitle\">\n    <a href=\"" + path + "\">'" + title +
           "'</a>\n  </h3>\n</div>\n";
}

inline const std::string kNextPage = "<div class=\"pager\"><a href=\"next/\">Next Page&raquo;</a></div>\n";

inline std::string AlbumListPage(const std::string& entries) {
    return "<html><body><div class=\"albumList\">\n" + entries + "</div>\n</body></html>\n";
}

// One track row as the site writes it: linked title, or plain text.
inline std::string TrackRow(const std::string& title, bool linked = true) {
    std::string row = "<tr>\n  <td class=\"trackTitle\"><div class=\"albumBlkSong\">";
    row += linked ? "<a href=\"http://www.catalogue.example/song/s\">" + title + "</a>" : "<span>" + title + "</span>";
    return row + "</div></td>\n  <td class=\"trackTime\">3:00</td>\n</tr>\n";
}

inline std::string DateLine(const std::string& label, const std::string& date) {
    return "<p class=\"detailHead\">" + label + ": <span class=\"detailItem\">" + date + "</span></p>\n";
}

inline std::string CoverElement(const std::string& src) {
    return "<div><img class=\"albumArt\" src=\"" + src + "\" alt=\"cover\"></div>\n";
}

inline std::string GenreElement(const std::string& genre) {
    return "<dl><dt>Genre</dt><dd class=\"detailLink\">" + genre + "</dd></dl>\n";
}

inline std::string Wrap(const std::string& body) { return "<html><body>\n" + body + "</body></html>\n"; }

inline std::wstring W(const std::string& utf8) { return platform::FromUtf8(utf8); }

// utf8 as the search address carries it: bytes outside A-Z a-z 0-9 - . _ ~ as %XX.
inline std::string QueryEncode(const std::string& utf8) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : utf8) {
        if (isalnum(c) && c < 0x80) out += static_cast<char>(c);
        else if (c == '-' || c == '.' || c == '_' || c == '~') out += static_cast<char>(c);
        else out += {'%', hex[c >> 4], hex[c & 15]};
    }
    return out;
}

}  // namespace searchtest
