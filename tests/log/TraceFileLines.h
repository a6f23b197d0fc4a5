// Reading trace files back in tests: the lines of a UTF-16LE trace file and
// the message part of one line.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "text/StdioFileEx.h"

namespace tracefile {

// The lines of a UTF-16LE trace file, without the mark and line ends.
inline std::vector<std::wstring> ReadLines(const std::filesystem::path& file) {
    CStdioFileEx in;
    std::vector<std::wstring> lines;
    if (!in.Open(file.wstring().c_str(), CFile::modeRead | CFile::typeText)) return lines;
    CString line;
    while (in.ReadString(line)) lines.push_back(line.str());
    return lines;
}

// The message part of a line: what follows "<time> <thread> <label>: ".
inline std::wstring MessageOf(const std::wstring& line) {
    const size_t pos = line.find(L": ");
    return pos == std::wstring::npos ? line : line.substr(pos + 2);
}

}  // namespace tracefile
