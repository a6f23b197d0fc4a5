// Wide text on both systems: UTF-8 of names outside Latin-1 and outside the
// Basic Multilingual Plane, case mapping (with the mappings some system
// tables leave out), white space, character classes, and surrogate pairs in
// single-byte pages. Every expectation holds on Linux (32-bit wchar_t) and on
// Windows (16-bit wchar_t, UTF-16 code units) alike.
#include <gtest/gtest.h>

#include <string>

#include "platform/CString.h"
#include "platform/CodePage.h"
#include "platform/Unicode.h"

namespace {

// A name with letters outside Latin-1 and one outside the BMP (U+10437, a
// Deseret letter), as UTF-8 bytes written out one by one.
const std::string kNameUtf8 = "Ki\xC5\x9Bka "              // Kiśka
                              "\xD0\xAF\xD1\x80\xD0\xBE "  // Яро
                              "\xF0\x90\x90\xB7";          // U+10437
// The same name as wide text: the letter above U+FFFF is one element or a pair.
std::wstring NameWide() {
    std::wstring text = L"Ki\u015Bka \u042F\u0440\u043E ";
    if (platform::kWideHoldsCodePoints) text += static_cast<wchar_t>(0x10437);
    else text += std::wstring{static_cast<wchar_t>(0xD801), static_cast<wchar_t>(0xDC37)};
    return text;
}

TEST(UnicodeTest, NamesBeyondLatin1AndTheBmpRoundTripThroughUtf8) {
    const std::wstring wide = platform::FromUtf8(kNameUtf8);
    EXPECT_EQ(wide, NameWide());
    EXPECT_EQ(wide.size(), platform::kWideHoldsCodePoints ? 11u : 12u) << "elements: code points or code units";
    EXPECT_EQ(platform::ToUtf8(wide), kNameUtf8);
    EXPECT_EQ(platform::Utf8Length(wide), kNameUtf8.size());
    // The same bytes come from the wide literal the compiler makes.
    EXPECT_EQ(platform::ToUtf8(L"\U00010437"), "\xF0\x90\x90\xB7");
}

TEST(UnicodeTest, LoneSurrogatesBecomeTheReplacementCharacter) {
    const struct {
        const char* name;
        std::wstring text;
        std::string utf8;
    } rows[] = {
        {"lone high half",
         {L'a', static_cast<wchar_t>(0xD801), L'b'},
         "a\xEF\xBF\xBD"
         "b"},
        {"lone low half", {L'a', static_cast<wchar_t>(0xDC37)}, "a\xEF\xBF\xBD"},
        {"high half at the end", {static_cast<wchar_t>(0xD801)}, "\xEF\xBF\xBD"},
        {"halves the wrong way round",
         {static_cast<wchar_t>(0xDC37), static_cast<wchar_t>(0xD801)},
         "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(platform::ToUtf8(row.text), row.utf8) << row.name;
        EXPECT_EQ(platform::Utf8Length(row.text), row.utf8.size()) << row.name;
    }
}

TEST(UnicodeTest, CaseMappingIsTheUnicodeSimpleMapping) {
    const struct {
        const char* name;
        wchar_t ch;
        wchar_t upper;
        wchar_t lower;
    } rows[] = {
        {"ASCII", L'q', L'Q', L'q'},
        {"Latin-1", 0x00F6, 0x00D6, 0x00F6},
        {"Cyrillic", 0x044F, 0x042F, 0x044F},
        {"Greek final sigma", 0x03C2, 0x03A3, 0x03C2},
        {"micro sign", 0x00B5, 0x039C, 0x00B5},
        {"dotless i", 0x0131, L'I', 0x0131},
        {"long s", 0x017F, L'S', 0x017F},
        {"title-case digraph", 0x01C5, 0x01C4, 0x01C6},
        {"capital I with dot", 0x0130, 0x0130, L'i'},
        {"Kelvin sign", 0x212A, 0x212A, L'k'},
        {"ohm sign", 0x2126, 0x2126, 0x03C9},
        {"capital sharp s", 0x1E9E, 0x1E9E, 0x00DF},
        {"no case", L'7', L'7', L'7'},
        {"a surrogate half has no case", 0xD801, 0xD801, 0xD801},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(platform::ToUpper(row.ch), row.upper) << row.name;
        EXPECT_EQ(platform::ToLower(row.ch), row.lower) << row.name;
    }
}

TEST(UnicodeTest, TextsFoldLettersOfEveryPlane) {
    // U+10437 is the small form of U+1040F.
    const std::wstring small = L"ki\u015Bka \u044F\u0440\u043E \U00010437";
    const std::wstring capital = L"KI\u015AKA \u042F\u0420\u041E \U0001040F";
    EXPECT_TRUE(platform::EqualNoCase(small, capital));
    EXPECT_EQ(platform::CompareNoCase(small, capital), 0);
    EXPECT_EQ(CString(small).MakeUpper(), capital);
    EXPECT_EQ(CString(capital).MakeLower(), small);
    EXPECT_EQ(CString(NameWide()).CompareNoCase(capital.c_str()), 0);
    EXPECT_FALSE(platform::EqualNoCase(L"\U00010437", L"\U00010438"));
    EXPECT_LT(platform::CompareNoCase(L"bj\u00F6rk", L"BJ\u00D6RKA"), 0);
}

TEST(UnicodeTest, WhiteSpaceIsTheSameOnEverySystem) {
    const struct {
        const char* name;
        wchar_t ch;
        bool space;
    } rows[] = {
        {"blank", L' ', true},
        {"tab", L'\t', true},
        {"line feed", L'\n', true},
        {"ideographic space", 0x3000, true},
        {"em space", 0x2003, true},
        {"line separator", 0x2028, true},
        {"no-break space", 0x00A0, false},
        {"figure space", 0x2007, false},
        {"narrow no-break space", 0x202F, false},
        {"next line", 0x0085, false},
        {"zero-width space", 0x200B, false},
        {"letter", L'x', false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(platform::IsSpace(row.ch), row.space) << row.name;
        EXPECT_EQ((platform::CharClasses(row.ch) & platform::kClassSpace) != 0, row.space) << row.name;
    }
    EXPECT_EQ(CString(L"\u00A0x\u3000 ").Trim(), L"\u00A0x");
}

TEST(UnicodeTest, CharacterClasses) {
    using namespace platform;
    const struct {
        const char* name;
        wchar_t ch;
        unsigned has;
        unsigned lacks;
    } rows[] = {
        {"ASCII digit", L'7', kClassDigit | kClassXDigit | kClassPrint, kClassAlpha | kClassPunct},
        {"ASCII punctuation", L'/', kClassPunct | kClassPrint, kClassDigit | kClassAlpha},
        {"tab", L'\t', kClassSpace | kClassBlank | kClassCntrl, kClassPrint},
        {"small letter", 0x00E9, kClassAlpha | kClassLower | kClassPrint, kClassUpper | kClassDigit},
        {"capital letter", 0x0416, kClassAlpha | kClassUpper, kClassLower | kClassPunct},
        {"digit of another script", 0x0663, kClassAlpha, kClassDigit | kClassXDigit},
        {"full-width digit", 0xFF13, 0, kClassDigit},
        {"ideographic space", 0x3000, kClassSpace | kClassBlank, kClassAlpha},
        {"paragraph separator", 0x2029, kClassSpace, kClassBlank},
        {"surrogate half", 0xD801, 0, ~0u},
    };
    for (const auto& row : rows) {
        const unsigned classes = CharClasses(row.ch);
        EXPECT_EQ(classes & row.has, row.has) << row.name;
        EXPECT_EQ(classes & row.lacks, 0u) << row.name;
    }
}

TEST(UnicodeTest, ALetterOutsideTheBmpIsOneCharacterOfASingleBytePage) {
    bool usedDefault = false;
    EXPECT_EQ(platform::Encode(1252, L"a\U00010437b\u00E9", '?', &usedDefault), "a?b\xE9");
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(platform::EncodedLength(1252, L"\U00010437\U00010437"), 2u);
    // UTF-16LE is the same bytes on both systems: a pair above U+FFFF.
    EXPECT_EQ(platform::ToUtf16Le(L"a\U00010437"), std::string("a\0\x01\xD8\x37\xDC", 6));
    EXPECT_EQ(platform::FromUtf16(u"a\U00010437"), L"a\U00010437");
}

}  // namespace
