// The escaping the catalogue applies to every data text it puts in a page.
// Header-only, so tests can predict page text without the catalogue program.
#pragma once

#include <string>
#include <string_view>

namespace catalogue {

// Escapes & < > " ' as &amp; &lt; &gt; &quot; &#39;.
inline std::string HtmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c; break;
        }
    }
    return out;
}

}  // namespace catalogue
