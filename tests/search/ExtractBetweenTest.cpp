// ExtractBetween's exact extent, and the percent-encoding of the search query.
#include <gtest/gtest.h>

#include "search/ExtractBetween.h"
#include "search/QueryComponent.h"

namespace {

TEST(ExtractBetweenTest, ExtentAndRefusals) {
    const std::wstring row = L"<div class=\"albumBlkSong\">";
    struct Row {
        const char* label;
        std::wstring start, end, text;
        bool include;
        bool ok;
        std::wstring out;
    };
    const Row rows[] = {
        {"runs on by the start marker's length", L"<b>", L"</b>", L"x<b>bold</b>tail", false, true, L"bold</b"},
        {"with markers", L"<b>", L"</b>", L"x<b>bold</b>tail", true, true, L"<b>bold</b>"},
        {"track row: end marker and 20 more", row, L"</div>", row + L"<a>T</a></div>01234567890123456789XYZ", false,
         true, L"<a>T</a></div>01234567890123456789"},
        {"cut short at the end of text", row, L"</div>", row + L"T</div>", false, true, L"T</div>"},
        {"first end marker behind the start", L"<b>", L"</b>", L"</b><b>x</b></b>", false, true, L"x</b"},
        {"empty between markers", L"<b>", L"</b>", L"<b></b>", false, true, L"</b"},
        {"no start marker", L"<b>", L"</b>", L"plain</b>", false, false, L"untouched"},
        {"no end marker behind the start", L"<b>", L"</b>", L"</b><b>open", false, false, L"untouched"},
        {"end marker at the start's position", L"ab", L"a", L"xab", false, false, L"untouched"},
        {"end marker inside the start marker", L"<ab>", L"ab", L"<ab>cd", false, true, L"c"},
        {"empty text", L"<b>", L"</b>", L"", true, false, L"untouched"},
    };
    for (const Row& r : rows) {
        CString out = L"untouched";
        EXPECT_EQ(ExtractBetween(CString(r.start), CString(r.end), CString(r.text), out, r.include), r.ok) << r.label;
        EXPECT_EQ(out.str(), r.out) << r.label;
        std::wstring wideOut = L"untouched";
        EXPECT_EQ(ExtractBetween(r.start, r.end, r.text, wideOut, r.include), r.ok) << r.label;
        EXPECT_EQ(wideOut, r.out) << r.label;
    }
}

TEST(ExtractBetweenTest, AcceptsEveryKindOfWideText) {
    const CString text = L"a<b>x</b>yz";
    std::wstring wide;
    CString framework;
    EXPECT_TRUE(ExtractBetween(L"<b>", L"</b>", text, wide, true));
    EXPECT_TRUE(ExtractBetween(CString(L"<b>"), std::wstring(L"</b>"), text.str(), framework, false));
    EXPECT_TRUE(ExtractBetween(std::wstring_view(L"<b>"), L"</b>", std::wstring(L"a<b>x</b>yz"), framework, false));
    EXPECT_EQ(wide, L"<b>x</b>");
    EXPECT_EQ(framework.str(), L"x</b");
}

TEST(QueryComponentTest, EncodesEverythingButUnreservedBytes) {
    struct Row {
        std::wstring text;
        std::wstring encoded;
    };
    const Row rows[] = {
        {L"Simon & Garfunkel", L"Simon%20%26%20Garfunkel"},
        {L"C#", L"C%23"},
        {L"a+b=c?d/e%f", L"a%2Bb%3Dc%3Fd%2Fe%25f"},
        {L"AZaz09-._~", L"AZaz09-._~"},
        {L"Bj\u00F6rk", L"Bj%C3%B6rk"},
        {L"\u591C", L"%E5%A4%9C"},
        {L"\U0001F3B8", L"%F0%9F%8E%B8"},
        {L"tab\tline\r\n", L"tab%09line%0D%0A"},
        {L"", L""},
    };
    for (const Row& row : rows) EXPECT_EQ(EncodeQueryComponent(row.text).str(), row.encoded) << "row " << &row - rows;
}

}  // namespace
