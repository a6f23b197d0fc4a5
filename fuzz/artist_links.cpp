// Fuzz target: CArtistLinkFinder against a walk of the artist link pattern
// with CRegexMatcher over the same page: the same links in the same order,
// with the same whole match, path and link text.
//
// The first byte picks how the rest becomes a page: as text (UTF-8 or raw
// code points, see WideFromBytes), or one piece of link markup per byte, so
// that starts, quotes, tag ends and closings meet often. Pages are cut to
// kMaxPage characters, which keeps the pattern's own backtracking search short.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "search/ArtistLinkFinder.h"
#include "text/RegexMatcher.h"

using fuzzsupport::Require;

namespace {

constexpr size_t kMaxPage = 1500;
const std::wstring kHost = L"www.catalogue.example";
const wchar_t kPattern[] = L"<a href=\"http://www\\.catalogue\\.example(/artist/[^\"]+)\"[^>]*>([^<]+)</a>"
                           L"<span class=\"mod_attrib\">";

const std::wstring_view kPieces[] = {
    L"<a href=\"http://www.catalogue.example/artist/",
    L"<a href=\"http://www.catalogue.example/artist/a",
    L"<a href=\"http://www.catalogue.example/artis",
    L"<a href=\"http://",
    L"www.catalogue.example",
    L"/artist/",
    L"</a><span class=\"mod_attrib\">",
    L"</a>",
    L"<span class=\"mod_attrib\">",
    L"</a><span class=\"mod_",
    L"\"",
    L">",
    L"<",
    L"\">",
    L"\">Name",
    L"x",
    L" ",
    L"\n",
    L"é",
    std::wstring_view(L"\0", 1),
    L"<b>",
    L"'",
};

std::wstring PageFromBytes(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.empty() || (static_cast<unsigned char>(bytes[0]) & 2) == 0) return fuzzsupport::WideFromBytes(bytes);
    std::wstring page;
    for (unsigned char byte : bytes.substr(1)) page += kPieces[byte % std::size(kPieces)];
    return page;
}

struct Found {
    std::wstring whole, path, text;
    bool operator==(const Found&) const = default;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring page = PageFromBytes(data, size);
    if (page.size() > kMaxPage) page.resize(kMaxPage);

    // One matcher for the whole run: making one takes longer than a search.
    static CRegexMatcher matcher;
    std::vector<Found> expected;
    if (matcher.Prepare(CString(page), kPattern, true)) {
        CString whole, path, text;
        while (matcher.FindNext() && matcher.GetMatch(0, whole) && matcher.GetMatch(1, path) &&
               matcher.GetMatch(2, text))
            expected.push_back({whole.str(), path.str(), text.str()});
    }

    std::vector<Found> found;
    CArtistLinkFinder finder(page, kHost);
    ArtistLink link;
    size_t previousEnd = 0;
    while (finder.FindNext(link)) {
        Require(previousEnd <= link.begin && link.begin < link.end && link.end <= page.size(),
                "links follow each other inside the page");
        previousEnd = link.end;
        found.push_back({page.substr(link.begin, link.end - link.begin), std::wstring(link.path),
                         std::wstring(link.text)});
    }
    Require(!finder.FindNext(link), "a finished walk stays finished");
    Require(found == expected, "the finder gives the pattern's links");
    return 0;
}
