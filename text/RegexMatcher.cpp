// CRegexMatcher over Boost.Regex: wide expressions with Unicode character
// classes and case folding (the library's std::locale traits, imbued with
// UnicodeLocale()), Perl syntax, and the library's exceptions turned into
// trace lines.
#include "text/RegexMatcher.h"

#include <boost/regex.hpp>

#include <exception>
#include <stdexcept>
#include <string>

#include "log/TraceLog.h"
#include "text/NarrowTrace.h"
#include "text/UnicodeCtypeFacet.h"

namespace {

using Iterator = const wchar_t*;
using MatchResults = boost::match_results<Iterator>;
// The traits of every build: std::locale based, so that one ctype facet of our
// own gives the classes and the case folding everywhere.
using Expression = boost::basic_regex<wchar_t, boost::cpp_regex_traits<wchar_t>>;

// The subject is quoted in search failures by this many leading characters.
constexpr size_t kExcerptLength = 50;

// The flags every search after the first carries: the text before the
// position is context, not the beginning of the buffer.
const boost::regex_constants::match_flag_type kContinuationFlags =
    boost::regex_constants::match_prev_avail | boost::regex_constants::match_not_bob;

}  // namespace

struct CRegexMatcher::Impl {
    // Every expression this matcher compiles keeps the traits imbued here.
    Impl() { m_expression.imbue(UnicodeLocale()); }

    Expression m_expression;
    MatchResults m_match;
    // The next search writes here and is swapped into m_match only on success,
    // so a failed search leaves the last match readable.
    MatchResults m_candidate;
    std::wstring m_strSubject;
    // The text searched: m_strSubject, or a caller's text searched in place.
    std::wstring_view m_subject;
    boost::regex_constants::match_flag_type m_flags = boost::regex_constants::match_default;
    Iterator m_position = nullptr;
    // Set after an empty match at the end of the subject: nothing is left to search.
    bool m_bExhausted = false;

    std::string Excerpt() const { return NarrowForTrace(std::wstring(m_subject.substr(0, kExcerptLength)).c_str()); }
};

CRegexMatcher::CRegexMatcher() : m_pImpl(std::make_unique<Impl>()) {}

CRegexMatcher::~CRegexMatcher() = default;

bool CRegexMatcher::Prepare(const CString& subject, const CString& pattern, bool caseSensitive) {
    if (!PrepareInPlace(subject.str(), pattern, caseSensitive)) return false;
    Impl& impl = *m_pImpl;
    impl.m_strSubject = subject.str();
    impl.m_subject = impl.m_strSubject;
    impl.m_position = impl.m_subject.data();
    return true;
}

bool CRegexMatcher::PrepareInPlace(std::wstring_view subject, const CString& pattern, bool caseSensitive) {
    Impl& impl = *m_pImpl;
    // The old subject goes first, so every failing exit leaves none; the match
    // goes with it, since its entries point into that subject.
    impl.m_strSubject.clear();
    impl.m_subject = std::wstring_view();
    impl.m_match = MatchResults();
    impl.m_position = nullptr;
    impl.m_bExhausted = false;

    if (subject.empty()) {
        WriteNarrowTrace(TRACE_WARNING, "Input string is empty");
        return false;
    }

    boost::regex_constants::syntax_option_type syntax = boost::regex_constants::normal;
    if (!caseSensitive) syntax |= boost::regex_constants::icase;
    const wchar_t* const first = pattern.GetString();
    try {
        impl.m_expression.assign(first, first + pattern.GetLength(), syntax);
    } catch (const boost::regex_error& error) {
        WriteNarrowTrace(TRACE_ERROR, "Invalid Regex: " + NarrowForTrace(first) +
                                          "\n\t=> caught bad_expression exception: what=" + error.what());
        return false;
    } catch (const std::exception& error) {
        WriteNarrowTrace(TRACE_ERROR, "Invalid Regex: " + NarrowForTrace(first) +
                                          "\n\t=> caught generic exception: what=" + error.what());
        return false;
    }
    if (impl.m_expression.empty()) {
        WriteNarrowTrace(TRACE_ERROR, "Regex is EMPTY: " + NarrowForTrace(first));
        return false;
    }

    impl.m_subject = subject;
    impl.m_position = impl.m_subject.data();
    impl.m_flags = boost::regex_constants::match_default;
    return true;
}

bool CRegexMatcher::FindNext() {
    Impl& impl = *m_pImpl;
    if (impl.m_subject.empty()) {
        WriteNarrowTrace(TRACE_ERROR, "NOT initialized (string to match is empty)");
        return false;
    }
    if (impl.m_bExhausted) return false;

    const Iterator end = impl.m_subject.data() + impl.m_subject.size();
    try {
        if (!boost::regex_search(impl.m_position, end, impl.m_candidate, impl.m_expression, impl.m_flags)) return false;
    } catch (const std::runtime_error& error) {
        WriteNarrowTrace(TRACE_ERROR, "String too complex for regexp matching: " + impl.Excerpt() +
                                          "...\n\t=> caught runtime_error: what=" + error.what());
        return false;
    } catch (const std::exception& error) {
        WriteNarrowTrace(TRACE_ERROR, "Regex matching for string: " + impl.Excerpt() +
                                          "...\n\t=> caught generic exception: what=" + error.what());
        return false;
    }

    impl.m_match.swap(impl.m_candidate);
    impl.m_position = impl.m_match[0].second;
    // An empty whole match would be found again at the same place: the next
    // search starts one character further on, or not at all at the end.
    if (impl.m_match[0].first == impl.m_match[0].second) {
        if (impl.m_position == end) impl.m_bExhausted = true;
        else ++impl.m_position;
    }
    impl.m_flags |= kContinuationFlags;
    return true;
}

bool CRegexMatcher::FindFirst(const CString& subject, const CString& pattern, bool caseSensitive) {
    return Prepare(subject, pattern, caseSensitive) && FindNext();
}

bool CRegexMatcher::FindFirstInPlace(std::wstring_view subject, const CString& pattern, bool caseSensitive) {
    return PrepareInPlace(subject, pattern, caseSensitive) && FindNext();
}

bool CRegexMatcher::GetMatch(unsigned index, CString& out) const {
    const unsigned count = GetMatchCount();
    if (index < count) {
        const auto& group = m_pImpl->m_match[static_cast<int>(index)];
        out = group.matched ? std::wstring(group.first, group.second) : std::wstring();
        return true;
    }
    WriteNarrowTrace(TRACE_ERROR,
                     "Match index out of bounds: " + std::to_string(index) + " >= " + std::to_string(count));
    return false;
}

unsigned CRegexMatcher::GetMatchCount() const { return static_cast<unsigned>(m_pImpl->m_match.size()); }
