// CArtistLinkFinder against a walk of the artist link pattern with
// CRegexMatcher (Prepare, then FindNext until false): the same links, in the
// same order, with the same whole match and groups, on crafted pages, on
// hostile ones (unclosed quotes and tags, near misses by the thousand) and on
// random pages put together from pieces of the link markup.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "search/ArtistLinkFinder.h"
#include "text/RegexMatcher.h"

namespace {

const std::wstring kHost = L"www.catalogue.example";
const std::wstring kPattern = L"<a href=\"http://www\\.catalogue\\.example(/artist/[^\"]+)\"[^>]*>([^<]+)</a>"
                              L"<span class=\"mod_attrib\">";
const std::wstring kStart = L"<a href=\"http://www.catalogue.example/artist/";
const std::wstring kClose = L"</a><span class=\"mod_attrib\">";

struct Found {
    std::wstring whole, path, text;
    bool operator==(const Found&) const = default;
};

// Prints a link list as the failure message shows it.
std::string Describe(const std::vector<Found>& links) {
    std::wstring out;
    for (const Found& link : links) out += L"[" + link.whole + L" | " + link.path + L" | " + link.text + L"]\n";
    return std::string(out.begin(), out.end());  // the test pages are ASCII where it matters
}

std::vector<Found> PatternWalk(const std::wstring& page) {
    std::vector<Found> links;
    CRegexMatcher matcher;
    if (!matcher.Prepare(CString(page), CString(kPattern), true)) return links;
    while (matcher.FindNext()) {
        CString whole, path, text;
        matcher.GetMatch(0, whole);
        matcher.GetMatch(1, path);
        matcher.GetMatch(2, text);
        links.push_back({whole.str(), path.str(), text.str()});
    }
    return links;
}

std::vector<Found> FinderWalk(const std::wstring& page) {
    std::vector<Found> links;
    CArtistLinkFinder finder(page, kHost);
    ArtistLink link;
    while (finder.FindNext(link)) {
        EXPECT_LE(link.begin, link.end);
        links.push_back({page.substr(link.begin, link.end - link.begin), std::wstring(link.path),
                         std::wstring(link.text)});
    }
    EXPECT_FALSE(finder.FindNext(link)) << "a finished walk stays finished";
    return links;
}

std::wstring Repeat(const std::wstring& piece, int times) {
    std::wstring out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

std::wstring Link(const std::wstring& path, const std::wstring& text) { return kStart + path + L"\">" + text + kClose; }

TEST(ArtistLinkFinderTest, CraftedPagesGiveThePatternsLinks) {
    struct Row {
        const char* label;
        std::wstring page;
        size_t links;  // how many the pattern finds, a check on the row itself
    };
    const Row rows[] = {
        {"one link", L"<li>" + Link(L"v", L"Velnor") + L"x</span></li>", 1},
        {"three links", Link(L"a", L"A") + L"\n" + Link(L"b", L"B") + L" " + Link(L"c", L"C"), 3},
        {"markup in the link text", Link(L"a", L"<b>A</b>") + Link(L"b", L"B<b>"), 0},
        {"no span", kStart + L"v\">Velnor</a> <span class=\"mod_attrib\">", 0},
        {"attributes after the path", kStart + L"v\" class=\"x\" title='y'>Velnor" + kClose, 1},
        {"empty path", kStart + L"\">Velnor" + kClose, 0},
        {"empty link text", kStart + L"v\">" + kClose, 0},
        {"path running over a tag end", kStart + L"v>q<x\"y>Name" + kClose, 1},
        {"path holding a second start", kStart + L"v" + kStart + L"w\">Name" + kClose, 1},
        {"first start without quote, second whole", kStart + L"a\"" + kStart + L"b>q<x\"y>N" + kClose, 1},
        {"tag holding further starts", kStart + L"a\" " + kStart + L"b\" " + Link(L"c", L"C"), 1},
        {"unclosed quote at the end", Link(L"a", L"A") + kStart + L"never closed", 1},
        {"unclosed tag at the end", Link(L"a", L"A") + kStart + L"b\" title=\"open", 1},
        {"unclosed text at the end", Link(L"a", L"A") + kStart + L"b\">text to the end", 1},
        {"closing cut short at the end", Link(L"a", L"A") + kStart + L"b\">B</a><span class=\"mod_at", 1},
        {"start cut short at the end", Link(L"a", L"A") + L"<a href=\"http://www.catalogue.exa", 1},
        {"other host", L"<a href=\"http://www.catalogue.examples/artist/v\">V" + kClose, 0},
        {"dots are dots", L"<a href=\"http://wwwXcatalogue.example/artist/v\">V" + kClose, 0},
        {"case differs", L"<A HREF=\"http://www.catalogue.example/artist/v\">V" + kClose, 0},
        {"album link", L"<a href=\"http://www.catalogue.example/album/v\">V" + kClose, 0},
        {"line breaks inside", kStart + L"v\"\n\r>\nVel\r\nnor\n" + kClose, 1},
        {"NUL and non-BMP characters", kStart + L"v" + std::wstring(1, L'\0') + L"\">\U0001F3B5\0x" + kClose, 1},
        {"text with quote and tag end", kStart + L"v\">\"a\" > b" + kClose, 1},
        {"close tag of another element", kStart + L"v\">Name</b>" + kClose + Link(L"w", L"W"), 1},
        {"link right behind a link", Link(L"a", L"A") + Link(L"b", L"B") + Link(L"c", L"C"), 3},
        {"no markup at all", L"Velnor", 0},
        {"empty page", L"", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const std::vector<Found> expected = PatternWalk(row.page);
        EXPECT_EQ(expected.size(), row.links);
        const std::vector<Found> found = FinderWalk(row.page);
        EXPECT_EQ(found, expected) << "finder:\n" << Describe(found) << "pattern:\n" << Describe(expected);
    }
}

// Hostile pages small enough for the pattern's own search to finish soon.
TEST(ArtistLinkFinderTest, HostilePagesGiveThePatternsLinks) {
    struct Row {
        const char* label;
        std::wstring page;
    };
    const std::wstring valid = Link(L"velnor", L"Velnor");
    const Row rows[] = {
        {"unclosed tags, then a tag end", Repeat(kStart + L"a\" ", 300) + L">x<b"},
        {"unclosed tags, then a link", Repeat(kStart + L"a\" ", 300) + valid},
        {"unclosed tags to the end", valid + Repeat(kStart + L"a\" title=x ", 300)},
        {"unclosed quotes to the end", valid + kStart + Repeat(L"no quote <b>here</b> ", 300)},
        {"links closing neither quote nor tag", valid + Repeat(kStart + L"a-name ", 300)},
        {"unclosed quotes between links",
         Repeat(L"<a href=\"http://www.catalogue.example/artist/x>X</a>\n", 300) + valid},
        {"link texts never closed", Repeat(kStart + L"a\">text ", 300)},
        {"near-miss starts", Repeat(L"<a href=\"http://www.catalogue.example/artis", 3000) + valid},
        {"near-miss hosts", Repeat(L"<a href=\"http://www.catalogue.exampl/artist/a\">A" + kClose, 2000) + valid},
        {"near-miss closings", Repeat(kStart + L"a\">A</a><span class=\"mod_attri>", 2000) + valid},
        {"links without text", Repeat(kStart + L"a\">" + kClose, 2000) + valid},
        {"many good links", Repeat(valid + L"\n", 2000)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const std::vector<Found> expected = PatternWalk(row.page);
        const std::vector<Found> found = FinderWalk(row.page);
        EXPECT_EQ(found, expected) << "finder:\n" << Describe(found) << "pattern:\n" << Describe(expected);
    }
}

// Pages of random pieces of the link markup, every piece likely to continue a
// start in some way; the seed is fixed, so a failure repeats.
TEST(ArtistLinkFinderTest, RandomPagesGiveThePatternsLinks) {
    const std::vector<std::wstring> pieces = {
        kStart,
        kStart,
        kStart + L"a",
        kStart + L"b\">",
        Link(L"c", L"C"),
        L"\">Name",
        L"<a href=\"http://www.catalogue.example/artis",
        L"<a href=\"http://",
        L"www.catalogue.example",
        L"/artist/",
        L"\"",
        L"\"",
        L">",
        L">",
        L"<",
        L"<",
        L"</a>",
        kClose,
        kClose,
        L"<span class=\"mod_attrib\">",
        L"</a><span class=\"mod_",
        L"x",
        L"Velnor",
        L" ",
        L"\n",
        L"é",
        std::wstring(1, L'\0'),
        L"<b>",
        L"</b>",
        L"'",
    };
    std::mt19937 random(20261209);
    std::uniform_int_distribution<size_t> piece(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 60);
    size_t linksSeen = 0;
    for (int round = 0; round < 10000; ++round) {
        std::wstring page;
        for (int n = length(random); n > 0; --n) page += pieces[piece(random)];
        const std::vector<Found> expected = PatternWalk(page);
        const std::vector<Found> found = FinderWalk(page);
        linksSeen += expected.size();
        ASSERT_EQ(found, expected) << "round " << round << "\nfinder:\n"
                                   << Describe(found) << "pattern:\n"
                                   << Describe(expected);
    }
    EXPECT_GT(linksSeen, 5000u) << "the pieces make links often enough to test something";
}

}  // namespace
