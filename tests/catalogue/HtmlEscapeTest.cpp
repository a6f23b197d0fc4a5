// The catalogue's escaping of data text: the five markup characters become
// their references, each exactly once, and every other byte (UTF-8 included)
// passes unchanged.
#include <gtest/gtest.h>

#include <string>

#include "catalogue/HtmlEscape.h"

namespace {

TEST(HtmlEscapeTest, EscapesTheFiveMarkupCharactersAndNothingElse) {
    const struct Row {
        const char* name;
        std::string text;
        std::string escaped;
    } rows[] = {
        {"empty", "", ""},
        {"plain", "Velnor", "Velnor"},
        {"each character", "&<>\"'", "&amp;&lt;&gt;&quot;&#39;"},
        {"a reference is escaped again", "&amp;", "&amp;amp;"},
        {"a tag", "<b>Rock & Roll</b>", "&lt;b&gt;Rock &amp; Roll&lt;/b&gt;"},
        {"an attribute's quotes", "title=\"it's\"", "title=&quot;it&#39;s&quot;"},
        {"UTF-8 and other bytes pass", "Bj\xC3\xB6rk \xE6\x97\xA5 \x01\x7F", "Bj\xC3\xB6rk \xE6\x97\xA5 \x01\x7F"},
        {"an inner zero byte passes", std::string("a\0<", 3), std::string("a\0&lt;", 6)},
    };
    for (const Row& row : rows) EXPECT_EQ(catalogue::HtmlEscape(row.text), row.escaped) << row.name;
}

}  // namespace
