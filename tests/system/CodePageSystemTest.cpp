// The code pages and character tables that each system supplies: single-byte
// pages built from the system's conversions, and the Unicode case mapping and
// white space of platform/Unicode.h.
#include <gtest/gtest.h>

#include <string>

#include "platform/CodePage.h"
#include "platform/Unicode.h"

namespace {

TEST(SystemCodePageTest, SingleBytePagesDecodeAndEncodeTheSameCharacters) {
    struct Row {
        const char* name;
        int codePage;
        std::string bytes;
        std::wstring text;
    };
    const Row rows[] = {
        {"1252 euro and e acute", 1252, "\x80\xE9", L"\u20AC\u00E9"},
        {"1251 Cyrillic", 1251, "\xCA\xEE\xF0\xE2\xE0", L"\u041a\u043e\u0440\u0432\u0430"},
        {"Latin-1 y diaeresis", 28591, "\xFF", L"\u00FF"},
        {"Latin-9 euro", 28605, "\xA4", L"\u20AC"},
        {"850 box drawing", 850, "\xC9", L"\u2554"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(platform::IsCodePageSupported(row.codePage));
        EXPECT_EQ(platform::Decode(row.codePage, row.bytes), row.text);
        EXPECT_EQ(platform::Encode(row.codePage, row.text), row.bytes);
    }
}

TEST(SystemCodePageTest, PagesOutsideTheListAreRefusedAndTheAnsiPageIsSupported) {
    EXPECT_FALSE(platform::IsCodePageSupported(932));
    EXPECT_FALSE(platform::Decode(932, "a").has_value());
    EXPECT_TRUE(platform::IsCodePageSupported(platform::ThreadAnsiCodePage()));
    bool usedDefault = false;
    EXPECT_EQ(platform::Encode(1252, L"\u041a", '?', &usedDefault), "?");
    EXPECT_TRUE(usedDefault);
}

TEST(SystemUnicodeTest, CaseMappingAndSpacesGoBeyondAscii) {
    struct Row {
        const char* name;
        wchar_t lower;
        wchar_t upper;
    };
    const Row rows[] = {
        {"o diaeresis", L'\u00F6', L'\u00D6'},
        {"Cyrillic ka", L'\u043A', L'\u041A'},
        {"Greek sigma", L'\u03C3', L'\u03A3'},
        {"ASCII", L'k', L'K'},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(platform::ToUpper(row.lower), row.upper);
        EXPECT_EQ(platform::ToLower(row.upper), row.lower);
    }
    EXPECT_TRUE(platform::EqualNoCase(L"BJ\u00D6RK", L"bj\u00F6rk"));
    EXPECT_EQ(platform::ToUpper(L'1'), L'1');
    EXPECT_TRUE(platform::IsSpace(L'\u3000'));
    EXPECT_TRUE(platform::IsSpace(L'\u2003'));
    EXPECT_FALSE(platform::IsSpace(L'x'));
    EXPECT_FALSE(platform::IsSpace(L'\u00E9'));
}

}  // namespace
