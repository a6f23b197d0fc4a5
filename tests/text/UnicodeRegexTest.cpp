// Regular expressions over wide text of every script, through the ctype
// facet of our own (text/UnicodeCtypeFacet.h): classes and case-blind matching give the same matches on
// Linux and Windows, whatever locales the C++ library knows. The one place
// where the systems differ (a letter above U+FFFF is a pair of code units on
// Windows, and a lone half has no case) has rows of its own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Unicode.h"
#include "tests/support/LogCapture.h"
#include "text/RegexMatcher.h"

namespace {

// Every whole match of pattern in subject, in order.
std::vector<std::wstring> AllMatches(const std::wstring& subject, const std::wstring& pattern, bool caseSensitive) {
    CRegexMatcher matcher;
    std::vector<std::wstring> found;
    if (!matcher.Prepare(subject, pattern, caseSensitive)) return found;
    while (found.size() < 50 && matcher.FindNext()) {
        CString whole;
        matcher.GetMatch(0, whole);
        found.push_back(whole.str());
    }
    return found;
}

using Matches = std::vector<std::wstring>;

TEST(UnicodeRegexTest, ClassesAndCaseFoldingCoverEveryScript) {
    const struct {
        const char* name;
        std::wstring subject;
        std::wstring pattern;
        bool caseSensitive;
        Matches expected;
    } rows[] = {
        {"Latin-1 letters fold", L"BJ\u00D6RK bj\u00F6rk", L"bj\u00F6rk", false, {L"BJ\u00D6RK", L"bj\u00F6rk"}},
        {"upper-case pattern folds", L"bj\u00F6rk", L"BJ\u00D6RK", false, {L"bj\u00F6rk"}},
        {"case counts when asked", L"BJ\u00D6RK bj\u00F6rk", L"bj\u00F6rk", true, {L"bj\u00F6rk"}},
        {"Cyrillic folds",
         L"\u042F\u0420\u041E \u044F\u0440\u043E",
         L"\u044F\u0440\u043E",
         false,
         {L"\u042F\u0420\u041E", L"\u044F\u0440\u043E"}},
        {"Greek final sigma folds", L"\u039F\u03A3 \u03BF\u03C2", L"\u03BF\u03C3", false, {L"\u039F\u03A3"}},
        {"class of a folded letter", L"\u00C9t\u00E9", L"[\u00E9]", false, {L"\u00C9", L"\u00E9"}},
        {"word characters of every script",
         L"caf\u00E9, \u042F\u0440\u043E! \u65E5\u672C",
         L"\\w+",
         true,
         {L"caf\u00E9", L"\u042F\u0440\u043E", L"\u65E5\u672C"}},
        {"digits are the ASCII ones", L"\u0661\u0662 12 \uFF13", L"\\d+", true, {L"12"}},
        {"four digits make a year", L"14/05/1971", L"\\d\\d\\d\\d", true, {L"1971"}},
        {"wide spaces are spaces", L"a\u3000b\u2003c", L"\\s", true, {L"\u3000", L"\u2003"}},
        {"no-break space is not", L"a\u00A0b", L"\\s", true, {}},
        {"upper-case class", L"a\u0416b\u00C9", L"[[:upper:]]", true, {L"\u0416", L"\u00C9"}},
        {"punctuation is not a word character", L"a-b", L"\\W", true, {L"-"}},
        {"a letter above U+FFFF matches itself",
         L"x\U00010437y\U00010437",
         L"\U00010437",
         true,
         {L"\U00010437", L"\U00010437"}},
    };
    LogCapture log;
    for (const auto& row : rows)
        EXPECT_EQ(AllMatches(row.subject, row.pattern, row.caseSensitive), row.expected) << row.name;
    EXPECT_TRUE(log.Lines().empty()) << "no row may write a message";
}

TEST(UnicodeRegexTest, ALetterAboveTheBmpFoldsWhereWideCharactersAreCodePoints) {
    // U+1040F and U+10437 are the capital and small forms of one letter. With
    // 16-bit wide characters the expression sees two halves without case.
    const Matches found = AllMatches(L"\U0001040F", L"\U00010437", false);
    if (platform::kWideHoldsCodePoints) EXPECT_EQ(found, Matches{L"\U0001040F"});
    else EXPECT_TRUE(found.empty());
}

}  // namespace
