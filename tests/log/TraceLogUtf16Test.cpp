// The trace log's per-run file and the merged parent log hold UTF-16LE text
// of the same bytes on every system: a name with letters outside Latin-1 and
// one outside the Basic Multilingual Plane is written as the same code units,
// the letter above U+FFFF as a surrogate pair, and reads back as the name.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "log/TraceFileWriter.h"
#include "log/TraceLog.h"
#include "tests/log/TraceFileLines.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// "Kiśka Яро" and U+10437, as the compiler makes the wide literal.
const wchar_t kName[] = L"Ki\u015Bka \u042F\u0440\u043E \U00010437";

// The name as UTF-16LE, written out code unit by code unit.
const std::string kNameBytes("K\0i\0\x5B\x01k\0a\0 \0"      // Kiśka
                             "\x2F\x04\x40\x04\x3E\x04 \0"  // Яро
                             "\x01\xD8\x37\xDC",            // U+10437 as the pair D801 DC37
                             24);

const std::string kLineEnd("\r\0\n\0", 4);
const std::string kMark("\xFF\xFE", 2);

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// True when bytes are UTF-16LE code units of ASCII characters only.
bool IsAsciiUtf16(const std::string& bytes) {
    if (bytes.size() % 2 != 0) return false;
    for (size_t i = 0; i < bytes.size(); i += 2)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80 || bytes[i + 1] != '\0') return false;
    return true;
}

class TraceLogUtf16Test : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }

private:
    static void Reset() {
        TheTraceLog().Close();
        TheTraceLog().SetParentLogfilePath(L"");
        TheTraceFileWriter().SetClock(nullptr);
    }
};

TEST_F(TraceLogUtf16Test, ANameOfEveryPlaneIsTheSameBytesInTheRunFileAndTheParentLog) {
    TempFolder dir;
    TheTraceLog().Open(dir.Wide().c_str(), L"mivo", TRACE_ERROR);
    TheTraceLog().Write(TRACE_ERROR, kName);
    CString runFile;
    TheTraceLog().GetCurrentFileName(runFile);
    ASSERT_FALSE(runFile.IsEmpty());

    // The run file: the mark, one line of an ASCII prefix, the name, CR LF.
    const std::string run = ReadBytes(fs::path(runFile.str()));
    ASSERT_GE(run.size(), kMark.size() + kNameBytes.size() + kLineEnd.size());
    EXPECT_EQ(run.substr(0, 2), kMark);
    EXPECT_TRUE(EndsWith(run, kNameBytes + kLineEnd)) << "the name's code units, the pair included";
    const std::string prefix = run.substr(2, run.size() - 2 - kNameBytes.size() - kLineEnd.size());
    EXPECT_TRUE(IsAsciiUtf16(prefix));
    EXPECT_TRUE(EndsWith(prefix, std::string("E\0R\0R\0:\0 \0", 10)));

    // The parent log: the mark, the block's heading, then the line unchanged.
    const fs::path parent = dir / "parent.txt";
    TheTraceLog().SetParentLogfilePath(parent.wstring().c_str());
    TheTraceLog().CloseAndMerge();
    const std::string merged = ReadBytes(parent);
    EXPECT_EQ(merged.substr(0, 6), kMark + std::string("\r\0\n\0", 4));
    EXPECT_TRUE(EndsWith(merged, run.substr(2))) << "the run's line, byte for byte";
    EXPECT_FALSE(fs::exists(fs::path(runFile.str()))) << "a merged run file is deleted";

    // Read back, the line's message is the name again.
    const std::vector<std::wstring> lines = tracefile::ReadLines(parent);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(tracefile::MessageOf(lines.back()), std::wstring(kName));
}

TEST_F(TraceLogUtf16Test, LoneHalvesAndControlCharactersKeepTheirOwnForm) {
    const struct {
        const char* name;
        std::wstring text;
        std::string bytes;  // the message part as UTF-16LE
    } rows[] = {
        {"lone high half", {L'a', static_cast<wchar_t>(0xD801)}, std::string("a\0\x01\xD8", 4)},
        {"lone low half",
         {static_cast<wchar_t>(0xDC37), L'b'},
         std::string("\x37\xDC"
                     "b\0",
                     4)},
        {"line break escaped", L"a\nb", std::string("a\0\\\0n\0b\0", 8)},
        {"Latin-1 letter", L"\u00E9", std::string("\xE9\0", 2)},
    };
    for (const auto& row : rows) {
        TempFolder dir;
        TheTraceLog().Open(dir.Wide().c_str(), L"mivo", TRACE_ERROR);
        TheTraceLog().Write(TRACE_ERROR, row.text.c_str());
        CString runFile;
        TheTraceLog().GetCurrentFileName(runFile);
        TheTraceLog().Close();
        EXPECT_TRUE(EndsWith(ReadBytes(fs::path(runFile.str())), row.bytes + kLineEnd)) << row.name;
    }
}

}  // namespace
