// CString: clamped substrings, search and edit operations, trimming, Unicode
// case rules and the wide printf conventions of Format.
#include <gtest/gtest.h>

#include "platform/CString.h"

namespace {

TEST(CStringTest, SubstringsClampOutOfRangeArguments) {
    const CString s(L"abcdef");
    EXPECT_EQ(s.Mid(2), L"cdef");
    EXPECT_EQ(s.Mid(2, 2), L"cd");
    EXPECT_EQ(s.Mid(-3, 2), L"ab");
    EXPECT_EQ(s.Mid(4, 100), L"ef");
    EXPECT_EQ(s.Mid(10), L"");
    EXPECT_EQ(s.Left(-1), L"");
    EXPECT_EQ(s.Left(99), L"abcdef");
    EXPECT_EQ(s.Right(2), L"ef");
    EXPECT_EQ(s.Right(99), L"abcdef");
}

TEST(CStringTest, FindAndEdit) {
    CString s(L"a.b.c");
    EXPECT_EQ(s.Find(L'.'), 1);
    EXPECT_EQ(s.Find(L'.', 2), 3);
    EXPECT_EQ(s.Find(L"b.c"), 2);
    EXPECT_EQ(s.Find(L'x'), -1);
    EXPECT_EQ(s.Find(L'.', 99), -1);
    EXPECT_EQ(s.ReverseFind(L'.'), 3);
    EXPECT_EQ(s.Replace(L".", L"\\."), 2);
    EXPECT_EQ(s, L"a\\.b\\.c");
    EXPECT_EQ(s.Remove(L'\\'), 2);
    EXPECT_EQ(s.Delete(1, 100), 1);
    EXPECT_EQ(s, L"a");
    EXPECT_EQ(s.Insert(99, L"yz"), 3);
    EXPECT_EQ(s.Insert(-1, L'x'), 4);
    EXPECT_EQ(s, L"xayz");
    CString overlap(L"aaaa");
    EXPECT_EQ(overlap.Replace(L"aa", L"a"), 2) << "replacement is left to right without overlap";
    EXPECT_EQ(overlap, L"aa");
}

TEST(CStringTest, TrimRemovesUnicodeWhiteSpace) {
    CString s(L" \t\r\n\u3000 name \u2003\n");
    EXPECT_EQ(s.Trim(), L"name");
    CString brackets(L"[[x]]");
    EXPECT_EQ(brackets.Trim(L'['), L"x]]");
}

TEST(CStringTest, CaseRulesCoverEveryScript) {
    EXPECT_EQ(CString(L"BJ\u00d6RK").CompareNoCase(L"bj\u00f6rk"), 0);
    EXPECT_EQ(CString(L"\u0391\u0392\u0393").CompareNoCase(L"\u03b1\u03b2\u03b3"), 0);
    EXPECT_EQ(CString(L"\u041c\u0418\u0420").CompareNoCase(L"\u043c\u0438\u0440"), 0);
    EXPECT_NE(CString(L"abc").CompareNoCase(L"abd"), 0);
    CString s(L"stra\u00dfe \u00e9t\u00e9");
    EXPECT_EQ(s.MakeUpper(), L"STRA\u00dfE \u00c9T\u00c9");
}

TEST(CStringTest, FormatUsesWideConventions) {
    CString s;
    s.Format(L"%s|%c|%hs|%d|%X|%04d|%%|%.3s", L"wide \u00e9\U0001F3B5", L'\u0416', "narrow", -7, 0x1F3C, 5, L"abcdef");
    EXPECT_EQ(s, L"wide \u00e9\U0001F3B5|\u0416|narrow|-7|1F3C|0005|%|abc");
    s.AppendFormat(L"+%s", L"tail");
    EXPECT_EQ(s.Right(5), L"+tail");
    const std::wstring big(100000, L'x');
    s.Format(L"[%s]", big.c_str());
    EXPECT_EQ(s.GetLength(), 100002) << "long results are not cut";
}

}  // namespace
