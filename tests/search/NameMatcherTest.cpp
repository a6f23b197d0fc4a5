// Tests of the name-difference measure and the first-word swap.
#include "search/NameMatcher.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cwctype>
#include <limits>
#include <random>
#include <string>

#include "platform/CodePage.h"

namespace {

std::string Show(const wchar_t* text) { return platform::ToUtf8(text); }

// A name of length characters made of words, blanks, digits, punctuation and
// a bracketed word or two; seed varies the word order.
std::wstring LongName(size_t length, unsigned seed) {
    static const wchar_t* const kWords[] = {L"Quorin", L"and",        L"the",       L"Ploms", L"(Live)", L"Tam",
                                            L"Brisk,", L"Velnor-182", L"Marastela", L"[US]",  L"Ørsted"};
    std::wstring name;
    for (size_t k = 0; name.size() < length; ++k) {
        if (!name.empty()) name += L' ';
        name += kWords[(k * 7 + seed + k / 13) % std::size(kWords)];
    }
    name.resize(length);
    if (name.back() == L' ') name.back() = L'x';
    return name;
}

// name with every step-th letter replaced.
std::wstring Changed(std::wstring name, size_t step) {
    for (size_t k = step; k < name.size(); k += step)
        if (std::iswalpha(name[k])) name[k] = name[k] == L'q' ? L'z' : L'q';
    return name;
}

// Characters of every class and every bracket, letters in both cases.
constexpr wchar_t kAlphabet[] = L"aAbBzZ09 ..-,!()[]{}<>\t\u00e9\u00c9\u0416\u0436";

std::wstring RandomName(std::mt19937& random, size_t length) {
    std::wstring name;
    for (size_t k = 0; k < length; ++k) name += kAlphabet[random() % (std::size(kAlphabet) - 1)];
    return name;
}

// name after up to four random insertions, deletions and replacements.
std::wstring Edited(std::mt19937& random, std::wstring name) {
    const int edits = static_cast<int>(random() % 5);
    for (int e = 0; e < edits; ++e) {
        const size_t at = name.empty() ? 0 : random() % (name.size() + 1);
        const wchar_t ch = kAlphabet[random() % (std::size(kAlphabet) - 1)];
        switch (random() % 3) {
            case 0: name.insert(name.begin() + static_cast<std::ptrdiff_t>(at), ch); break;
            case 1:
                if (at < name.size()) name.erase(at, 1);
                break;
            default:
                if (at < name.size()) name[at] = ch;
                break;
        }
    }
    return name;
}

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
        {L"  Quorin\t", L"Quorin", 0},     // white space at both ends is ignored
        {L"Tam  Brisk", L"Tam Brisk", 5},  // a doubled blank inside costs 5
        {L"Velnor", L"Velnor (xy)", 25},   // blank 5 + a tenth of 30, 70, 70, 30
        {L"1", L"a", 60},                  // digit against letter
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
        {L"Quorin (US)", L"Quorin", 7, 0, true},  // the opening bracket itself
        {L"Quorin (US)", L"Quorin", 8, 0, true},
        {L"Quorin (US)", L"Quorin", 10, 5, true},  // the closing bracket itself
        {L"Quorin (US)", L"Quorin", 6, 5, false},  // the blank before the pair
        {L"(Quorin)", L"Quorin", 3, 3, false},     // wholly enclosed
        {L"(a) b (c)", L"x", 4, 0, false},         // nearest pair is the outermost
        {L"(a) b (c)", L"x", 1, 0, true},
        {L"a(b", L"x", 2, 0, false},    // no closing bracket
        {L"a)b(", L"x", 2, 0, false},   // reversed
        {L"x", L"[ab] c", 0, 1, true},  // the second name decides
        {L"x<y>z", L"q", 2, 0, true},
        {L"x{y}z", L"q", 2, 0, true},
        {L"x(y]z", L"q", 2, 0, false},  // brackets of different pairs
    };
    for (const Case& c : cases)
        EXPECT_EQ(CNameMatcher::IsInsideBrackets(c.first, c.second, c.i, c.j), c.expected)
            << "\"" << Show(c.first) << "\"[" << c.i << "], \"" << Show(c.second) << "\"[" << c.j << "]";
}

TEST(NameMatcherTest, CaseFoldingBeyondAscii) {
    const DifferenceCase insensitive[] = {
        {L"BJÖRK", L"björk", 0}, {L"ΑΘΗΝΑ ΣΟΦΙΑ", L"αθηνα σοφια", 0}, {L"МУМИЙ ТРОЛЛЬ", L"мумий тролль", 0},
        {L"ÉLAN", L"élan", 0},   {L"Björk", L"Bjork", 100},  // a different letter is not a case difference
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
        {0, 4},     {L'0', 1}, {L'9', 1}, {L' ', 3}, {0x08, 3}, {0x0B, 3},   {L'!', 0},   {L'/', 0},   {L':', 0},
        {L'?', 0},  {L'[', 0}, {L'_', 0}, {L'{', 0}, {L'~', 0}, {L'@', 2},   {L'`', 2},   {L'\t', 2},  {L'\n', 2},
        {L'\r', 2}, {L'A', 2}, {L'z', 2}, {0x7F, 2}, {L'é', 2}, {0x00BF, 2}, {0x2014, 2}, {0x3000, 2},
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
        {L'a', 0, 70},     {0, L'a', 70},    {L' ', 0, 5},    {L'!', 0, 30},    {L'7', 0, 20},
        {L'a', L'b', 100}, {L'1', L'a', 60}, {L' ', L' ', 1}, {L'!', L' ', 10}, {L'1', L' ', 15},
        {L'!', L'1', 25},  {L'a', L' ', 70}, {0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CNameMatcher::GetCharCost(c.a, c.b), c.expected)
            << "U+" << std::hex << static_cast<int>(c.a) << " / U+" << static_cast<int>(c.b);
        EXPECT_EQ(CNameMatcher::GetCharCost(c.b, c.a), c.expected)
            << "exchanged U+" << std::hex << static_cast<int>(c.b) << " / U+" << static_cast<int>(c.a);
    }
}

// The bounded difference against the exact one: below the threshold the two
// are the same to the last bit (both ways round); at or above it, the bounded
// one is not below the threshold either.
void ExpectBoundedAgrees(const CNameMatcher& matcher, const std::wstring& first, const std::wstring& second,
                         float exact, float threshold, const std::string& row) {
    for (const bool exchanged : {false, true}) {
        const float bounded = exchanged ? matcher.GetDifferenceBelow(second, first, threshold)
                                        : matcher.GetDifferenceBelow(first, second, threshold);
        if (exact < threshold)
            EXPECT_EQ(bounded, exact) << row << (exchanged ? ", exchanged" : "") << ", threshold " << threshold;
        else
            EXPECT_FALSE(bounded < threshold) << row << (exchanged ? ", exchanged" : "") << ", exact " << exact
                                              << ", bounded " << bounded << ", threshold " << threshold;
    }
}

// Thresholds around exact, where a band too narrow by one column shows.
void ExpectBoundedAgreesNear(const CNameMatcher& matcher, const std::wstring& first, const std::wstring& second,
                             const std::string& row) {
    const float exact = matcher.GetDifference(first, second);
    const float inf = std::numeric_limits<float>::infinity();
    for (const float threshold : {0.0f, 0.5f, 1.0f, 5.0f, 25.0f, 100.0f, 216.0f, exact, std::nextafter(exact, inf),
                                  exact + 0.5f, exact + 5.0f, exact * 2 + 1})
        ExpectBoundedAgrees(matcher, first, second, exact, threshold, row);
}

TEST(NameMatcherTest, BoundedDifferenceAgreesOnCraftedNames) {
    const std::wstring nuls(10, L'\0');
    const std::wstring blanks(990, L' ');
    struct Case {
        const char* row;
        std::wstring first;
        std::wstring second;
    };
    const Case cases[] = {
        {"blanks inside brackets, 0.5 each", L"Quorin (a b c)", L"Quorin (abc)"},
        {"only the blanks differ", L"Tam  Brisk   and", L"Tam Brisk and"},
        {"bracketed name against bare", L"Quorin (US)", L"Quorin"},
        {"brackets not paired by nesting", L"(a) Tam Brisk (b)", L"(a) TamBrisk (b)"},
        {"all four bracket kinds", L"x (a) [b] {c} <d> y", L"x (a)[b]{c}<d> y"},
        {"digits and punctuation", L"Velnor-182!!", L"Velnor 1 8 2"},
        {"free characters cost nothing", L"Quo" + nuls + L"rin", L"Quorin"},
        {"free characters in both", nuls + L"a b" + nuls, L"a" + nuls + L"b"},
        {"a letter against nothing", L"a", L""},
        {"blank against nothing", L"a b", L"ab"},
        {"empty names", L"", L""},
        {"non-ASCII and case", L"BJÖRK (Live at Ørsted)", L"björk (live at orsted)"},
        {"words exchanged", L"Tam Brisk", L"Brisk, Tam"},
        {"long against short", LongName(100000, 1), L"Quorin and the Ploms"},
        {"costly start, cheap bracketed tail", L"qqqq (" + blanks + L"q) (y)", L"zzzz (" + blanks + L"q) (y)"},
        {"long, near copy", LongName(3000, 2), Changed(LongName(3000, 2), 97)},
        {"long, with brackets", L"(" + LongName(2500, 3) + L") x", L"(" + Changed(LongName(2500, 3), 101) + L") x"},
    };
    for (const Case& c : cases) {
        ExpectBoundedAgreesNear(CNameMatcher(false), c.first, c.second, c.row);
        ExpectBoundedAgreesNear(CNameMatcher(true), c.first, c.second, std::string(c.row) + ", case-sensitive");
    }
}

TEST(NameMatcherTest, BoundedDifferenceAgreesOnRandomNames) {
    std::mt19937 random(20261209);
    for (int k = 0; k < 1500; ++k) {
        const std::wstring first = RandomName(random, random() % 40);
        const std::wstring second = random() % 4 == 0 ? RandomName(random, random() % 40) : Edited(random, first);
        ExpectBoundedAgreesNear(CNameMatcher(random() % 2 == 0), first, second, "random pair " + std::to_string(k));
    }
}

TEST(NameMatcherTest, BoundedDifferenceWithOtherBracketFactors) {
    // The factor is a public setting: at 0 bracketed changes are free, and a
    // small one makes the cheapest change tiny.
    std::mt19937 random(7);
    for (const float factor : {0.0f, 0.001f, 0.01f, 1.0f, 3.0f}) {
        CNameMatcher matcher(false);
        matcher.m_fBracketFactor = factor;
        for (int k = 0; k < 200; ++k) {
            const std::wstring first = L"(" + RandomName(random, random() % 30) + L") " + RandomName(random, 5);
            ExpectBoundedAgreesNear(matcher, first, Edited(random, first),
                                    "factor " + std::to_string(factor) + ", pair " + std::to_string(k));
        }
    }
}

TEST(NameMatcherTest, BoundedDifferenceOfTwoLongNamesNearlyEqual) {
    // Too large a table for the exact form: the value is known by construction.
    const std::wstring name = LongName(100000, 5);
    std::wstring upper = name;
    for (wchar_t& ch : upper) ch = static_cast<wchar_t>(std::towupper(ch));
    const CNameMatcher matcher(false);
    EXPECT_EQ(matcher.GetDifferenceBelow(name, upper, 1.0f), 0.0f);
    std::wstring changed = upper;
    changed.back() = changed.back() == L'Q' ? L'Z' : L'Q';  // outside brackets: 100
    EXPECT_EQ(matcher.GetDifferenceBelow(name, changed, 216.0f), 100.0f);
    EXPECT_FALSE(matcher.GetDifferenceBelow(name, changed, 100.0f) < 100.0f);
    EXPECT_FALSE(matcher.GetDifferenceBelow(name, name + L" and the Ploms", 216.0f) < 216.0f);
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
        {L"Tam  Brisk", L"Brisk Tam"},   // both blanks vanish from the front
        {L" Tam Brisk", L"Tam Brisk "},  // a blank at the very start
        {L"Tam\tBrisk", L"Tam\tBrisk"},  // a tab does not separate words
        {L"Tam ", L"Tam"},
    };
    for (const Case& c : cases) EXPECT_EQ(SwapFirstWord(c.name), CString(c.expected)) << "\"" << Show(c.name) << "\"";
}

}  // namespace
