// The HTTP client layer's refusals before any transfer (proxy texts, hosts,
// ports, verbs and headers) and its error texts. The request text itself is
// tested in HttpUrlTest.cpp; transfers over the wire through the downloader
// in tests/http.
#include <gtest/gtest.h>

#include "platform/HttpClient.h"
#include "platform/System.h"

namespace {

using namespace platform;

// Each code keeps its fixed number and its text, so logs of every build read alike.
TEST(HttpErrorTextTest, CodesFollowTheOriginalNumbering) {
    const struct {
        uint32_t code;
        uint32_t number;
        const wchar_t* textPart;
    } rows[] = {
        {kHttpErrorTimeout, 12002, L"timed out"},
        {kHttpErrorInvalidUrl, 12005, L"URL is invalid"},
        {kHttpErrorCannotConnect, 12029, L"could not be established"},
        {kHttpErrorConnectionError, 12030, L"terminated abnormally"},
        {kHttpErrorHeaderNotFound, 12150, L"header could not be located"},
        {kHttpErrorInvalidServerResponse, 12152, L"could not be parsed"},
        {kHttpErrorInvalidHeader, 12153, L"header name or value is invalid"},
        {kHttpErrorRedirectFailed, 12156, L"redirect"},
        {kHttpErrorHeaderSizeOverflow, 12182, L"exceed the size limit"},
        {kHttpErrorResponseTooLarge, 12184, L"larger than the size limit"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.code, row.number);
        EXPECT_NE(SystemErrorText(row.number).find(row.textPart), std::wstring::npos) << row.number;
    }
    EXPECT_EQ(SystemErrorText(12190), L"") << "12190 is no code of this layer";
}

TEST(HttpErrorTextTest, CodesOfTheHttpRangeHaveTextsEndingInCrLf) {
    for (uint32_t code :
         {kHttpErrorTimeout, kHttpErrorCannotConnect, kHttpErrorConnectionError, kHttpErrorRedirectFailed,
          kHttpErrorInvalidHeader, kHttpErrorInvalidOption, kHttpErrorHeaderSizeOverflow, kHttpErrorResponseTooLarge}) {
        const std::wstring text = SystemErrorText(code);
        ASSERT_GT(text.size(), 2u) << code;
        EXPECT_EQ(text.substr(text.size() - 2), L"\r\n") << code;
        EXPECT_EQ(text.find(L"\r\n"), text.size() - 2) << code;
    }
    EXPECT_EQ(SystemErrorText(kHttpErrorTimeout), L"The operation timed out.\r\n");
    EXPECT_EQ(SystemErrorText(12198), L"");    // inside the range, but no such code
    EXPECT_FALSE(SystemErrorText(2).empty());  // errno texts are unchanged
}

TEST(HttpSessionTest, ProxyTextsAreCheckedWhenTheSessionOpens) {
    struct Row {
        const char* proxy;
        uint32_t error;
    } rows[] = {
        {"", 0},
        {"proxy.example:3128", 0},
        {"proxy.example", 0},
        {"http://proxy.example:3128/", 0},
        {"127.0.0.1:8080", 0},
        {"[::1]:8080", 0},
        {"proxy.example:3128;other.example:80", kHttpErrorInvalidOption},
        {"http=proxy.example:3128", kHttpErrorInvalidOption},
        {"socks5://proxy.example:1080", kHttpErrorInvalidOption},
        {"proxy.example:99999", kHttpErrorInvalidOption},
        {"proxy.example:80\r\nX: y", kHttpErrorInvalidOption},
        {"user@proxy.example:80", kHttpErrorInvalidOption},
    };
    for (const Row& row : rows) {
        HttpSession session("agent", row.proxy);
        EXPECT_EQ(session.OpenError(), row.error) << "proxy: " << row.proxy;
        uint32_t error = 0;
        const auto connection = session.Connect("host.example", 80, error);
        EXPECT_EQ(error, row.error) << "proxy: " << row.proxy;
        EXPECT_EQ(connection != nullptr, row.error == 0) << "proxy: " << row.proxy;
    }
}

TEST(HttpSessionTest, HostsPortsAndHeadersAreCheckedBeforeAnyTransfer) {
    HttpSession session("agent", "");
    struct HostRow {
        const char* host;
        int port;
        uint32_t error;
    } hosts[] = {
        {"host.example", 0, 0},
        {"127.0.0.1", 65535, 0},
        {"xn--bjrk-5qa.example", 80, 0},
        {"", 80, kHttpErrorInvalidUrl},
        {"a b", 80, kHttpErrorInvalidUrl},
        {"a/b", 80, kHttpErrorInvalidUrl},
        {"a@b", 80, kHttpErrorInvalidUrl},
        {"a\r\nb", 80, kHttpErrorInvalidUrl},
        {"host", -1, kHttpErrorInvalidUrl},
        {"host", 65536, kHttpErrorInvalidUrl},
    };
    for (const HostRow& row : hosts) {
        uint32_t error = 0;
        session.Connect(row.host, row.port, error);
        EXPECT_EQ(error, row.error) << "host: " << row.host << " port " << row.port;
    }

    uint32_t error = 0;
    auto connection = session.Connect("host.example", 80, error);
    ASSERT_TRUE(connection);
    EXPECT_FALSE(connection->OpenRequest("GE T", "/", "", true, error));
    EXPECT_EQ(error, kHttpErrorInvalidHeader);
    EXPECT_FALSE(connection->OpenRequest("GET", "/", "http://x/\r\nY: z", true, error));
    EXPECT_EQ(error, kHttpErrorInvalidHeader);

    auto request = connection->OpenRequest("GET", "/", "", true, error);
    ASSERT_TRUE(request);
    // One request at a time per session.
    EXPECT_FALSE(connection->OpenRequest("GET", "/", "", true, error));
    EXPECT_EQ(error, kHttpErrorIncorrectHandleState);

    struct HeaderRow {
        const char* name;
        std::string value;
        uint32_t error;
    } headers[] = {
        {"X-Fine", "a value\twith tab and \xC3\xBC", 0},
        {"X-Empty", "", 0},
        {"X-Cr", "a\rb", kHttpErrorInvalidHeader},
        {"X-Lf", "a\nb", kHttpErrorInvalidHeader},
        {"X-Nul", std::string("a\0b", 3), kHttpErrorInvalidHeader},
        {"X-Ctl", "a\x01", kHttpErrorInvalidHeader},
        {"X Space", "v", kHttpErrorInvalidHeader},
        {"X:Colon", "v", kHttpErrorInvalidHeader},
        {"", "v", kHttpErrorInvalidHeader},
        {"X-Lf\n", "v", kHttpErrorInvalidHeader},
    };
    for (const HeaderRow& row : headers)
        EXPECT_EQ(request->AddHeader(row.name, row.value), row.error) << "header: " << row.name;

    // Nothing to read before a response.
    size_t available = 7;
    EXPECT_EQ(request->QueryDataAvailable(available), kHttpErrorIncorrectHandleState);
    EXPECT_EQ(available, 0u);
    request.reset();
    EXPECT_TRUE(connection->OpenRequest("GET", "/", "", true, error));
}

}  // namespace
