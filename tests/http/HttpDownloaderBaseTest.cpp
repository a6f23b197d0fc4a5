// CHttpDownloaderBase against real HTTP servers on 127.0.0.1.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "http/HttpDownloaderBase.h"
#include "platform/CodePage.h"
#include "platform/HttpError.h"
#include "platform/System.h"
#include "tests/support/Environment.h"
#include "tests/support/FileBytes.h"
#include "tests/support/LogCapture.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WithPrefix.h"

using testsupport::WithPrefix;
using testsupport::LoopbackServer;

namespace {

// The name=value pairs of a Cookie header.
std::vector<std::string> CookiePairs(const std::string& header) {
    std::vector<std::string> pairs;
    size_t start = 0;
    while (start <= header.size()) {
        const size_t end = std::min(header.find(';', start), header.size());
        std::string pair = header.substr(start, end - start);
        pair.erase(0, pair.find_first_not_of(' '));
        if (!pair.empty()) pairs.push_back(pair);
        start = end + 1;
    }
    return pairs;
}

class HttpDownloaderBaseTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetThreadAnsiCodePage(65001); }
    void TearDown() override { platform::SetThreadAnsiCodePage(0); }

    // A port on which nothing listens: bound once, then released.
    static int ClosedPort() {
        LoopbackServer probe;
        probe.Start();
        const int port = probe.Port();
        probe.Stop();
        return port;
    }
};

// --- URL splitting ----------------------------------------------------------

TEST_F(HttpDownloaderBaseTest, SplitUrlTable) {
    struct Row {
        const wchar_t* url;
        const wchar_t* host;
        const wchar_t* path;
        int port;
    } rows[] = {
        {L"http://www.catalogue.example/a/b?x=1", L"www.catalogue.example", L"a/b?x=1", 80},
        {L"www.catalogue.example:8080", L"www.catalogue.example", L"", 8080},
        {L"https://secure.example/x", L"secure.example", L"x", 80},
        {L"host.example:65536/p", L"host.example", L"p", 80},
        {L"host.example:-1/p", L"host.example", L"p", 80},
        {L"host.example:65535/p", L"host.example", L"p", 65535},
        {L"host.example:/p", L"host.example", L"p", 0},
        {L"host.example:0/p", L"host.example", L"p", 0},
        {L"host.example:12ab/p", L"host.example", L"p", 12},
        {L"host.example:99999999999999999999/p", L"host.example", L"p", 80},
        {L"  host.example : 81 /  a b  ", L"host.example", L"a b", 81},
        {L"http:///path", L"", L"path", 80},
        {L"host.example/p#frag?q", L"host.example", L"p#frag?q", 80},
        {L"a://b://c/d", L"b", L"/c/d", 0},
        {L"", L"", L"", 80},
    };
    for (const Row& row : rows) {
        CString host, path;
        int port = -7;
        CHttpDownloaderBase::SplitUrl(row.url, host, path, port);
        EXPECT_EQ(host, CString(row.host)) << "url: " << platform::ToUtf8(row.url);
        EXPECT_EQ(path, CString(row.path)) << "url: " << platform::ToUtf8(row.url);
        EXPECT_EQ(port, row.port) << "url: " << platform::ToUtf8(row.url);
    }
}

// The same splitting as a forward proxy sees it: absolute-form targets, plain
// http whatever the scheme, the port only when it is not the default.
TEST_F(HttpDownloaderBaseTest, ProxyReceivesAbsoluteFormTargets) {
    LoopbackServer proxy;
    proxy.Serve(".*", "via proxy");
    proxy.Start();
    struct Row {
        const char* url;
        const char* target;
        const char* host;
    } rows[] = {
        {"http://www.catalogue.example/a/b?x=1", "http://www.catalogue.example/a/b?x=1", "www.catalogue.example"},
        {"www.catalogue.example:8080", "http://www.catalogue.example:8080/", "www.catalogue.example:8080"},
        {"https://www.catalogue.example/x", "http://www.catalogue.example/x", "www.catalogue.example"},
        {"www.catalogue.example:99999/p", "http://www.catalogue.example/p", "www.catalogue.example"},
        {"www.catalogue.example:/p", "http://www.catalogue.example/p", "www.catalogue.example"},
        {"www.catalogue.example/a b/\xC3\xBC?q=\"x\"", "http://www.catalogue.example/a%20b/%C3%BC?q=%22x%22",
         "www.catalogue.example"},
        {"www.catalogue.example/a%20b%zz", "http://www.catalogue.example/a%20b%25zz", "www.catalogue.example"},
        {"www.catalogue.example/a#fragment", "http://www.catalogue.example/a", "www.catalogue.example"},
        {"www.catalogue.example/../x/./y", "http://www.catalogue.example/../x/./y", "www.catalogue.example"},
    };
    for (const Row& row : rows) {
        CHttpDownloaderBase downloader(" " + proxy.Address("") + " ", std::wstring());
        ASSERT_TRUE(downloader.Download(row.url)) << row.url;
        EXPECT_EQ(downloader.m_strData, "via proxy") << row.url;
        const auto seen = proxy.Seen();
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.back().target, row.target) << row.url;
        EXPECT_EQ(seen.back().Header("Host"), row.host) << row.url;
    }
}

// A proxy named without a port is asked on port 80. Binding that port needs
// privileges, so the test is skipped where it cannot be had.
TEST_F(HttpDownloaderBaseTest, ProxyWithoutPortIsAskedOnPort80) {
    LoopbackServer proxy;
    proxy.Get(".*", [](const testsupport::Request& req, testsupport::Response& res) {
        res.SetContent("port 80 saw " + req.target, "text/plain");
    });
    if (!proxy.Start(80)) GTEST_SKIP() << "port 80 on 127.0.0.1 cannot be bound here";
    for (const char* text : {"127.0.0.1", "127.0.0.1:", "http://127.0.0.1/"}) {
        CHttpDownloaderBase downloader(text, std::wstring());
        EXPECT_TRUE(downloader.Download("www.catalogue.example/a")) << text;
        EXPECT_EQ(downloader.m_strData, "port 80 saw http://www.catalogue.example/a") << text;
    }
}

TEST_F(HttpDownloaderBaseTest, RequestTargetAndPortOnTheWire) {
    LoopbackServer server;
    server.Get("/a/b", [](const testsupport::Request&, testsupport::Response& res) {
        res.SetContent("<html>page</html>", "text/html; charset=utf-8");
    });
    server.Start();
    CHttpDownloaderBase downloader("", std::wstring());
    ASSERT_TRUE(downloader.Download("http://" + server.Address("/a/b?x=1")));
    EXPECT_EQ(downloader.m_strData, "<html>page</html>");
    EXPECT_EQ(downloader.m_dwStatusCode, 200u);
    EXPECT_EQ(downloader.m_strStatusText, CString(L"OK"));
    EXPECT_EQ(downloader.m_strContentType, "text/html; charset=utf-8");
    EXPECT_EQ(downloader.m_dwContentLength, 17u);
    EXPECT_EQ(downloader.m_dwBytesReceived, 17u);
    const auto seen = server.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].method, "GET");
    EXPECT_EQ(seen[0].target, "/a/b?x=1");
    EXPECT_EQ(seen[0].Header("Host"), server.Address(""));
    // The refresh flag asks caches not to answer from store; no Accept header is sent.
    EXPECT_EQ(seen[0].Header("Pragma"), "no-cache");
    EXPECT_EQ(seen[0].Header("Cache-Control"), "no-cache");
    EXPECT_EQ(seen[0].HeaderCount("Accept"), 0u);
    EXPECT_EQ(seen[0].Header("User-Agent"), CHttpDownloaderBase::SESSION_AGENT);
}

// Without a named proxy no proxy is used, whatever the environment says.
TEST_F(HttpDownloaderBaseTest, ProxyEnvironmentVariablesAreIgnored) {
    LoopbackServer server;
    server.Serve("/direct", "direct");
    server.Start();
    const std::string deadProxy = "http://127.0.0.1:" + std::to_string(ClosedPort());
    const char* names[] = {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"};
    for (const char* name : names) testsupport::SetEnvironment(name, deadProxy);
    CHttpDownloaderBase downloader("", std::wstring());
    const bool ok = downloader.Download(server.Address("/direct"));
    for (const char* name : names) testsupport::UnsetEnvironment(name);
    ASSERT_TRUE(ok);
    EXPECT_EQ(downloader.m_strData, "direct");
}

// --- Status and redirects ---------------------------------------------------

TEST_F(HttpDownloaderBaseTest, NotFoundFailsWithReasonPhraseAndNoBody) {
    LoopbackServer server;
    server.Get("/missing", [](const testsupport::Request&, testsupport::Response& res) {
        res.status = 404;
        res.SetContent("error page", "text/html");
    });
    server.Start();
    LogCapture log;
    CHttpDownloaderBase downloader("", std::wstring());
    EXPECT_FALSE(downloader.Download(server.Address("/missing")));
    EXPECT_EQ(downloader.m_dwStatusCode, 404u);
    EXPECT_EQ(downloader.m_strStatusText, CString(L"Not Found"));
    EXPECT_EQ(downloader.m_strData, "");
    EXPECT_EQ(downloader.m_dwLastError, 0u);
    EXPECT_TRUE(WithPrefix(log.Texts(L"WRN"), L"").empty());
}

TEST_F(HttpDownloaderBaseTest, RedirectsAreFollowedUpToTen) {
    LoopbackServer server;
    server.Get(R"(/hop/(\d+))", [](const testsupport::Request& req, testsupport::Response& res) {
        const int n = std::stoi(req.matches[1]);
        if (n == 0) res.SetContent("arrived", "text/plain");
        else res.SetRedirect("/hop/" + std::to_string(n - 1), n % 2 ? 302 : 301);
    });
    server.Start();
    {
        CHttpDownloaderBase downloader("", std::wstring());
        ASSERT_TRUE(downloader.Download(server.Address("/hop/10")));
        EXPECT_EQ(downloader.m_strData, "arrived");
        EXPECT_EQ(downloader.m_dwStatusCode, 200u);
        EXPECT_EQ(downloader.m_strStatusText, CString(L"OK"));
        EXPECT_EQ(server.Seen().size(), 11u);
    }
    {
        CHttpDownloaderBase downloader("", std::wstring());
        EXPECT_FALSE(downloader.Download(server.Address("/hop/11")));
        EXPECT_EQ(downloader.m_dwLastError, platform::kHttpErrorRedirectFailed);
        EXPECT_EQ(downloader.m_strData, "");
    }
}

TEST_F(HttpDownloaderBaseTest, RedirectToAnotherSchemeIsNotFollowed) {
    LoopbackServer server;
    server.Get("/elsewhere", [](const testsupport::Request&, testsupport::Response& res) {
        res.SetRedirect("ftp://127.0.0.1/file", 302);
    });
    server.Get("/script", [](const testsupport::Request&, testsupport::Response& res) {
        res.SetRedirect("file:///etc/passwd", 301);
    });
    server.Start();
    for (const char* path : {"/elsewhere", "/script"}) {
        CHttpDownloaderBase downloader("", std::wstring());
        EXPECT_FALSE(downloader.Download(server.Address(path))) << path;
        EXPECT_GE(downloader.m_dwStatusCode, 301u) << path;
        EXPECT_LE(downloader.m_dwStatusCode, 302u) << path;
        EXPECT_FALSE(downloader.m_strStatusText.IsEmpty()) << path;
        EXPECT_EQ(downloader.m_strData, "") << path;
    }
    EXPECT_EQ(server.Seen().size(), 2u);
}

TEST_F(HttpDownloaderBaseTest, EmptyBodyWithStatus200Succeeds) {
    LoopbackServer server;
    server.Serve("/empty", "");
    server.Start();
    CHttpDownloaderBase downloader("", std::wstring());
    downloader.m_strData = "stale";
    ASSERT_TRUE(downloader.Download(server.Address("/empty")));
    EXPECT_EQ(downloader.m_strData, "");
    EXPECT_EQ(downloader.m_dwBytesReceived, 0u);
}

// --- Headers and cookies ------------------------------------------------------

TEST_F(HttpDownloaderBaseTest, ResponseHeadersKeepNamesAndArrivalOrder) {
    LoopbackServer server;
    server.Get("/cookies", [](const testsupport::Request&, testsupport::Response& res) {
        res.SetHeader("Set-Cookie", "first=1; Path=/");
        res.SetHeader("Set-Cookie", "second=2; Path=/");
        res.SetHeader("X-Case", "upper");
        res.SetHeader("x-case", "lower");
        res.SetContent("ok", "text/plain");
    });
    server.Start();
    CHttpDownloaderBase downloader("", std::wstring());
    ASSERT_TRUE(downloader.Download(server.Address("/cookies")));
    const auto& headers = downloader.m_mapResponseHeaders;
    ASSERT_EQ(headers.count("Set-Cookie"), 1u);
    EXPECT_EQ(headers.at("Set-Cookie"), (std::vector<std::string>{"first=1; Path=/", "second=2; Path=/"}));
    // Names are kept as received: two spellings are two entries.
    EXPECT_EQ(headers.at("X-Case"), std::vector<std::string>{"upper"});
    EXPECT_EQ(headers.at("x-case"), std::vector<std::string>{"lower"});
    EXPECT_EQ(headers.at("Content-Length"), std::vector<std::string>{"2"});
}

TEST_F(HttpDownloaderBaseTest, CookieGoesOnEveryRequestExtraHeadersOnTheNextOnly) {
    LoopbackServer server;
    server.Get("/", [](const testsupport::Request&, testsupport::Response& res) {
        res.SetHeader("Set-Cookie", "session=abc; Path=/");
        res.SetContent("ok", "text/plain");
    });
    server.Start();
    CHttpDownloaderBase downloader("", std::wstring());
    downloader.SetHeader("  CooKie ", "mine=1");
    downloader.SetHeader("X-Once", "yes");
    downloader.SetHeader("User-Agent", "Agent/1.0");
    ASSERT_TRUE(downloader.Download(server.Address("/")));
    EXPECT_TRUE(downloader.m_mapRequestHeaders.empty());
    ASSERT_TRUE(downloader.Download(server.Address("/")));
    const auto seen = server.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].Header("Cookie"), "mine=1");
    EXPECT_EQ(seen[0].Header("X-Once"), "yes");
    EXPECT_EQ(seen[0].Header("User-Agent"), "Agent/1.0");
    // Second request: the cookie field again, now in one header with the
    // session's own cookie; the one-request headers are gone.
    EXPECT_EQ(seen[1].HeaderCount("Cookie"), 1u);
    // The order of the pairs in the one header is the client's own.
    EXPECT_THAT(CookiePairs(seen[1].Header("Cookie")), ::testing::UnorderedElementsAre("session=abc", "mine=1"));
    EXPECT_EQ(seen[1].HeaderCount("X-Once"), 0u);
    EXPECT_EQ(seen[1].Header("User-Agent"), CHttpDownloaderBase::SESSION_AGENT);
}

TEST_F(HttpDownloaderBaseTest, SetHeaderReplacesAnEarlierValueOfTheExactName) {
    CHttpDownloaderBase downloader("", std::wstring());
    downloader.SetHeader("X-A", "1");
    downloader.SetHeader("X-A", "2");
    downloader.SetHeader("x-a", "3");
    downloader.SetHeader("COOKIE", "c");
    EXPECT_EQ(downloader.m_mapRequestHeaders, (std::map<std::string, std::string>{{"X-A", "2"}, {"x-a", "3"}}));
    EXPECT_EQ(downloader.m_strCookie, "c");
}

TEST_F(HttpDownloaderBaseTest, LineBreaksNeverReachTheWire) {
    LoopbackServer server;
    server.Serve("/", "ok");
    server.Start();
    struct Row {
        const char* what;
        void (*prepare)(CHttpDownloaderBase&);
    } rows[] = {
        {"header value with CR LF", [](CHttpDownloaderBase& d) { d.SetHeader("X-Bad", "a\r\nInjected: 1"); }},
        {"header value with LF", [](CHttpDownloaderBase& d) { d.SetHeader("X-Bad", "a\nInjected: 1"); }},
        {"header name with CR LF", [](CHttpDownloaderBase& d) { d.SetHeader("X-Bad\r\nInjected", "1"); }},
        {"cookie with CR", [](CHttpDownloaderBase& d) { d.SetHeader("Cookie", "a=1\rInjected: 1"); }},
        {"referrer with LF", [](CHttpDownloaderBase& d) { d.m_strReferrer = "http://x/\nInjected: 1"; }},
    };
    for (const Row& row : rows) {
        CHttpDownloaderBase downloader("", std::wstring());
        row.prepare(downloader);
        EXPECT_FALSE(downloader.Download(server.Address("/"))) << row.what;
        EXPECT_EQ(downloader.m_dwLastError, platform::kHttpErrorInvalidHeader) << row.what;
    }
    EXPECT_TRUE(server.Seen().empty());

    // A line break in the URL is percent-encoded instead.
    CHttpDownloaderBase downloader("", std::wstring());
    ASSERT_TRUE(downloader.Download(server.Address("/?q=a\r\nInjected: 1")));
    ASSERT_EQ(server.Seen().size(), 1u);
    EXPECT_EQ(server.Seen()[0].target, "/?q=a%0D%0AInjected:%201");
}

TEST_F(HttpDownloaderBaseTest, ReferrerIsSentTrimmedWhenNotBlank) {
    LoopbackServer server;
    server.Serve("/", "ok");
    server.Start();
    CHttpDownloaderBase downloader("", std::wstring());
    downloader.m_strReferrer = "  http://from.example/page  ";
    ASSERT_TRUE(downloader.Download(server.Address("/")));
    downloader.m_strReferrer = "   ";
    ASSERT_TRUE(downloader.Download(server.Address("/")));
    const auto seen = server.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].Header("Referer"), "http://from.example/page");
    EXPECT_EQ(seen[1].HeaderCount("Referer"), 0u);
}

// --- Failures before and during the transfer ---------------------------------

TEST_F(HttpDownloaderBaseTest, FailuresBeforeAnyResponse) {
    LogCapture log;
    const int closedPort = ClosedPort();
    {
        // An empty host fails before any network activity; the last error stays.
        CHttpDownloaderBase downloader("", std::wstring());
        downloader.m_dwLastError = 4242;
        EXPECT_FALSE(downloader.Download("http:///path"));
        EXPECT_EQ(downloader.m_dwLastError, 4242u);
    }
    {
        CHttpDownloaderBase downloader("", std::wstring());
        EXPECT_FALSE(downloader.Download("127.0.0.1:" + std::to_string(closedPort) + "/"));
        EXPECT_EQ(downloader.m_dwLastError, platform::kHttpErrorCannotConnect);
        EXPECT_EQ(downloader.m_strStatusText, CString());
    }
    {
        // A proxy that is not there fails the same way.
        CHttpDownloaderBase downloader("127.0.0.1:" + std::to_string(closedPort), std::wstring());
        EXPECT_FALSE(downloader.Download("www.catalogue.example/"));
        EXPECT_EQ(downloader.m_dwLastError, platform::kHttpErrorCannotConnect);
    }
    {
        // A proxy text that names no host:port makes the session unusable.
        CHttpDownloaderBase downloader("proxy.example:80;other:81", std::wstring());
        EXPECT_FALSE(downloader.Download("www.catalogue.example/"));
        EXPECT_EQ(downloader.m_dwLastError, platform::kHttpErrorInvalidOption);
    }
    {
        CHttpDownloaderBase downloader("", std::wstring());
        EXPECT_FALSE(downloader.Download("bad host!/x"));
        EXPECT_EQ(downloader.m_dwLastError, platform::kHttpErrorInvalidUrl);
    }
    const std::wstring expected =
        L"CHttpDownloaderBase::SendRequest - error=[" + std::to_wstring(platform::kHttpErrorCannotConnect) + L"]";
    EXPECT_EQ(WithPrefix(log.Texts(L"WRN"), L"CHttpDownloaderBase::SendRequest"),
              (std::vector<std::wstring>{expected, expected}));
    // The code alone does not say why; an Info line names the address and,
    // where the system tells, the refusal.
    const std::wstring closed = L"127.0.0.1:" + std::to_wstring(closedPort);
    std::vector<std::wstring> lines = WithPrefix(log.Texts(L"INF"), L"could not connect");
    const std::wstring reason = L": connection refused";
    const bool reasonGiven = !lines.empty() && lines[0].size() > reason.size() &&
                             lines[0].compare(lines[0].size() - reason.size(), reason.size(), reason) == 0;
    const std::wstring cause = reasonGiven ? reason : L"";
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"could not connect to " + closed + cause,
                                                L"could not connect to " + closed + L" (proxy)" + cause}));
}

TEST_F(HttpDownloaderBaseTest, StalledServerFailsAfterTheExplicitTimeout) {
    LoopbackServer server;
    server.Get("/silent", [&server](const testsupport::Request&, testsupport::Response& res) {
        server.Stall(std::chrono::seconds(5));
        res.SetContent("too late", "text/plain");
    });
    server.Get("/half", [&server](const testsupport::Request&, testsupport::Response& res) {
        res.Stream(std::nullopt, "text/plain", [&server](testsupport::BodySink& sink) {
            sink.Write("first part");
            server.Stall(std::chrono::seconds(5));
            return true;
        });
    });
    server.Start();
    LogCapture log;
    {
        CHttpDownloaderBase downloader("", std::wstring());
        downloader.m_dwTimeout = 300;
        EXPECT_FALSE(downloader.Download(server.Address("/silent")));
        EXPECT_EQ(downloader.m_dwLastError, platform::kHttpErrorTimeout);
        EXPECT_EQ(downloader.m_dwStatusCode, 0u);
    }
    {
        CHttpDownloaderBase downloader("", std::wstring());
        downloader.m_dwTimeout = 300;
        EXPECT_FALSE(downloader.Download(server.Address("/half")));
        EXPECT_EQ(downloader.m_dwLastError, platform::kHttpErrorTimeout);
        EXPECT_EQ(downloader.m_dwStatusCode, 200u);
        EXPECT_EQ(downloader.m_strData, "");
    }
    EXPECT_EQ(WithPrefix(log.Texts(L"WRN"), L"HttpDownloader::DownloadData"),
              std::vector<std::wstring>{L"HttpDownloader::DownloadData WinHttpQueryDataAvailable error=[" +
                                        std::to_wstring(platform::kHttpErrorTimeout) + L"]"});
    server.ReleaseStalls();
}

TEST_F(HttpDownloaderBaseTest, TruncatedBodyFailsAndKeepsThePreviousBody) {
    LoopbackServer server;
    server.Get("/truncated", [](const testsupport::Request&, testsupport::Response& res) {
        res.Stream(1000, "text/plain", [](testsupport::BodySink& sink) {
            sink.Write(std::string(500, 'x'));
            return false;  // closes the connection after 500 of 1000 bytes
        });
    });
    server.Start();
    LogCapture log;
    CHttpDownloaderBase downloader("", std::wstring());
    downloader.m_strData = "previous";
    EXPECT_FALSE(downloader.Download(server.Address("/truncated")));
    EXPECT_EQ(downloader.m_strData, "previous");
    EXPECT_EQ(downloader.m_dwLastError, platform::kHttpErrorConnectionError);
    EXPECT_EQ(downloader.m_dwContentLength, 1000u);
    EXPECT_EQ(WithPrefix(log.Texts(L"WRN"), L"HttpDownloader::DownloadData").size(), 1u);
}

TEST_F(HttpDownloaderBaseTest, BodyOverTheCapFails) {
    static constexpr size_t kChunk = 1024 * 1024;
    LoopbackServer server;
    // No Content-Length: the cap is met while reading.
    server.Get("/huge", [](const testsupport::Request&, testsupport::Response& res) {
        res.Stream(std::nullopt, "application/octet-stream", [](testsupport::BodySink& sink) {
            for (size_t offset = 0; offset < CHttpDownloaderBase::MAX_BODY_BYTES + 1; offset += kChunk) {
                const size_t n = std::min<size_t>(kChunk, CHttpDownloaderBase::MAX_BODY_BYTES + 1 - offset);
                if (!sink.Write(std::string(n, 'z'))) return false;
            }
            return true;
        });
    });
    // An announced length over the cap is refused before reading.
    server.Get("/announced", [](const testsupport::Request&, testsupport::Response& res) {
        res.Stream(CHttpDownloaderBase::MAX_BODY_BYTES + 1, "application/octet-stream",
                   [](testsupport::BodySink& sink) {
                       for (size_t offset = 0; offset < CHttpDownloaderBase::MAX_BODY_BYTES + 1; offset += kChunk) {
                           const size_t n = std::min<size_t>(kChunk, CHttpDownloaderBase::MAX_BODY_BYTES + 1 - offset);
                           if (!sink.Write(std::string(n, 'z'))) return false;
                       }
                       return true;
                   });
    });
    server.Start();
    LogCapture log;
    for (const char* path : {"/huge", "/announced"}) {
        CHttpDownloaderBase downloader("", std::wstring());
        EXPECT_FALSE(downloader.Download(server.Address(path))) << path;
        EXPECT_EQ(downloader.m_strData, "") << path;
        EXPECT_LE(downloader.m_dwBytesReceived, CHttpDownloaderBase::MAX_BODY_BYTES) << path;
    }
    EXPECT_EQ(WithPrefix(log.Texts(L"WRN"), L"HttpDownloader::DownloadData"),
              (std::vector<std::wstring>{L"HttpDownloader::DownloadData OUT OF MEMORY",
                                         L"HttpDownloader::DownloadData OUT OF MEMORY"}));
}

// --- Output file, progress and cancel ----------------------------------------

class CountingProgress : public CHttpDownloadProgress {
public:
    void OnProgress(uint32_t received, uint32_t length) override {
        calls.emplace_back(received, length);
        if (owner && cancelAfter != 0 && received >= cancelAfter) owner->m_bCancel = true;
    }
    std::vector<std::pair<uint32_t, uint32_t>> calls;
    CHttpDownloaderBase* owner = nullptr;
    uint32_t cancelAfter = 0;
};

TEST_F(HttpDownloaderBaseTest, OutputFileProgressAndCancel) {
    const std::string body(3 * 1024 * 1024, 'b');
    LoopbackServer server;
    server.Get("/file", [&body](const testsupport::Request&, testsupport::Response& res) {
        res.SetContent(body, "application/octet-stream");
    });
    server.Start();
    TempFolder folder;
    const std::filesystem::path file = folder / "out";
    {
        CountingProgress progress;
        CHttpDownloaderBase downloader("", file.wstring());
        downloader.m_pProgress = &progress;
        ASSERT_TRUE(downloader.Download(server.Address("/file")));
        EXPECT_EQ(downloader.m_strData.size(), body.size());
        ASSERT_FALSE(progress.calls.empty());
        EXPECT_EQ(progress.calls.back(), std::make_pair(uint32_t(body.size()), uint32_t(body.size())));
        EXPECT_EQ(ReadBytes(file), body);
    }
    {
        CountingProgress progress;
        CHttpDownloaderBase downloader("", std::wstring());
        downloader.m_pProgress = &progress;
        progress.owner = &downloader;
        progress.cancelAfter = 1;
        EXPECT_FALSE(downloader.Download(server.Address("/file")));
        EXPECT_EQ(progress.calls.size(), 1u);
        EXPECT_EQ(downloader.m_strData, "");
    }
    {
        CHttpDownloaderBase downloader("", (file / "no" / "such" / "folder").wstring());
        EXPECT_FALSE(downloader.Download(server.Address("/file")));
    }
}

}  // namespace
