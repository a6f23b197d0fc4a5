// Page decoding (ConvertToWide) and the stack converters NarrowToWide and
// WideToNarrow: code pages, invalid UTF-8, the zero byte, the empty string,
// long texts past the inline buffer, the thread's ANSI page and failures.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <cwchar>
#include <string>
#include <system_error>

#include "platform/CodePage.h"
#include "tests/support/LogCapture.h"
#include "tests/text/AllocationHooks.h"
#include "text/CodePageConversion.h"

namespace {

// Restores the process default ANSI page for the test thread.
class ThreadPageGuard {
public:
    explicit ThreadPageGuard(int codePage) { platform::SetThreadAnsiCodePage(codePage); }
    ~ThreadPageGuard() { platform::SetThreadAnsiCodePage(0); }
};

struct DecodeRow {
    const char* name;
    std::string bytes;
    int codePage;
    std::wstring expected;
};

TEST(ConvertToWideTest, DecodesPagesWithoutMessages) {
    const DecodeRow rows[] = {
        {"ascii", "plain text", 65001, L"plain text"},
        {"two-byte UTF-8", "Bj\xC3\xB6rk", 65001, L"Bj\u00F6rk"},
        {"four-byte UTF-8", "\xF0\x9F\x8E\xB5", 65001, L"\U0001F3B5"},
        {"lone continuation byte", "a\x80z", 65001, L"a\uFFFDz"},
        {"bad second byte", "\xC3\x28", 65001, L"\uFFFD("},
        {"byte never valid", "\xFF", 65001, L"\uFFFD"},
        {"truncated sequence at the end", "ok\xE2\x82", 65001, L"ok\uFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", 65001, L"\uFFFD\uFFFD\uFFFD"},
        {"ends at the zero byte", std::string("ab\0cd", 5), 65001, L"ab"},
        {"zero byte first", std::string("\0cd", 3), 65001, L""},
        {"empty", "", 65001, L""},
        {"1252 letters", "caf\xE9 \x80", 1252, L"caf\u00E9 \u20AC"},
        {"1252 zero byte", std::string("x\0\xE9", 3), 1252, L"x"},
    };
    LogCapture log;
    for (const DecodeRow& row : rows) {
        EXPECT_EQ(ConvertToWide(row.bytes, row.codePage).str(), row.expected) << row.name;
    }
    EXPECT_TRUE(log.Lines().empty()) << "no row may write a message";
}

TEST(ConvertToWideTest, UnsupportedCodePageGivesEmptyTextAndOneWarning) {
    LogCapture log;
    EXPECT_TRUE(ConvertToWide("abc", 12345).IsEmpty());
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0].label, L"WRN");
    EXPECT_EQ(log.Lines()[0].message,
              L"MultiByteToWideChar (get needed length) failed for string: \"abc\", codePage=12345");
}

TEST(ConvertToWideTest, MessageQuotesTheBytesUpToTheZeroByteInTheThreadsPage) {
    // The message is 8-bit text read back with the thread's ANSI page, which
    // is the system's unless the thread sets one (65001 on Linux, the
    // Windows ANSI page, such as 1252, there).
    const struct {
        int threadPage;
        const wchar_t* quoted;
    } rows[] = {
        {65001, L"caf\u00E9"},
        {1252, L"caf\u00C3\u00A9"},
    };
    for (const auto& row : rows) {
        ThreadPageGuard page(row.threadPage);
        LogCapture log;
        EXPECT_TRUE(ConvertToWide(std::string("caf\xC3\xA9\0tail", 10), 4242).IsEmpty());
        ASSERT_EQ(log.Lines().size(), 1u) << row.threadPage;
        EXPECT_EQ(log.Lines()[0].message, L"MultiByteToWideChar (get needed length) failed for string: \"" +
                                              std::wstring(row.quoted) + L"\", codePage=4242")
            << row.threadPage;
    }
}

TEST(ConvertToWideTest, ExhaustedMemoryGivesEmptyTextAndOneError) {
    LogCapture log;
    const std::string page = "a page long enough to need the heap";
    testsupport::FailNextAllocation();
    EXPECT_TRUE(ConvertToWide(page, 65001).IsEmpty());
    EXPECT_FALSE(testsupport::CancelAllocationFailure()) << "decoding must have allocated";
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0].label, L"ERR");
    EXPECT_EQ(log.Lines()[0].message, L"Malloc failed !!!");
}

TEST(NarrowToWideTest, NullInputGivesNull) {
    EXPECT_EQ(static_cast<const wchar_t*>(NarrowToWide(nullptr, 65001)), nullptr);
    EXPECT_EQ(static_cast<const char*>(WideToNarrow(nullptr, 65001)), nullptr);
}

TEST(NarrowToWideTest, ShortAndLongTextsRoundTrip) {
    // Lengths around the 128-unit inline buffer, in UTF-8 (one to three bytes per character).
    for (size_t length : {0u, 1u, 42u, 127u, 128u, 129u, 1000u}) {
        std::wstring wide;
        for (size_t i = 0; i < length; ++i)
            wide += static_cast<wchar_t>(i % 3 == 0 ? L'a' + i % 26 : i % 3 == 1 ? 0xE9 : 0x20AC);
        const WideToNarrow narrow(wide.c_str(), 65001);
        const std::string bytes = static_cast<const char*>(narrow);
        EXPECT_EQ(bytes, platform::ToUtf8(wide)) << "length " << length;
        const NarrowToWide back(bytes.c_str(), 65001);
        EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(back)), wide) << "length " << length;
    }
}

TEST(NarrowToWideTest, InvalidUtf8BecomesReplacementCharacters) {
    const NarrowToWide wide("x\xC0\xAFy", 65001);
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(wide)), L"x\uFFFD\uFFFDy");
}

TEST(NarrowToWideTest, CodePagesZeroAndThreeFollowTheThreadAnsiPage) {
    ThreadPageGuard page(1252);
    for (int codePage : {0, 3}) {
        EXPECT_EQ(std::wstring(NarrowToWide("\xE9\x80", codePage)), L"\u00E9\u20AC") << "code page " << codePage;
        EXPECT_EQ(std::string(WideToNarrow(L"\u00E9\u20AC", codePage)), "\xE9\x80") << "code page " << codePage;
        // Characters that 1252 lacks become the default character.
        EXPECT_EQ(std::string(WideToNarrow(L"a\u65E5\u672Cb", codePage)), "a??b") << "code page " << codePage;
    }
    EXPECT_EQ(std::wstring(NarrowToWide("\xE9")), L"\u00E9") << "the default code page is the thread's";
}

TEST(NarrowToWideTest, UnsupportedCodePageThrowsSystemError) {
    try {
        NarrowToWide wide("abc", 12345);
        FAIL() << "NarrowToWide did not throw";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), EINVAL);
    }
    try {
        WideToNarrow narrow(L"abc", 12345);
        FAIL() << "WideToNarrow did not throw";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), EINVAL);
    }
    // A null input converts nothing, so it cannot fail.
    EXPECT_NO_THROW(NarrowToWide(nullptr, 12345));
}

}  // namespace

TEST(CodePageConversionTest, ShortTextsConvertWithoutTheHeap) {
    const std::string narrow(100, 'n');
    const std::wstring wide = std::wstring(99, L'w') + L"\u00e9";
    for (int codePage : {65001, 1252}) {
        { NarrowToWide warmUp("x", codePage); }  // the page's table is built once, on first use
        const size_t count = testsupport::AllocationCount();
        size_t wideLength = 0, narrowLength = 0;
        {
            NarrowToWide toWide(narrow.c_str(), codePage);
            WideToNarrow toNarrow(wide.c_str(), codePage);
            wideLength = std::wcslen(toWide);
            narrowLength = std::strlen(toNarrow);
        }
        EXPECT_EQ(testsupport::AllocationCount(), count) << codePage;
        EXPECT_EQ(wideLength, 100u) << codePage;
        EXPECT_EQ(narrowLength, codePage == 65001 ? 101u : 100u) << codePage;
    }
}
