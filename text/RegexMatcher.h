// CRegexMatcher: one compiled regular expression (Perl syntax), one private
// copy of a subject text (or, in place, a caller's text) and a search position. Callers either take the first
// match (FindFirst) or walk over all successive matches (Prepare, then
// FindNext until false), reading the whole match and its groups with GetMatch.
//
// Every failure of the expression library (bad pattern, complexity or memory
// limit while searching) is written to the trace log and returned as false;
// only exceptions that are not standard exceptions pass through. Messages are
// assembled as 8-bit text with the thread's ANSI code page.
//
// Objects live on the caller's stack for one parsing job and are used by one
// thread at a time. The expression library stays behind a private
// implementation, so including this header brings no library headers along.
#pragma once

#include <memory>
#include <string_view>

#include "platform/CString.h"

class CRegexMatcher {
public:
    CRegexMatcher();
    ~CRegexMatcher();
    CRegexMatcher(const CRegexMatcher&) = delete;
    CRegexMatcher& operator=(const CRegexMatcher&) = delete;

    // Compiles pattern (case-insensitive unless caseSensitive), copies subject and
    // puts the search position at its start. False, with one trace line, for an
    // empty subject (the pattern is then not compiled) or a pattern the library
    // rejects; any call first discards the previous subject.
    bool Prepare(const CString& subject, const CString& pattern, bool caseSensitive);

    // Searches from the position to the end of the subject. On a match the
    // groups are readable, the position moves past the whole match (one
    // character further for an empty match) and later searches see the text
    // before the position as context. False when nothing more matches, or with
    // one trace line when there is no subject or the library fails.
    bool FindNext();

    // Prepare, then FindNext; false if either is false.
    bool FindFirst(const CString& subject, const CString& pattern, bool caseSensitive);

    // Prepare and FindFirst over subject where it stands, without a copy, for
    // page-sized texts: the caller keeps subject alive and unchanged until the
    // next Prepare or the matcher's end.
    bool PrepareInPlace(std::wstring_view subject, const CString& pattern, bool caseSensitive);
    bool FindFirstInPlace(std::wstring_view subject, const CString& pattern, bool caseSensitive);

    // Copies the text of group index (0: the whole match; empty for a group that
    // did not take part) into out. False, with one trace line and out unchanged,
    // when index is not below GetMatchCount().
    bool GetMatch(unsigned index, CString& out) const;

    // Entries of the last match, the whole match included (1 + groups); 0 before any match.
    unsigned GetMatchCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};
