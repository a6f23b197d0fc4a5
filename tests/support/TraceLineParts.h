// The parts of one trace line, "<time> <thread> <label>: <message>", as the
// debugger output and the trace files show it.
#pragma once

#include <string>
#include <string_view>

struct TraceLine {
    std::wstring label;    // "ERR", "WRN", "INF", "DBG"
    std::wstring message;  // the text after "<time> <thread> <label>: ", without CR LF
};

// Splits line into its label and message, dropping a closing CR LF; a line
// of another shape is all message.
inline TraceLine SplitTraceLine(std::wstring_view line) {
    if (line.size() >= 2 && line.substr(line.size() - 2) == L"\r\n") line.remove_suffix(2);
    const size_t firstBlank = line.find(L' ');
    const size_t secondBlank = firstBlank == std::wstring_view::npos ? firstBlank : line.find(L' ', firstBlank + 1);
    const size_t colon = secondBlank == std::wstring_view::npos ? secondBlank : line.find(L": ", secondBlank + 1);
    if (colon == std::wstring_view::npos) return {L"", std::wstring(line)};
    return {std::wstring(line.substr(secondBlank + 1, colon - secondBlank - 1)), std::wstring(line.substr(colon + 2))};
}
