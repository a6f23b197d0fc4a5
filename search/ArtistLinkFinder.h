// CArtistLinkFinder: the artist links of a catalogue search page, in page
// order, as the artist link pattern finds them:
//
//   <a href="http://HOST(/artist/[^"]+)"[^>]*>([^<]+)</a><span class="mod_attrib">
//
// with each "." of HOST matching only a dot. A walk gives the same links, in
// the same order and with the same two groups, as a walk of that pattern with
// successive searches, but in time linear in the page's length: each of the
// three repeated classes stops at the one character that must follow it, so
// the first such character after a class's start is the only place where it
// can end, and those places are found with one forward cursor per character.
// A start whose search ran off the end of the page ends the walk, since every
// later start would run off the end too.
//
// The host is compared as plain text, as the pattern reads a host of letters,
// digits, hyphens and dots. The finder reads the caller's page (which must
// outlive it) and keeps only positions; it is used by one thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// One artist link: the artist path (group 1) and the link text (group 2), both
// views into the page, and the extent of the whole link with its attribution span.
struct ArtistLink {
    std::wstring_view path;
    std::wstring_view text;
    size_t begin = 0;
    size_t end = 0;
};

class CArtistLinkFinder {
public:
    // Starts a walk over page for links to siteHost, at the start of the page.
    CArtistLinkFinder(std::wstring_view page, std::wstring_view siteHost);

    // The next link behind the previous one; false when no link is left.
    bool FindNext(ArtistLink& link);

private:
    // The first position at or after a given one that holds one character, for
    // positions asked in non-decreasing order: the page is read once per character.
    class CForwardCursor {
    public:
        CForwardCursor(std::wstring_view page, wchar_t character) : m_page(page), m_character(character) {}
        // Position of the first character at or after from; npos when there is none.
        size_t NextFrom(size_t from);

    private:
        std::wstring_view m_page;
        wchar_t m_character;
        size_t m_found = 0;  // the last answer (npos once the page has no more)
        bool m_bAsked = false;
    };

    std::wstring_view m_page;
    std::wstring m_strLinkStart;  // "<a href=\"http://" HOST "/artist/"
    size_t m_position = 0;        // where the next start is looked for
    bool m_bDone = false;
    CForwardCursor m_quotes;
    CForwardCursor m_tagEnds;
    CForwardCursor m_tagStarts;
};
