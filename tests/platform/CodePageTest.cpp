// Code pages: UTF-8 with replacement of invalid input, single-byte pages
// through iconv, the per-thread ANSI code page, UTF-16LE surrogate pairs.
#include <gtest/gtest.h>

#include <thread>

#include "platform/CodePage.h"
#include "platform/Unicode.h"

namespace {

TEST(CodePageTest, Utf8DecodingReplacesEachInvalidSubpart) {
    const struct {
        const char* name;
        std::string bytes;
        std::wstring text;
    } rows[] = {
        {"ascii", "abc", L"abc"},
        {"two to four bytes", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5", L"\u00e9\u20ac\U0001F3B5"},
        {"lone continuation", "a\x80z", L"a\uFFFDz"},
        {"truncated sequence", "a\xE2\x82z", L"a\uFFFDz"},
        {"truncated at the end", "a\xF0\x9F", L"a\uFFFD"},
        {"overlong", "\xC0\xAF", L"\uFFFD\uFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"invalid lead", "\xFF", L"\uFFFD"},
        {"zero byte kept", std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
    };
    for (const auto& row : rows) EXPECT_EQ(platform::FromUtf8(row.bytes), row.text) << row.name;
}

TEST(CodePageTest, Utf8DecodingIsTheSameAtEveryPositionInALongAsciiRun) {
    // Runs of ASCII are widened in blocks: a sequence anywhere around a block
    // edge, split across one or at the very end decodes as it does alone.
    const struct {
        const char* name;
        std::string bytes;
        std::wstring text;
    } pieces[] = {
        {"two-byte letter", "\xC3\xA9", L"\u00e9"},
        {"four-byte sign", "\xF0\x9F\x8E\xB5", L"\U0001F3B5"},
        {"lone continuation", "\x80", L"\uFFFD"},
        {"truncated sequence", "\xE2\x82", L"\uFFFD"},
    };
    for (const auto& piece : pieces) {
        for (size_t at = 0; at <= 40; ++at) {
            const std::string bytes = std::string(at, 'a') + piece.bytes + std::string(40 - at, 'b');
            const std::wstring text = std::wstring(at, L'a') + piece.text + std::wstring(40 - at, L'b');
            EXPECT_EQ(platform::FromUtf8(bytes), text) << piece.name << " at " << at;
        }
    }
}

TEST(CodePageTest, Utf8EncodingRoundTripsAndReplacesSurrogates) {
    const std::wstring text = L"Bj\u00f6rk \u0416 \u4e2d \U0001F3B5";
    EXPECT_EQ(platform::FromUtf8(platform::ToUtf8(text)), text);
    EXPECT_EQ(platform::ToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
}

TEST(CodePageTest, Utf16LeUsesSurrogatePairsAboveTheBmp) {
    const std::string bytes = platform::ToUtf16Le(L"A\U0001F3B5");
    EXPECT_EQ(bytes, std::string("A\0\x3C\xD8\xB5\xDF", 6));
    const std::u16string units = {u'A', 0xD83C, 0xDFB5, 0xD800, u'B'};
    EXPECT_EQ(platform::FromUtf16(units), std::wstring(L"A\U0001F3B5") + static_cast<wchar_t>(0xD800) + L"B");
}

TEST(CodePageTest, SurrogatePairsAreJoinedWhereWideCharactersHoldCodePoints) {
    if (!platform::kWideHoldsCodePoints) GTEST_SKIP() << "wide characters are UTF-16 units: pairs stay pairs";
    const struct {
        const char* name;
        std::u16string units;
        std::wstring text;
    } rows[] = {
        {"one pair", u"\xD83C\xDFB5", L"\U0001F3B5"},
        {"two pairs in a row", u"\xD83C\xDFB5\xD83D\xDE00", L"\U0001F3B5\U0001F600"},
        {"lone high at the end", u"a\xD83C", std::wstring(L"a") + static_cast<wchar_t>(0xD83C)},
        {"lone low",
         u"\xDFB5"
         u"a",
         static_cast<wchar_t>(0xDFB5) + std::wstring(L"a")},
        {"low before high", u"\xDFB5\xD83C", std::wstring{static_cast<wchar_t>(0xDFB5), static_cast<wchar_t>(0xD83C)}},
        {"high, high, low", u"\xD800\xD83C\xDFB5", static_cast<wchar_t>(0xD800) + std::wstring(L"\U0001F3B5")},
        {"no surrogates", u"abc", L"abc"},
        {"empty", u"", L""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(platform::FromUtf16(row.units), row.text) << row.name;
        // In place, over wide characters that hold one unit each, as the UTF-16 text file reads them.
        std::wstring inPlace(row.units.begin(), row.units.end());
        inPlace.resize(platform::JoinSurrogatePairs(inPlace.data(), inPlace.size(), inPlace.data()));
        EXPECT_EQ(inPlace, row.text) << row.name << " (in place)";
    }
}

TEST(CodePageTest, Windows1252ThroughIconv) {
    EXPECT_EQ(platform::Decode(1252, "\x80\xE9\x41").value(), L"\u20ac\u00e9A");
    EXPECT_EQ(platform::Decode(1252, "\x81").value(), L"\u0081") << "an undefined byte keeps its value";
    bool usedDefault = false;
    EXPECT_EQ(platform::Encode(1252, L"\u20ac\u4e2d", '#', &usedDefault).value(), "\x80#");
    EXPECT_TRUE(usedDefault);
    EXPECT_FALSE(platform::Decode(932, "x").has_value()) << "multi-byte pages other than UTF-8 are not supported";
}

TEST(CodePageTest, TheAnsiCodePageIsPerThread) {
    platform::SetThreadAnsiCodePage(1252);
    EXPECT_EQ(platform::ThreadAnsiCodePage(), 1252);
    EXPECT_EQ(platform::Decode(platform::kCodePageThreadAnsi, "\xE9").value(), L"\u00e9");
    int other = 0;
    std::thread([&other] { other = platform::ThreadAnsiCodePage(); }).join();
    EXPECT_EQ(other, 65001) << "another thread keeps the process default";
    platform::SetThreadAnsiCodePage(0);
    EXPECT_EQ(platform::ThreadAnsiCodePage(), 65001);
}

// The thread's page is always one the conversions support, so conversions in
// it never fail; a character it lacks becomes "?".
TEST(CodePageTest, TheAnsiCodePageIsAlwaysSupported) {
    const struct {
        int codePage;
        bool accepted;
        int resulting;
    } rows[] = {
        {1252, true, 1252}, {932, false, 1252},   {12345, false, 1252}, {3, false, 1252},
        {-1, false, 1252},  {28591, true, 28591}, {65001, true, 65001}, {0, true, 65001},
    };
    platform::SetThreadAnsiCodePage(1252);
    for (const auto& row : rows) {
        EXPECT_EQ(platform::SetThreadAnsiCodePage(row.codePage), row.accepted) << row.codePage;
        EXPECT_EQ(platform::ThreadAnsiCodePage(), row.resulting) << row.codePage;
        EXPECT_TRUE(platform::IsCodePageSupported(platform::kCodePageAnsi)) << row.codePage;
    }

    platform::SetThreadAnsiCodePage(1252);
    EXPECT_EQ(platform::EncodeAnsi(L"caf\u00E9 \u65E5\u0101/x"), "caf\xE9 ?\?/x");
    EXPECT_EQ(platform::DecodeAnsi("caf\xE9\x80"), L"caf\u00E9\u20AC");
    platform::SetThreadAnsiCodePage(65001);
    EXPECT_EQ(platform::EncodeAnsi(L"caf\u00E9"), "caf\xC3\xA9");
    EXPECT_EQ(platform::DecodeAnsi("caf\xC3\xA9"), L"caf\u00E9");
    platform::SetThreadAnsiCodePage(0);
}

}  // namespace
