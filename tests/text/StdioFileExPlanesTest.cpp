// The text file with a name of letters outside Latin-1 and one outside the
// Basic Multilingual Plane: the same bytes on both systems in each mode
// (UTF-16LE with a surrogate pair, UTF-8, a single-byte page with one
// replacement character per letter), and the name again on reading.
#include <gtest/gtest.h>

#include <string>

#include "platform/CodePage.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"
#include "text/StdioFileEx.h"

namespace {

// "Kiśka Яро" and U+10437.
const wchar_t kName[] = L"Ki\u015Bka \u042F\u0440\u043E \U00010437";

// Sets the thread's ANSI page for the life of the guard.
class ThreadPage {
public:
    explicit ThreadPage(int codePage) { platform::SetThreadAnsiCodePage(codePage); }
    ~ThreadPage() { platform::SetThreadAnsiCodePage(0); }
};

TEST(StdioFileExPlanesTest, ANameOfEveryPlaneIsWrittenAsTheSameBytesInEachMode) {
    const struct {
        const char* name;
        unsigned mode;   // extra open flags
        int threadPage;  // the ANSI page for 8-bit text
        std::string bytes;
        std::wstring readBack;
    } rows[] = {
        {"UTF-16LE with the pair", CStdioFileEx::modeUtf16Text, 0,
         std::string("\xFF\xFE"
                     "K\0i\0\x5B\x01k\0a\0 \0\x2F\x04\x40\x04\x3E\x04 \0\x01\xD8\x37\xDC\n\0",
                     28),
         kName},
        {"UTF-8", 0, 65001, "Ki\xC5\x9Bka \xD0\xAF\xD1\x80\xD0\xBE \xF0\x90\x90\xB7\n", kName},
        {"single-byte page: one # per letter it lacks", 0, 1252, "Ki#ka ### #\n", L"Ki#ka ### #"},
    };
    for (const auto& row : rows) {
        ThreadPage page(row.threadPage);
        TempFolder dir;
        const auto file = dir / "name.txt";
        {
            CStdioFileEx out;
            ASSERT_TRUE(out.Open(file.wstring().c_str(), CFile::modeCreate | CFile::modeWrite | row.mode)) << row.name;
            out.WriteString((std::wstring(kName) + L"\n").c_str());
        }
        EXPECT_EQ(ReadBytes(file), row.bytes) << row.name;

        CStdioFileEx in;
        ASSERT_TRUE(in.Open(file.wstring().c_str(), CFile::modeRead)) << row.name;
        CString line;
        ASSERT_TRUE(in.ReadString(line)) << row.name;
        EXPECT_EQ(line.str(), row.readBack) << row.name;
        EXPECT_FALSE(in.ReadString(line)) << row.name;
    }
}

TEST(StdioFileExPlanesTest, APairSplitByTheLineBufferComesBackWhole) {
    // The pair straddles the end of the 4,096-unit buffer of a line.
    const std::wstring line = std::wstring(CStdioFileEx::kBufferUnits - 2, L'x') + L"\U00010437" + L"y";
    TempFolder dir;
    const auto file = dir / "long.txt";
    WriteBytes(file, "\xFF\xFE" + platform::ToUtf16Le(line + L"\n"));
    CStdioFileEx in;
    ASSERT_TRUE(in.Open(file.wstring().c_str(), CFile::modeRead));
    CString read;
    ASSERT_TRUE(in.ReadString(read));
    EXPECT_EQ(read.str(), line);
}

}  // namespace
