// Picks trace lines by their opening words, for tests that check only the
// lines of one kind among those LogCapture caught.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

// The texts among lines that start with prefix (lines as LogCapture::Texts gives them).
inline std::vector<std::wstring> WithPrefix(const std::vector<std::wstring>& texts, const std::wstring& prefix) {
    std::vector<std::wstring> found;
    for (const std::wstring& text : texts)
        if (text.compare(0, prefix.size(), prefix) == 0) found.push_back(text);
    return found;
}

}  // namespace testsupport
