// Tests of the name-difference measure and the first-word swap.
#include "search/NameMatcher.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/CodePage.h"

namespace {

std::string Show(const wchar_t* text) { return platform::ToUtf8(text); }

struct DifferenceCase {
    const wchar_t* first;
    const wchar_t* second;
    float expected;
};

void ExpectDifferences(const CNameMatcher& matcher, const DifferenceCase* cases, size_t count) {
    for (size_t k = 0; k < count; ++k) {
        const DifferenceCase& c = cases[k];
        EXPECT_EQ(matcher.GetDifference(c.first, c.second), c.expected)
            << "\"" << Show(c.first) << "\" vs \"" << Show(c.second) << "\"";
        EXPECT_EQ(matcher.GetDifference(c.second, c.first), c.expected)
            << "exchanged: \"" << Show(c.second) << "\" vs \"" << Show(c.first) << "\"";
    }
}

const DifferenceCase kWorkedValues[] = {
    {L"KORVA", L"korva", 0},
    {L"ZT/QX", L"ZT-QX", 20},
    {L"ZT/QX", L"ZTQX", 30},
    {L"Velnor 182", L"Velnor-182", 10},
    {L"Marastella", L"Marastela", 70},
    {L"Ploms", L"The Ploms", 215},
    {L"Quorin", L"Quorin (US)", 25},
    {L"Quorin (US)", L"Quorin", 25},
    {L"Tam Brisk", L"Brisk, Tam", 460},
    {L"Brisk Tam", L"Brisk, Tam", 15},
};

TEST(NameMatcherTest, WorkedValuesComeOutExactly) {
    ExpectDifferences(CNameMatcher(false), kWorkedValues, std::size(kWorkedValues));
}

TEST(NameMatcherTest, EdgeCases) {
    const DifferenceCase cases[] = {
        {L"", L"", 0},
        {L"abc", L"", 210},
        {L"  Quorin\t", L"Quorin", 0},       // white space at both ends is ignored
        {L"Tam  Brisk", L"Tam Brisk", 5},    // a doubled blank inside costs 5
        {L"Velnor", L"Velnor (xy)", 25},     // blank 5 + a tenth of 30, 70, 70, 30
        {L"1", L"a", 60},                    // digit against letter
        {L"1", L"", 20},
        {L"!", L"", 30},
        {L"a b", L"ab", 5},
        {L"ab", L"ba", 140},
    };
    ExpectDifferences(CNameMatcher(false), cases, std::size(cases));
}

TEST(NameMatcherTest, BracketDiscount) {
    const DifferenceCase cases[] = {
        // A wholly bracketed name gets no discount from its own pair.
        {L"(Quorin)", L"(Quorix)", 100},
        {L"[Quorin]", L"[Quorix]", 100},
        // Inside a pair that does not enclose the whole name: a tenth.
        {L"Quorin (Live)", L"Quorin (Livx)", 10},
        {L"Quorin [Live]", L"Quorin [Livx]", 10},
        {L"Quorin {Live}", L"Quorin {Livx}", 10},
        {L"Quorin <Live>", L"Quorin <Livx>", 10},
        // Brackets in one name discount the changes at their positions:
        // "(" for a blank 1, "x" for "y" 10.
        {L"Quorin (x)", L"Quorin  y)", 11},
        // Unpaired or reversed brackets give none.
        {L"Quorin (Live", L"Quorin (Livx", 100},
        {L"Quorin )Live(", L"Quorin )Livx(", 100},
    };
    ExpectDifferences(CNameMatcher(false), cases, std::size(cases));
}

TEST(NameMatcherTest, IsInsideBrackets) {
    struct Case {
        const wchar_t* first;
        const wchar_t* second;
        int i, j;
        bool expected;
    };
    const Case cases[] = {
        {L"Quorin (US)", L"Quorin", 7, 0, true},    // the opening bracket itself
        {L"Quorin (US)", L"Quorin", 8, 0, true},
        {L"Quorin (US)", L"Quorin", 10, 5, true},   // the closing bracket itself
        {L"Quorin (US)", L"Quorin", 6, 5, false},   // the blank before the pair
        {L"(Quorin)", L"Quorin", 3, 3, false},      // wholly enclosed
        {L"(a) b (c)", L"x", 4, 0, false},          // nearest pair is the outermost
        {L"(a) b (c)", L"x", 1, 0, true},
        {L"a(b", L"x", 2, 0, false},                // no closing bracket
        {L"a)b(", L"x", 2, 0, false},               // reversed
        {L"x", L"[ab] c", 0, 1, true},              // the second name decides
        {L"x<y>z", L"q", 2, 0, true},
        {L"x{y}z", L"q", 2, 0, true},
        {L"x(y]z", L"q", 2, 0, false},              // brackets of different pairs
    };
    for (const Case& c : cases)
        EXPECT_EQ(CNameMatcher::IsInsideBrackets(c.first, c.second, c.i, c.j), c.expected)
            << "\"" << Show(c.first) << "\"[" << c.i << "], \"" << Show(c.second) << "\"[" << c.j << "]";
}

TEST(NameMatcherTest, CaseFoldingBeyondAscii) {
    const DifferenceCase insensitive[] = {
        {L"BJÖRK", L"björk", 0},
        {L"ΑΘΗΝΑ ΣΟΦΙΑ", L"αθηνα σοφια", 0},
        {L"МУМИЙ ТРОЛЛЬ", L"мумий тролль", 0},
        {L"ÉLAN", L"élan", 0},
        {L"Björk", L"Bjork", 100},  // a different letter is not a case difference
    };
    ExpectDifferences(CNameMatcher(false), insensitive, std::size(insensitive));

    const DifferenceCase sensitive[] = {
        {L"KORVA", L"korva", 500},
        {L"BJÖRK", L"BJÖRK", 0},
        {L"Ö", L"ö", 100},
    };
    ExpectDifferences(CNameMatcher(true), sensitive, std::size(sensitive));
}

TEST(NameMatcherTest, CharacterClasses) {
    struct Case {
        wchar_t ch;
        int expected;
    };
    const Case cases[] = {
        {0, 4},       {L'0', 1},    {L'9', 1},    {L' ', 3},    {0x08, 3},    {0x0B, 3},
        {L'!', 0},    {L'/', 0},    {L':', 0},    {L'?', 0},    {L'[', 0},    {L'_', 0},
        {L'{', 0},    {L'~', 0},    {L'@', 2},    {L'`', 2},    {L'\t', 2},   {L'\n', 2},
        {L'\r', 2},   {L'A', 2},    {L'z', 2},    {0x7F, 2},    {L'é', 2},    {0x00BF, 2},
        {0x2014, 2},  {0x3000, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CNameMatcher::GetCharClass(c.ch), c.expected) << "U+" << std::hex << static_cast<int>(c.ch);
}

TEST(NameMatcherTest, CharacterCosts) {
    struct Case {
        wchar_t a, b;
        float expected;
    };
    const Case cases[] = {
        {L'a', 0, 70},   {0, L'a', 70},   {L' ', 0, 5},    {L'!', 0, 30},   {L'7', 0, 20},
        {L'a', L'b', 100}, {L'1', L'a', 60}, {L' ', L' ', 1}, {L'!', L' ', 10}, {L'1', L' ', 15},
        {L'!', L'1', 25}, {L'a', L' ', 70}, {0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CNameMatcher::GetCharCost(c.a, c.b), c.expected)
            << "U+" << std::hex << static_cast<int>(c.a) << " / U+" << static_cast<int>(c.b);
        EXPECT_EQ(CNameMatcher::GetCharCost(c.b, c.a), c.expected)
            << "exchanged U+" << std::hex << static_cast<int>(c.b) << " / U+" << static_cast<int>(c.a);
    }
}

TEST(NameMatcherTest, BoundedDifferenceAgreesBelowTheThreshold) {
    const CNameMatcher matcher(false);
    for (const DifferenceCase& c : kWorkedValues) {
        EXPECT_EQ(matcher.GetDifferenceBelow(c.first, c.second, c.expected + 1), c.expected) << Show(c.first);
        EXPECT_GE(matcher.GetDifferenceBelow(c.first, c.second, c.expected), c.expected) << Show(c.first);
    }
    EXPECT_GE(matcher.GetDifferenceBelow(L"abc", L"abc", 0), 0.0f);
}

TEST(NameMatcherTest, NameOfAMegabyteFromABrokenPage) {
    // Two rows of the table are kept, so memory follows the shorter name.
    const std::wstring longName(1000000, L'a');
    const float difference = CNameMatcher(false).GetDifference(longName.c_str(), L"Quorin");
    EXPECT_GT(difference, 60000000.0f);
}

TEST(NameMatcherTest, SwapFirstWord) {
    struct Case {
        const wchar_t* name;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"Tam Brisk", L"Brisk Tam"},
        {L"Ann Bell Cole", L"Bell Cole Ann"},  // only the first word moves
        {L"Single", L"Single"},
        {L"", L""},
        {L"Tam  Brisk", L"Brisk Tam"},         // both blanks vanish from the front
        {L" Tam Brisk", L"Tam Brisk "},        // a blank at the very start
        {L"Tam\tBrisk", L"Tam\tBrisk"},        // a tab does not separate words
        {L"Tam ", L"Tam"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SwapFirstWord(c.name), CString(c.expected)) << "\"" << Show(c.name) << "\"";
}

}  // namespace
