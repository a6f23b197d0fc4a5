// The text of HTTP requests: request URLs and percent-encoded targets, the
// host and scheme of a URL, proxy addresses, and the byte checks that keep
// line breaks and other control bytes off the wire.
#include <gtest/gtest.h>

#include <string>

#include "platform/HttpError.h"
#include "platform/HttpUrl.h"
#include "platform/Utf8.h"

namespace {

using namespace platform;

TEST(EncodeRequestTargetTest, Table) {
    struct Row {
        std::string_view in;
        const char* out;
    } rows[] = {
        {"/a/b?x=1&y=2", "/a/b?x=1&y=2"},
        {"/a b", "/a%20b"},
        {"/\r\n\t", "/%0D%0A%09"},
        {std::string_view("/nul\0x", 6), "/nul%00x"},
        {"/\x7F\x80\xFF", "/%7F%80%FF"},
        {"/\"<>\\^`{|}", "/%22%3C%3E%5C%5E%60%7B%7C%7D"},
        {"/Bj%C3%B6rk", "/Bj%C3%B6rk"},  // escapes kept
        {"/100%", "/100%25"},            // a bare percent sign is escaped
        {"/%4", "/%254"},
        {"/%zz", "/%25zz"},
        {"/a;b=c,d:e@f!$'()*+~-._", "/a;b=c,d:e@f!$'()*+~-._"},
        {"", ""},
    };
    for (const Row& row : rows) EXPECT_EQ(EncodeRequestTarget(row.in), row.out) << "input: " << row.in;
}

TEST(ExtractUrlHostTest, Table) {
    struct Row {
        const wchar_t* url;
        uint32_t error;
        const wchar_t* host;
    } rows[] = {
        {L"http://www.catalogue.example/search?q=x", 0, L"www.catalogue.example"},
        {L"http://www.catalogue.example", 0, L"www.catalogue.example"},
        {L"http://www.catalogue.example:8080/x", 0, L"www.catalogue.example"},
        {L"http://user:pw@host.example/x", 0, L"host.example"},
        {L"http://host.example?q=a/b", 0, L"host.example"},
        {L"http://host.example#top", 0, L"host.example"},
        {L"http://www%2Ecatalogue%2eexample/", 0, L"www.catalogue.example"},
        {L"http://bj%C3%B6rk.example/", 0, L"bj\u00F6rk.example"},
        {L"http://100%/", 0, L"100%"},
        {L"http://[::1]:80/", 0, L"[::1]"},
        {L"https://secure.example/", 0, L"secure.example"},
        {L"http:///path", 0, L""},
        {L"http://host.example:/x", 0, L"host.example"},
        {L"http://host.example:65536/x", kHttpErrorInvalidUrl, L""},
        {L"http://host.example:8o/x", kHttpErrorInvalidUrl, L""},
        {L"://host.example/", kHttpErrorUnrecognizedScheme, L""},
        {L"ht tp://host.example/", kHttpErrorUnrecognizedScheme, L""},
        {L"host.example/x?next=http://other.example/", kHttpErrorUnrecognizedScheme, L""},
        {L"1http://host.example/", kHttpErrorUnrecognizedScheme, L""},
    };
    for (const Row& row : rows) {
        std::wstring host = L"stale";
        EXPECT_EQ(ExtractUrlHost(row.url, host), row.error) << "url: " << ToUtf8(row.url);
        EXPECT_EQ(host, row.host) << "url: " << ToUtf8(row.url);
    }
}

// A named proxy without a port is asked on port 80.
TEST(ProxyUrlTest, Table) {
    struct Row {
        const char* proxy;
        const char* url;  // empty: refused
    } rows[] = {
        {"proxy.example", "http://proxy.example:80"},
        {"proxy.example:", "http://proxy.example:80"},
        {"proxy.example:3128", "http://proxy.example:3128"},
        {"proxy.example:0080", "http://proxy.example:0080"},
        {"http://proxy.example", "http://proxy.example:80"},
        {"HTTP://proxy.example:3128/", "http://proxy.example:3128"},
        {"127.0.0.1", "http://127.0.0.1:80"},
        {"[::1]", "http://[::1]:80"},
        {"[::1]:", "http://[::1]:80"},
        {"[::1]:8080", "http://[::1]:8080"},
        {"", ""},
        {":3128", ""},
        {"[]:80", ""},
        {"[::1", ""},
        {"[::1]x", ""},
        {"proxy.example:65536", ""},
        {"proxy.example:-1", ""},
        {"proxy.example:80:81", ""},
        {"proxy.example/path", ""},
        {"https://proxy.example:443", ""},
    };
    for (const Row& row : rows) EXPECT_EQ(ProxyUrl(row.proxy), row.url) << "proxy: " << row.proxy;
}

TEST(RequestUrlTest, Table) {
    struct Row {
        const char* host;
        int port;
        std::string_view target;
        const char* url;
    } rows[] = {
        {"host.example", 0, "/a?b=1", "http://host.example/a?b=1"},
        {"host.example", 80, "/a", "http://host.example/a"},
        {"127.0.0.1", 8080, "/a", "http://127.0.0.1:8080/a"},
        {"host.example", 443, "/", "http://host.example:443/"},
        {"host.example", 0, "", "http://host.example/"},
        {"host.example", 0, "a/b", "http://host.example/a/b"},
        {"host.example", 0, "/page#part", "http://host.example/page"},
        {"host.example", 0, "#only", "http://host.example/"},
        {"host.example", 0, "/a b#c d", "http://host.example/a%20b"},
        {"host.example", 0, "/x\r\nHost: other", "http://host.example/x%0D%0AHost:%20other"},
        {"host.example", 0, "?q=1", "http://host.example/?q=1"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(RequestUrl(row.host, row.port, row.target), row.url) << "target: " << row.target;
}

TEST(UrlSchemeTest, Table) {
    struct Row {
        const char* reference;
        const char* scheme;  // empty: relative
    } rows[] = {
        {"http://host.example/", "http"},
        {"HTTPS://host.example/", "HTTPS"},
        {"ftp://host.example/", "ftp"},
        {"javascript:alert(1)", "javascript"},
        {"svn+ssh://host/", "svn+ssh"},
        {"a1.b-c:x", "a1.b-c"},
        {"/a:b", ""},
        {"page?x=a:b", ""},
        {"a/b:c", ""},
        {"1http://host/", ""},
        {":x", ""},
        {"relative", ""},
        {"", ""},
    };
    for (const Row& row : rows) EXPECT_EQ(UrlScheme(row.reference), row.scheme) << "reference: " << row.reference;
}

TEST(RequestTextCheckTest, TokensHostNamesAndFieldValues) {
    enum Check { Token, HostName, FieldValue };
    struct Row {
        const char* name;
        Check check;
        std::string text;
        bool accepted;
    } rows[] = {
        {"verb", Token, "GET", true},
        {"token punctuation", Token, "X-a!#$%&'*+.^_`|~9", true},
        {"empty token", Token, "", false},
        {"blank in token", Token, "GE T", false},
        {"colon in token", Token, "X:Y", false},
        {"line break in token", Token, "X\n", false},
        {"high byte in token", Token, "X\xC3\xBC", false},
        {"separator in token", Token, "a(b)", false},
        {"host name", HostName, "www.catalogue.example", true},
        {"address", HostName, "127.0.0.1", true},
        {"underscore and high bytes", HostName, "a_b.bj\xC3\xB6rk.example", true},
        {"empty host", HostName, "", false},
        {"blank in host", HostName, "a b", false},
        {"port in host", HostName, "a:80", false},
        {"user in host", HostName, "u@a", false},
        {"path in host", HostName, "a/b", false},
        {"CR LF in host", HostName, "a\r\nb", false},
        {"bracketed address", HostName, "[::1]", false},
        {"plain value", FieldValue, "text/html; q=0.9", true},
        {"tab and high bytes", FieldValue, "a\tb \xC3\xBC", true},
        {"empty value", FieldValue, "", true},
        {"CR in value", FieldValue, "a\rb", false},
        {"LF in value", FieldValue, "a\nb", false},
        {"zero byte in value", FieldValue, std::string("a\0b", 3), false},
        {"escape in value", FieldValue, "a\x1B[2J", false},
        {"DEL in value", FieldValue, "a\x7F", false},
    };
    for (const Row& row : rows) {
        const bool accepted = row.check == Token      ? IsToken(row.text)
                              : row.check == HostName ? IsHostName(row.text)
                                                      : IsFieldValue(row.text);
        EXPECT_EQ(accepted, row.accepted) << row.name;
    }
    EXPECT_TRUE(EqualsNoCaseAscii("Content-LENGTH", "content-length"));
    EXPECT_FALSE(EqualsNoCaseAscii("Location", "Locatio"));
    EXPECT_FALSE(EqualsNoCaseAscii("\xC3\x9C", "\xC3\xBC")) << "only ASCII letters fold";
}

}  // namespace
