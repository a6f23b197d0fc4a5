// CArtistLinkFinder (see ArtistLinkFinder.h for what a walk gives).
#include "search/ArtistLinkFinder.h"

namespace {

constexpr std::wstring_view kLinkOpening = L"<a href=\"http://";
constexpr std::wstring_view kArtistPath = L"/artist/";
// What follows the link text: the end of the link and the attribution span.
constexpr std::wstring_view kLinkClosing = L"</a><span class=\"mod_attrib\">";

}  // namespace

size_t CArtistLinkFinder::CForwardCursor::NextFrom(size_t from) {
    // No character lies between the last question and its answer, so any
    // later question up to that answer has the same one.
    if (m_bAsked && (m_found == std::wstring_view::npos || from <= m_found)) return m_found;
    m_bAsked = true;
    m_found = m_page.find(m_character, from);
    return m_found;
}

CArtistLinkFinder::CArtistLinkFinder(std::wstring_view page, std::wstring_view siteHost)
    : m_page(page),
      m_strLinkStart(std::wstring(kLinkOpening) + std::wstring(siteHost) + std::wstring(kArtistPath)),
      m_quotes(page, L'"'),
      m_tagEnds(page, L'>'),
      m_tagStarts(page, L'<') {}

bool CArtistLinkFinder::FindNext(ArtistLink& link) {
    constexpr size_t npos = std::wstring_view::npos;
    while (!m_bDone) {
        const size_t start = m_page.find(m_strLinkStart, m_position);
        if (start == npos) break;
        // A start that does not match: the next one is looked for one character on.
        m_position = start + 1;

        // "[^\"]+" and its closing quote: the path is never empty.
        const size_t pathStart = start + m_strLinkStart.size() - kArtistPath.size();
        const size_t pathClassStart = start + m_strLinkStart.size();
        const size_t quote = m_quotes.NextFrom(pathClassStart);
        if (quote == npos) break;  // no quote behind this start, none behind any later one
        if (quote == pathClassStart) continue;

        // "[^>]*" and the end of the opening tag.
        const size_t tagEnd = m_tagEnds.NextFrom(quote + 1);
        if (tagEnd == npos) break;

        // "[^<]+", the link text, and what must follow it.
        const size_t textStart = tagEnd + 1;
        const size_t closing = m_tagStarts.NextFrom(textStart);
        if (closing == npos) break;
        if (closing == textStart || m_page.substr(closing, kLinkClosing.size()) != kLinkClosing) continue;

        link.path = m_page.substr(pathStart, quote - pathStart);
        link.text = m_page.substr(textStart, closing - textStart);
        link.begin = start;
        link.end = closing + kLinkClosing.size();
        m_position = link.end;
        return true;
    }
    m_bDone = true;
    return false;
}
