// Reading trace files back in tests: the run files in a log folder, the
// lines of a UTF-16LE trace file and the message part of one line.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TraceLineParts.h"
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
inline std::wstring MessageOf(const std::wstring& line) { return SplitTraceLine(line).message; }

// The run files the trace log wrote in folder (names starting "mivo_"), in name order.
inline std::vector<std::filesystem::path> RunFiles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().rfind("mivo_", 0) == 0) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace tracefile
