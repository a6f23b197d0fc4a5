// The escaping the local catalogue applies to data text in its pages, so tests
// can predict page text from the data file. For tests only.
#pragma once

#include <string>

namespace testsupport {

inline std::string HtmlEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

}  // namespace testsupport
