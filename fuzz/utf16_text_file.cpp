// Fuzz target: the encoding-aware text file reading arbitrary file contents
// line by line (UTF-16LE with its mark, or 8-bit text), and writing the lines
// it read into a UTF-16LE file, as the trace log's merge does.
//
// Every read must end, and the UTF-16LE copy must read back line for line
// when no line holds U+0000 (a written string ends there, its line break too).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/CodePage.h"
#include "text/StdioFileEx.h"

using fuzzsupport::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::wstring source = platform::FromUtf8(fuzzsupport::WriteScratchFile("source.txt", bytes).string());
    const std::wstring copy = platform::FromUtf8((fuzzsupport::ScratchFolder() / "copy.txt").string());

    std::vector<std::wstring> lines;
    {
        CStdioFileEx file;
        Require(file.Open(source.c_str(), CFile::modeRead | CFile::typeText), "the source file opens");
        CString line;
        while (file.ReadString(line)) {
            Require(lines.size() <= size, "no more lines than bytes");
            lines.push_back(line.str());
        }
        Require(line.IsEmpty(), "the read past the end gives an empty line");
    }
    {
        CStdioFileEx file;
        Require(file.Open(copy.c_str(),
                          CFile::modeWrite | CFile::modeCreate | CFile::typeText | CStdioFileEx::modeUtf16Text),
                "the copy opens");
        for (const std::wstring& line : lines) file.WriteString((line + L"\r\n").c_str());
    }
    {
        CStdioFileEx file;
        Require(file.Open(copy.c_str(), CFile::modeRead | CFile::typeText), "the copy opens for reading");
        Require(lines.empty() || file.IsUnicode(), "the copy is read as UTF-16LE");
        bool zeroInside = false;
        for (const std::wstring& line : lines) zeroInside = zeroInside || line.find(L'\0') != std::wstring::npos;
        CString line;
        if (zeroInside) {
            while (file.ReadString(line)) {
            }
            return 0;
        }
        for (const std::wstring& expected : lines) {
            Require(file.ReadString(line), "the copy holds every line");
            Require(line.str() == expected, "a line reads back as written");
        }
        Require(!file.ReadString(line), "the copy holds nothing more");
    }
    return 0;
}
