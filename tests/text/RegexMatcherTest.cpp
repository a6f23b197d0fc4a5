// CRegexMatcher: case sensitivity, walks over successive matches with the
// previous character as context, empty matches, groups, the logged failures
// with their exact messages, and the complexity limit of the library.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "tests/support/LogCapture.h"
#include "tests/text/AllocationHooks.h"
#include "text/RegexMatcher.h"

namespace {

// All matches (group 0) of a walk with FindNext, at most limit of them.
std::vector<std::wstring> Walk(const CString& subject, const CString& pattern, bool caseSensitive = true,
                               size_t limit = 100) {
    CRegexMatcher matcher;
    std::vector<std::wstring> found;
    if (!matcher.Prepare(subject, pattern, caseSensitive)) return found;
    while (found.size() < limit && matcher.FindNext()) {
        CString whole;
        EXPECT_TRUE(matcher.GetMatch(0, whole));
        found.push_back(whole.str());
    }
    return found;
}

using Matches = std::vector<std::wstring>;

struct WalkRow {
    const char* name;
    const wchar_t* subject;
    const wchar_t* pattern;
    bool caseSensitive;
    Matches expected;
};

TEST(RegexMatcherTest, WalksFindEveryMatchInOrder) {
    const WalkRow rows[] = {
        {"one letter three times", L"aaa", L"a", true, {L"a", L"a", L"a"}},
        {"no match", L"abc", L"x", true, {}},
        {"groups of words", L"one two three", L"\\w+", true, {L"one", L"two", L"three"}},
        {"case-sensitive misses capitals", L"HELLO hello", L"hello", true, {L"hello"}},
        {"case-insensitive finds capitals", L"HELLO hello", L"hello", false, {L"HELLO", L"hello"}},
        {"case-insensitive upper pattern", L"mixed MiXeD", L"MIXED", false, {L"mixed", L"MiXeD"}},
        {"line anchor sees the previous letter", L"aa", L"^a", true, {L"a"}},
        {"line anchor after a line feed", L"a\na", L"^a", true, {L"a", L"a"}},
        {"buffer start only once", L"aa", L"\\Aa", true, {L"a"}},
        {"word boundary sees the previous letter", L"abab", L"\\bab", true, {L"ab"}},
        {"word boundary after a blank", L"ab ab", L"\\bab", true, {L"ab", L"ab"}},
        {"empty matches step on", L"ab", L"x*", true, {L"", L"", L""}},
        {"empty pattern", L"abc", L"", true, {L"", L"", L"", L""}},
        {"empty and non-empty matches", L"baa", L"a*", true, {L"", L"aa", L""}},
        {"lookahead only", L"ab", L"(?=b)", true, {L""}},
        {"case-insensitive beyond ASCII", L"BJÖRK björk", L"björk", false, {L"BJÖRK", L"björk"}},
        {"blank class holds the ideographic space", L"a\u3000b", L"\\s", true, {L"\u3000"}},
        {"word class holds accented letters", L"café au", L"\\w+", true, {L"café", L"au"}},
    };
    LogCapture log;
    for (const WalkRow& row : rows) {
        EXPECT_EQ(Walk(row.subject, row.pattern, row.caseSensitive), row.expected) << row.name;
    }
    EXPECT_TRUE(log.Lines().empty()) << "no row may write a message";
}

TEST(RegexMatcherTest, FalseAtTheEndStaysFalseAndKeepsTheLastMatch) {
    CRegexMatcher matcher;
    ASSERT_TRUE(matcher.Prepare(L"k1 k2", L"k(\\d)", true));
    ASSERT_TRUE(matcher.FindNext());
    ASSERT_TRUE(matcher.FindNext());
    EXPECT_FALSE(matcher.FindNext());
    EXPECT_FALSE(matcher.FindNext()) << "searching the same range again fails again";
    CString digit;
    ASSERT_TRUE(matcher.GetMatch(1, digit));
    EXPECT_EQ(digit, L"2");
}

TEST(RegexMatcherTest, FindFirstStartsAfreshOnEachSubject) {
    CRegexMatcher matcher;
    ASSERT_TRUE(matcher.FindFirst(L"aa", L"^a", true));
    ASSERT_FALSE(matcher.FindNext());
    // A new subject is searched from its beginning with no context before it.
    EXPECT_TRUE(matcher.FindFirst(L"a", L"^a", true));
    EXPECT_FALSE(matcher.FindFirst(L"xa", L"\\ba", true));
    EXPECT_TRUE(matcher.FindFirst(L"a", L"\\Aa", true));
}

TEST(RegexMatcherTest, SubjectIsCopied) {
    CRegexMatcher matcher;
    {
        CString subject(L"<b>first</b><b>second</b>");
        ASSERT_TRUE(matcher.Prepare(subject, L"<b>([^<]*)</b>", true));
        subject = L"changed";
    }
    CString group;
    ASSERT_TRUE(matcher.FindNext());
    ASSERT_TRUE(matcher.GetMatch(1, group));
    EXPECT_EQ(group, L"first");
    ASSERT_TRUE(matcher.FindNext());
    ASSERT_TRUE(matcher.GetMatch(1, group));
    EXPECT_EQ(group, L"second");
}

// A text searched in place behaves as its copy would: the view's first
// character is the beginning of the buffer, the character before it is not
// context, and the walk stops at the view's end.
TEST(RegexMatcherTest, InPlaceSearchMatchesTheCopiedSubject) {
    const std::wstring page = L"xx<b>first</b>ab <b>second</b><b>third</b>";
    const struct {
        const char* name;
        size_t from, length;
        const wchar_t* pattern;
    } rows[] = {
        {"middle of the page", 2, 30, L"<b>([^<]*)</b>"},
        {"anchor at the view's start", 14, 20, L"^ab|\\bab"},
        {"word boundary after a word character", 3, 10, L"\\bb>"},
        {"empty matches", 5, 6, L"x*"},
    };
    for (const auto& row : rows) {
        const std::wstring_view view = std::wstring_view(page).substr(row.from, row.length);
        const std::vector<std::wstring> copied = Walk(CString(std::wstring(view)), row.pattern);
        std::vector<std::wstring> inPlace;
        CRegexMatcher matcher;
        ASSERT_TRUE(matcher.PrepareInPlace(view, row.pattern, true)) << row.name;
        while (inPlace.size() < 100 && matcher.FindNext()) {
            CString whole;
            matcher.GetMatch(0, whole);
            inPlace.push_back(whole.str());
        }
        EXPECT_EQ(inPlace, copied) << row.name;
    }
    CRegexMatcher first;
    CString group;
    ASSERT_TRUE(first.FindFirstInPlace(std::wstring_view(page).substr(17), L"<b>([^<]*)</b>", true));
    ASSERT_TRUE(first.GetMatch(1, group));
    EXPECT_EQ(group, L"second");
}

TEST(RegexMatcherTest, GroupsAndTheirCount) {
    LogCapture log;
    CRegexMatcher matcher;
    EXPECT_EQ(matcher.GetMatchCount(), 0u);
    ASSERT_TRUE(matcher.FindFirst(L"<a href=\"/album/7\">'Title'</a>", L"href=\"([^\"]+)\">'([^<]*)'(x)?", true));
    EXPECT_EQ(matcher.GetMatchCount(), 4u);
    CString out;
    ASSERT_TRUE(matcher.GetMatch(0, out));
    EXPECT_EQ(out, L"href=\"/album/7\">'Title'");
    ASSERT_TRUE(matcher.GetMatch(1, out));
    EXPECT_EQ(out, L"/album/7");
    ASSERT_TRUE(matcher.GetMatch(2, out));
    EXPECT_EQ(out, L"Title");
    out = L"stale";
    ASSERT_TRUE(matcher.GetMatch(3, out)) << "a group that did not take part is still readable";
    EXPECT_EQ(out, L"");
    EXPECT_TRUE(log.Lines().empty());
}

TEST(RegexMatcherTest, GroupIndexOutOfBoundsIsLoggedAndLeavesOutUnchanged) {
    struct Row {
        const char* name;
        bool search;
        unsigned index;
        const wchar_t* expected;
    };
    const Row rows[] = {
        {"one group, index 2", true, 2, L"Match index out of bounds: 2 >= 2"},
        {"largest index", true, 4294967295u, L"Match index out of bounds: 4294967295 >= 2"},
        {"before any search", false, 0, L"Match index out of bounds: 0 >= 0"},
    };
    for (const Row& row : rows) {
        CRegexMatcher matcher;
        if (row.search) {
            ASSERT_TRUE(matcher.FindFirst(L"xay", L"(a)", true)) << row.name;
        }
        LogCapture log;
        CString out(L"unchanged");
        EXPECT_FALSE(matcher.GetMatch(row.index, out)) << row.name;
        EXPECT_EQ(out, L"unchanged") << row.name;
        ASSERT_EQ(log.Lines().size(), 1u) << row.name;
        EXPECT_EQ(log.Lines()[0].label, L"ERR") << row.name;
        EXPECT_EQ(log.Lines()[0].message, row.expected) << row.name;
    }
}

TEST(RegexMatcherTest, EmptySubjectIsRefusedWithoutCompiling) {
    LogCapture log;
    CRegexMatcher matcher;
    EXPECT_FALSE(matcher.Prepare(L"", L"[not compiled", true));
    EXPECT_FALSE(matcher.FindNext());
    EXPECT_FALSE(matcher.FindFirst(L"", L"a", true));
    ASSERT_EQ(log.Lines().size(), 3u);
    EXPECT_EQ(log.Lines()[0].label, L"WRN");
    EXPECT_EQ(log.Lines()[0].message, L"Input string is empty");
    EXPECT_EQ(log.Lines()[1].label, L"ERR");
    EXPECT_EQ(log.Lines()[1].message, L"NOT initialized (string to match is empty)");
    EXPECT_EQ(log.Lines()[2].message, L"Input string is empty");
}

TEST(RegexMatcherTest, FreshObjectAndFailedPrepareAreNotInitialized) {
    LogCapture log;
    CRegexMatcher fresh;
    EXPECT_FALSE(fresh.FindNext());

    CRegexMatcher used;
    ASSERT_TRUE(used.FindFirst(L"abc", L"(b)", true));
    EXPECT_FALSE(used.Prepare(L"abc", L"(b", true));
    EXPECT_FALSE(used.FindNext());
    EXPECT_EQ(used.GetMatchCount(), 0u) << "the entries of the old subject must not stay readable";

    ASSERT_EQ(log.Lines().size(), 3u);
    EXPECT_EQ(log.Lines()[0].message, L"NOT initialized (string to match is empty)");
    EXPECT_EQ(log.Lines()[2].message, L"NOT initialized (string to match is empty)");
}

TEST(RegexMatcherTest, InvalidPatternsAreLoggedWithTheLibraryText) {
    const wchar_t* patterns[] = {L"[abc", L"(open", L"a{2,1}", L"*lead", L"\\"};
    for (const wchar_t* pattern : patterns) {
        LogCapture log;
        CRegexMatcher matcher;
        EXPECT_FALSE(matcher.Prepare(L"subject", pattern, true)) << std::wstring(pattern);
        ASSERT_EQ(log.Lines().size(), 1u) << std::wstring(pattern);
        EXPECT_EQ(log.Lines()[0].label, L"ERR");
        const std::wstring prefix =
            L"Invalid Regex: " + std::wstring(pattern) + L"\\n\t=> caught bad_expression exception: what=";
        const std::wstring message = log.Lines()[0].message;
        EXPECT_EQ(message.substr(0, prefix.size()), prefix);
        EXPECT_GT(message.size(), prefix.size()) << "the library's text follows";
    }
}

TEST(RegexMatcherTest, OtherExceptionWhileCompilingIsLoggedAsGeneric) {
    LogCapture log;
    CRegexMatcher matcher;
    const CString subject(L"subject"), pattern(L"sub(ject)");
    testsupport::FailNextAllocation();
    EXPECT_FALSE(matcher.Prepare(subject, pattern, true));
    EXPECT_FALSE(testsupport::CancelAllocationFailure()) << "compiling must have allocated";
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0].label, L"ERR");
    EXPECT_EQ(log.Lines()[0].message, L"Invalid Regex: sub(ject)\\n\t=> caught generic exception: what=std::bad_alloc");
}

TEST(RegexMatcherTest, OtherExceptionWhileSearchingIsLoggedAsGeneric) {
    LogCapture log;
    CRegexMatcher matcher;
    ASSERT_TRUE(matcher.Prepare(L"a subject to search", L"(sub)(ject)", true));
    testsupport::FailNextAllocation();
    EXPECT_FALSE(matcher.FindNext());
    EXPECT_FALSE(testsupport::CancelAllocationFailure()) << "searching must have allocated";
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(
        log.Lines()[0].message,
        L"Regex matching for string: a subject to search...\\n\t=> caught generic exception: what=std::bad_alloc");
    // The object is still usable.
    EXPECT_TRUE(matcher.FindNext());
}

// A pattern that backtracks catastrophically on a run of "x" without "y".
constexpr const wchar_t* kExplosivePattern = L"A|(x+x+)+y";

TEST(RegexMatcherTest, ComplexityLimitQuotesTheFirstFiftyCharacters) {
    struct Row {
        const char* name;
        std::wstring subject;
        std::wstring excerpt;
    };
    const std::wstring head = L"A123456789B123456789C123456789D123456789E123456789";  // 50 characters
    const Row rows[] = {
        {"300 characters", head + std::wstring(250, L'x'), head},
        {"shorter than 50", L"A" + std::wstring(30, L'x'), L"A" + std::wstring(30, L'x')},
    };
    for (const Row& row : rows) {
        LogCapture log;
        CRegexMatcher matcher;
        ASSERT_TRUE(matcher.Prepare(row.subject, kExplosivePattern, true)) << row.name;
        ASSERT_TRUE(matcher.FindNext()) << row.name << ": the leading A matches first";
        EXPECT_FALSE(matcher.FindNext()) << row.name;
        ASSERT_EQ(log.Lines().size(), 1u) << row.name;
        EXPECT_EQ(log.Lines()[0].label, L"ERR") << row.name;
        // The excerpt comes from the start of the subject, not from the search position.
        const std::wstring prefix =
            L"String too complex for regexp matching: " + row.excerpt + L"...\\n\t=> caught runtime_error: what=";
        const std::wstring message = log.Lines()[0].message;
        EXPECT_EQ(message.substr(0, prefix.size()), prefix) << row.name;
        EXPECT_GT(message.size(), prefix.size()) << row.name;
    }
}

TEST(RegexMatcherTest, MessagesAreNarrowedWithTheThreadAnsiPage) {
    LogCapture log;
    CRegexMatcher matcher;
    platform::SetThreadAnsiCodePage(65001);
    EXPECT_FALSE(matcher.Prepare(L"s", L"[\u00E9\u65E5", true));
    platform::SetThreadAnsiCodePage(1252);
    EXPECT_FALSE(matcher.Prepare(L"s", L"[\u00E9\u65E5", true));
    platform::SetThreadAnsiCodePage(0);
    ASSERT_EQ(log.Lines().size(), 2u);
    const std::wstring utf8 = L"Invalid Regex: [\u00E9\u65E5\\n";
    const std::wstring ansi = L"Invalid Regex: [\u00E9?\\n";
    EXPECT_EQ(log.Lines()[0].message.substr(0, utf8.size()), utf8);
    EXPECT_EQ(log.Lines()[1].message.substr(0, ansi.size()), ansi) << "characters 1252 lacks become ?";
}

}  // namespace
