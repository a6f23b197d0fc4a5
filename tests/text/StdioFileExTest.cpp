// Encoding-aware text file: mark detection and writing, line splitting,
// long lines, the 8-bit path with its replacement character, one file
// position shared by reads, writes and seeks, and the memory lines take.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"
#include "tests/text/AllocationHooks.h"
#include "text/StdioFileEx.h"

namespace {

std::vector<std::wstring> ReadAll(const std::filesystem::path& file, bool* unicode = nullptr) {
    CStdioFileEx in;
    std::vector<std::wstring> lines;
    EXPECT_TRUE(in.Open(file.wstring().c_str(), CFile::modeRead | CFile::typeText));
    if (unicode) *unicode = in.IsUnicode();
    CString line;
    while (in.ReadString(line)) lines.push_back(line.str());
    EXPECT_TRUE(line.IsEmpty()) << "end of file leaves the string empty";
    return lines;
}

std::string Utf16(const std::wstring& text) { return platform::ToUtf16Le(text); }

TEST(StdioFileExTest, ReadingSplitsLinesAndDetectsTheMark) {
    TempFolder dir;
    const struct {
        const char* name;
        std::string bytes;
        bool unicode;
        std::vector<std::wstring> lines;
    } rows[] = {
        {"utf16 with mark", "\xFF\xFE" + Utf16(L"first\r\nsecond\n"), true, {L"first", L"second"}},
        {"last line without LF", "\xFF\xFE" + Utf16(L"a\nb"), true, {L"a", L"b"}},
        {"CR CR LF keeps one CR", "\xFF\xFE" + Utf16(L"A\r\r\n"), true, {L"A\r"}},
        {"empty lines", "\xFF\xFE" + Utf16(L"\n\r\nx\n"), true, {L"", L"", L"x"}},
        {"surrogate pair joined", "\xFF\xFE" + Utf16(L"\U0001F3B5 note\n"), true, {L"\U0001F3B5 note"}},
        {"utf16 without mark reads as 8-bit, up to the zero byte", Utf16(L"AB"), false, {L"A"}},
        {"empty file", "", false, {}},
        {"one byte", "\xFF", false, {L"\xFF"}},
        {"mark only", "\xFF\xFE", true, {}},
        {"lone byte after the mark is no line",
         "\xFF\xFE"
         "A",
         true,
         {}},
        {"lone byte after a last LF is no line", "\xFF\xFE" + Utf16(L"A\n") + "B", true, {L"A"}},
        {"lone byte after a line without LF is dropped", "\xFF\xFE" + Utf16(L"A") + "B", true, {L"A"}},
        {"8-bit lines", "x\r\ny", false, {L"x", L"y"}},
    };
    for (const auto& row : rows) {
        const auto file = dir / "in.txt";
        WriteBytes(file, row.bytes);
        bool unicode = false;
        platform::SetThreadAnsiCodePage(28591);  // one byte, one character: the rows stay readable
        const auto lines = ReadAll(file, &unicode);
        platform::SetThreadAnsiCodePage(0);
        EXPECT_EQ(unicode, row.unicode) << row.name;
        EXPECT_EQ(lines, row.lines) << row.name;
    }
}

TEST(StdioFileExTest, LinesLongerThanTheBufferComeBackWhole) {
    TempFolder dir;
    const std::wstring longLine(4095 * 3 + 17, L'\u00e9');
    const std::wstring edge(4095, L'q');
    const auto unicodeFile = dir / "long16.txt";
    WriteBytes(unicodeFile, "\xFF\xFE" + Utf16(longLine + L"\n" + edge + L"\r\nend"));
    EXPECT_EQ(ReadAll(unicodeFile), (std::vector<std::wstring>{longLine, edge, L"end"}));

    const auto byteFile = dir / "long8.txt";
    WriteBytes(byteFile, platform::ToUtf8(longLine) + "\n" + platform::ToUtf8(edge));
    platform::SetThreadAnsiCodePage(65001);
    EXPECT_EQ(ReadAll(byteFile), (std::vector<std::wstring>{longLine, edge}));
    platform::SetThreadAnsiCodePage(0);
}

TEST(StdioFileExTest, WritingUtf16PutsTheMarkOnlyAtPositionZero) {
    TempFolder dir;
    const auto file = dir / "out.txt";
    {
        CStdioFileEx out;
        ASSERT_TRUE(out.Open(file.wstring().c_str(),
                             CFile::modeCreate | CFile::modeWrite | CStdioFileEx::modeUtf16Text));
        out.WriteString(L"one\r\n");
        out.WriteString(L"\U0001D11E\r\n");
    }
    const std::string first = "\xFF\xFE" + Utf16(L"one\r\n\U0001D11E\r\n");
    EXPECT_EQ(ReadBytes(file), first);
    {
        CStdioFileEx out;
        ASSERT_TRUE(out.Open(file.wstring().c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite |
                                                         CStdioFileEx::modeUtf16Text));
        out.SeekToEnd();
        out.WriteString(L"two\r\n");
    }
    EXPECT_EQ(ReadBytes(file), first + Utf16(L"two\r\n"));
}

TEST(StdioFileExTest, SeekingBackToTheStartSkipsTheMarkAgain) {
    TempFolder dir;
    const auto file = dir / "seek.txt";
    WriteBytes(file, "\xFF\xFE" + Utf16(L"alpha\nbeta\n"));
    CStdioFileEx in;
    ASSERT_TRUE(in.Open(file.wstring().c_str(), CFile::modeRead));
    CString line;
    ASSERT_TRUE(in.ReadString(line));
    ASSERT_TRUE(in.ReadString(line));
    EXPECT_EQ(line, L"beta");
    in.Seek(0, CFile::begin);
    ASSERT_TRUE(in.ReadString(line));
    EXPECT_EQ(line, L"alpha");
}

TEST(StdioFileExTest, EightBitWritingReplacesWhatTheCodePageLacks) {
    TempFolder dir;
    const auto file = dir / "ansi.txt";
    platform::SetThreadAnsiCodePage(1252);
    {
        CStdioFileEx out;
        ASSERT_TRUE(out.Open(file.wstring().c_str(), CFile::modeCreate | CFile::modeWrite));
        out.WriteString(L"caf\u00e9 \u20ac \u4e2d\u6587 \U0001F3B5\r\n");
        out.WriteString(L"");
        out.WriteString(std::wstring(5000, L'\u0416').c_str());  // longer than the buffer, all unmappable
    }
    EXPECT_EQ(ReadBytes(file), "caf\xE9 \x80 ## #\r\n" + std::string(5000, '#'));
    const auto lines = ReadAll(file);
    platform::SetThreadAnsiCodePage(0);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], L"caf\u00e9 \u20ac ## #");
}

// One step of a script run against an open file: a write, a line read (null
// text: end of file expected), a seek or a position query with the position
// it must give.
struct Step {
    enum Kind { Write, Read, Seek, Position } kind;
    const wchar_t* text;
    int64_t offset;
    unsigned origin;
    uint64_t position;
};
Step W(const wchar_t* text) { return {Step::Write, text, 0, 0, 0}; }
Step R(const wchar_t* line) { return {Step::Read, line, 0, 0, 0}; }
Step S(int64_t offset, unsigned origin, uint64_t position) { return {Step::Seek, nullptr, offset, origin, position}; }
Step P(uint64_t position) { return {Step::Position, nullptr, 0, 0, position}; }

TEST(StdioFileExTest, ReadsWritesAndSeeksShareOnePosition) {
    constexpr unsigned kNewUtf16 = CFile::modeCreate | CFile::modeWrite | CStdioFileEx::modeUtf16Text;
    constexpr unsigned kReadWrite = CFile::modeReadWrite | CFile::typeText;
    const std::string bom = "\xFF\xFE";
    const struct {
        const char* name;
        std::string before;  // written before opening unless the flags create the file
        unsigned flags;
        std::vector<Step> steps;
        std::string after;
    } rows[] = {
        {"writes after a seek to the end append",
         "",
         kNewUtf16,
         {W(L"AB"), S(0, CFile::end, 6), W(L"CD"), P(10), S(0, CFile::current, 10), W(L"E"), P(12)},
         bom + Utf16(L"ABCDE")},
        {"a new UTF-16 file reads back what was written",
         "",
         CFile::modeCreate | CFile::modeReadWrite | CStdioFileEx::modeUtf16Text,
         {W(L"one\n"), W(L"two\n"), P(18), S(0, CFile::begin, 0), R(L"one"), R(L"two"), R(nullptr)},
         bom + Utf16(L"one\ntwo\n")},
        {"a write after seeking back over read text lands at the start",
         "one\ntwo\n",
         kReadWrite,
         {R(L"one"), S(0, CFile::begin, 0), W(L"Q"), P(1), S(0, CFile::begin, 0), R(L"Qne"), R(L"two"), R(nullptr)},
         "Qne\ntwo\n"},
        {"a UTF-16 write at the start gets the mark",
         bom + Utf16(L"one\ntwo\n"),
         kReadWrite | CStdioFileEx::modeUtf16Text,
         {R(L"one"), S(0, CFile::begin, 0), W(L"Q"), P(4), R(L"ne"), R(L"two"), R(nullptr)},
         bom + Utf16(L"Qne\ntwo\n")},
        {"a write after a read continues where the read stopped",
         "one\ntwo\n",
         kReadWrite,
         {R(L"one"), P(4), W(L"T"), P(5), R(L"wo"), R(nullptr), P(8)},
         "one\nTwo\n"},
        {"relative seeks between writes",
         "abcdef",
         kReadWrite,
         {S(2, CFile::begin, 2), W(L"X"), S(1, CFile::current, 4), W(L"Y"), P(5), S(-1, CFile::end, 5), R(L"f")},
         "abXdYf"},
        {"a write past the end of what was read extends the file",
         "ab\n",
         kReadWrite,
         {R(L"ab"), R(nullptr), W(L"cd\n"), P(6), S(0, CFile::begin, 0), R(L"ab"), R(L"cd"), R(nullptr)},
         "ab\ncd\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder dir;
        const auto file = dir / "pos.txt";
        if ((row.flags & CFile::modeCreate) == 0) WriteBytes(file, row.before);
        {
            CStdioFileEx io;
            ASSERT_TRUE(io.Open(file.wstring().c_str(), row.flags));
            for (size_t i = 0; i < row.steps.size(); ++i) {
                const Step& step = row.steps[i];
                SCOPED_TRACE("step " + std::to_string(i));
                CString line;
                switch (step.kind) {
                    case Step::Write: io.WriteString(step.text); break;
                    case Step::Read:
                        EXPECT_EQ(io.ReadString(line), step.text != nullptr);
                        EXPECT_EQ(line.str(), step.text ? step.text : L"");
                        break;
                    case Step::Seek: EXPECT_EQ(io.Seek(step.offset, step.origin), step.position); break;
                    case Step::Position: EXPECT_EQ(io.GetPosition(), step.position); break;
                }
            }
        }
        EXPECT_EQ(ReadBytes(file), row.after);
    }
}

TEST(StdioFileExTest, LongLinesGiveTheirMemoryBack) {
    TempFolder dir;
    const size_t kLong = 5u << 20;  // 10 MB of UTF-16, 5 MB of 8-bit text
    const std::wstring longLine(kLong, L'z');
    const struct {
        const char* name;
        std::string bytes;
    } rows[] = {
        {"UTF-16", "\xFF\xFE" + Utf16(longLine + L"\nshort\n")},
        {"8-bit", std::string(kLong, 'z') + "\nshort\n"},
    };
    platform::SetThreadAnsiCodePage(28591);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto file = dir / "long.txt";
        WriteBytes(file, row.bytes);
        CStdioFileEx in;
        ASSERT_TRUE(in.Open(file.wstring().c_str(), CFile::modeRead));
        CString line;
        const size_t before = testsupport::LiveAllocatedBytes();
        ASSERT_TRUE(in.ReadString(line));
        EXPECT_EQ(line.str(), longLine);
        line.str().clear();
        line.str().shrink_to_fit();
        const size_t after = testsupport::LiveAllocatedBytes();
        EXPECT_LT(after, before + 64 * 1024) << "bytes still held after the long line: " << after - before;
        ASSERT_TRUE(in.ReadString(line));
        EXPECT_EQ(line, L"short");
    }
    platform::SetThreadAnsiCodePage(0);
}

TEST(StdioFileExTest, ShortUtf16LinesNeedNoHeap) {
    TempFolder dir;
    const auto file = dir / "short.txt";
    const std::wstring fullBuffer(4095, L'x');
    const std::wstring written(2000, L'y');
    const std::wstring pair = L"\U0001F3B5 ok\r\n";
    {
        CStdioFileEx out;
        ASSERT_TRUE(out.Open(file.wstring().c_str(),
                             CFile::modeCreate | CFile::modeWrite | CStdioFileEx::modeUtf16Text));
        const size_t count = testsupport::AllocationCount();
        out.WriteString(pair.c_str());
        out.WriteString(written.c_str());
        EXPECT_EQ(testsupport::AllocationCount(), count) << "writing";
    }
    WriteBytes(file, ReadBytes(file) + Utf16(L"\n" + fullBuffer + L"\n"));
    CStdioFileEx in;
    ASSERT_TRUE(in.Open(file.wstring().c_str(), CFile::modeRead));
    CString line;
    line.str().reserve(5000);
    const size_t count = testsupport::AllocationCount();
    EXPECT_TRUE(in.ReadString(line));
    EXPECT_EQ(line, L"\U0001F3B5 ok");
    EXPECT_TRUE(in.ReadString(line));
    EXPECT_EQ(line.str(), written);
    EXPECT_TRUE(in.ReadString(line));
    EXPECT_EQ(line.str(), fullBuffer);
    EXPECT_EQ(testsupport::AllocationCount(), count) << "reading";
}

TEST(StdioFileExTest, Short8BitLinesNeedNoHeap) {
    for (int codePage : {65001, 1252}) {
        platform::SetThreadAnsiCodePage(codePage);  // 8-bit files use the thread's ANSI page
        TempFolder dir;
        const auto file = dir / "short8.txt";
        const std::wstring text = L"caf\u00e9 line, longer than a short string";
        const std::wstring written = text + L"\n";
        {
            CStdioFileEx out;
            ASSERT_TRUE(out.Open(file.wstring().c_str(), CFile::modeCreate | CFile::modeWrite));
            out.WriteString(L"warm-up\n");  // the page's table is built once, on first use
            const size_t count = testsupport::AllocationCount();
            out.WriteString(written.c_str());
            EXPECT_EQ(testsupport::AllocationCount(), count) << "writing in page " << codePage;
        }
        CStdioFileEx in;
        ASSERT_TRUE(in.Open(file.wstring().c_str(), CFile::modeRead));
        CString line;
        line.str().reserve(100);
        ASSERT_TRUE(in.ReadString(line));
        const size_t count = testsupport::AllocationCount();
        EXPECT_TRUE(in.ReadString(line));
        EXPECT_EQ(testsupport::AllocationCount(), count) << "reading in page " << codePage;
        EXPECT_EQ(line.str(), text) << codePage;
    }
    platform::SetThreadAnsiCodePage(0);
}

TEST(StdioFileExTest, OpeningAMissingFileFails) {
    TempFolder dir;
    CStdioFileEx in;
    CFileException error;
    EXPECT_FALSE(in.Open((dir / "missing.txt").wstring().c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
}

TEST(SmartPtrArrayTest, FreesOnlyWhatItOwnsAndGrowsForLongText) {
    wchar_t local[4] = {};
    CTemplateSmartPtrArray<wchar_t> holder(local);
    EXPECT_EQ(ConvertMultiByteToWide("abc", holder, 4, 65001), 3);
    EXPECT_EQ(holder.Get(), local) << "text that fits stays in the caller's buffer";
    EXPECT_FALSE(holder.IsOwner());
    EXPECT_EQ(ConvertMultiByteToWide("abcd", holder, 4, 65001), 4);
    EXPECT_NE(holder.Get(), local);
    EXPECT_TRUE(holder.IsOwner());
    EXPECT_STREQ(holder.Get(), L"abcd");

    CTemplateSmartPtrArray<char> bytes;
    EXPECT_EQ(ConvertWideToMultiByte(L"\u00e9x", bytes, 0, 1252, '#'), 2);
    EXPECT_STREQ(bytes.Get(), "\xE9x");
    EXPECT_EQ(ConvertWideToMultiByte(L"\u4e2d", bytes, 0, 1252, '#'), 1);
    EXPECT_STREQ(bytes.Get(), "#");
}

}  // namespace
