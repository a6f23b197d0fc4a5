// The page download: DownloadPage's statistics, host questions and gate calls,
// DownloadUrl's messages and decoding, and the URL helpers.
#include <gtest/gtest.h>

#include <boost/regex.hpp>
#include <mutex>
#include <thread>

#include "http/PageDownload.h"
#include "platform/CodePage.h"
#include "platform/HttpError.h"
#include "platform/System.h"
#include "plugin/Mivo.h"
#include "tests/support/DownloadStatistics.h"
#include "tests/support/LogCapture.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/RawServer.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/WithPrefix.h"

using testsupport::WithPrefix;
using testsupport::LoopbackServer;
using testsupport::RawServer;
using testsupport::GateAnswer;
using testsupport::RecordingHost;

namespace {

class PageDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetThreadAnsiCodePage(65001);
        host.gateAnswer = GateAnswer::Supplied;
        server.Get("/page", [](const testsupport::Request&, testsupport::Response& res) {
            res.SetContent("<html>Bj\xC3\xB6rk \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xB5</html>", "text/html");
        });
        server.Get("/missing", [](const testsupport::Request&, testsupport::Response& res) {
            res.status = 404;
            res.SetContent("gone", "text/html");
        });
        server.Get("/slow", [](const testsupport::Request&, testsupport::Response& res) {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            res.SetContent("slow", "text/plain");
        });
        server.Get("/stopper", [this](const testsupport::Request&, testsupport::Response& res) {
            host.stop = true;  // the host asks to stop while the page is on its way
            res.SetContent("page", "text/plain");
        });
        server.Get("/zero", [](const testsupport::Request&, testsupport::Response& res) {
            res.SetContent(std::string("abc\0def", 7), "text/plain");
        });
        server.Get("/latin1", [](const testsupport::Request&, testsupport::Response& res) {
            res.SetContent("caf\xE9", "text/plain");
        });
        server.Start();
    }
    void TearDown() override { platform::SetThreadAnsiCodePage(0); }

    testsupport::DownloadStatistics Stats() { return testsupport::StatisticsOf(mivo); }
    CString Url(const std::string& path) const { return CString(platform::FromUtf8(server.Address(path))); }

    RecordingHost host;
    CMivo mivo;
    LoopbackServer server;  // stops first, so no handler outlives the host
};

TEST_F(PageDownloadTest, WithoutAHostNothingIsDownloadedOrCounted) {
    CString text = L"stale";
    EXPECT_EQ(mivo.DownloadPage(Url("/page"), text), 0);
    EXPECT_TRUE(text.IsEmpty());
    const auto s = Stats();
    EXPECT_EQ(s.downloads, 0);
    EXPECT_EQ(s.successful, 0);
    EXPECT_EQ(s.totalMs, 0);
    EXPECT_TRUE(server.Seen().empty());
}

TEST_F(PageDownloadTest, StopBeforeTheDownloadAsksNothing) {
    mivo.SetHost(&host);
    host.stop = true;
    CString text;
    EXPECT_EQ(mivo.DownloadPage(Url("/page"), text), 0);
    EXPECT_TRUE(host.ValuesAsked().empty());
    EXPECT_TRUE(host.GateCalls().empty());
    EXPECT_EQ(Stats().downloads, 0);
    EXPECT_TRUE(server.Seen().empty());
}

TEST_F(PageDownloadTest, SuccessDecodesUtf8CountsAndTellsTheGate) {
    LogCapture log;
    mivo.SetHost(&host);
    CString text = L"stale";
    const CString url = Url("/page?artist=x");
    ASSERT_EQ(mivo.DownloadPage(url, text), 1);
    EXPECT_EQ(text, CString(L"<html>Bj\u00F6rk \u65E5\u672C \U0001F3B5</html>"));
    EXPECT_EQ(host.ValuesAsked(), (std::vector<std::wstring>{L"HttpProxy", L"HostIgnore"}));
    EXPECT_EQ(host.GateCalls(), (std::vector<std::wstring>{L"enter 127.0.0.1 1", L"leave 127.0.0.1"}));
    const auto s = Stats();
    EXPECT_EQ(s.downloads, 1);
    EXPECT_EQ(s.successful, 1);
    EXPECT_GE(s.totalMs, 0);
    EXPECT_EQ(WithPrefix(log.Texts(L"DBG"), L"Download: "), std::vector<std::wstring>{L"Download: " + url.str()});
    EXPECT_TRUE(WithPrefix(log.Texts(L"WRN"), L"").empty());

    // A generated User-Agent went out; no referrer.
    const auto seen = server.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].target, "/page?artist=x");
    EXPECT_TRUE(
        boost::regex_match(seen[0].Header("User-Agent"),
                           boost::regex(R"(Mozilla/4\.0 \(compatible; MSIE [678]\.0; Windows NT [56]\.[01].*\))")))
        << seen[0].Header("User-Agent");
    EXPECT_EQ(seen[0].HeaderCount("Referer"), 0u);
}

TEST_F(PageDownloadTest, FailureIsCountedAndTimedButNotSuccessful) {
    LogCapture log;
    mivo.SetHost(&host);
    CString text;
    ASSERT_EQ(mivo.DownloadPage(Url("/slow"), text), 1);
    const CString url = Url("/missing");
    EXPECT_EQ(mivo.DownloadPage(url, text), 0);
    EXPECT_TRUE(text.IsEmpty());
    const auto s = Stats();
    EXPECT_EQ(s.downloads, 2);
    EXPECT_EQ(s.successful, 1);
    EXPECT_GE(s.totalMs, 25);
    EXPECT_EQ(host.GateCalls().size(), 4u);
    // The failure line carries the reason phrase, not the number.
    EXPECT_EQ(WithPrefix(log.Texts(L"WRN"), L"Download fails: "),
              std::vector<std::wstring>{L"Download fails: " + url.str() + L", Proxy: , Response: Not Found, Error:" +
                                        AsLogged(platform::SystemErrorText(0))});
}

TEST_F(PageDownloadTest, ProxyFromTheHostAndHostNamesWithoutScheme) {
    LoopbackServer proxy;
    proxy.Serve(".*", "proxied");
    proxy.Start();
    mivo.SetHost(&host);
    host.proxy = CString(platform::FromUtf8(proxy.Address("")));
    CString text;
    ASSERT_EQ(mivo.DownloadPage(L"www.catalogue.example/search?q=Bj%C3%B6rk", text), 1);
    EXPECT_EQ(text, CString(L"proxied"));
    ASSERT_EQ(proxy.Seen().size(), 1u);
    EXPECT_EQ(proxy.Seen()[0].target, "http://www.catalogue.example/search?q=Bj%C3%B6rk");
    EXPECT_EQ(host.GateCalls(),
              (std::vector<std::wstring>{L"enter www.catalogue.example 1", L"leave www.catalogue.example"}));
}

TEST_F(PageDownloadTest, FailureLineNamesTheProxyAndTheError) {
    LogCapture log;
    LoopbackServer probe;
    probe.Start();
    const std::string deadProxy = probe.Address("");
    probe.Stop();
    mivo.SetHost(&host);
    host.proxy = CString(platform::FromUtf8(deadProxy));
    CString text;
    EXPECT_EQ(mivo.DownloadPage(L"www.catalogue.example/x", text), 0);
    EXPECT_EQ(WithPrefix(log.Texts(L"WRN"), L"Download fails: "),
              std::vector<std::wstring>{L"Download fails: www.catalogue.example/x, Proxy: " +
                                        platform::FromUtf8(deadProxy) + L", Response: , Error:" +
                                        AsLogged(platform::SystemErrorText(platform::kHttpErrorCannotConnect))});
    EXPECT_EQ(Stats().downloads, 1);
    EXPECT_EQ(Stats().successful, 0);
}

TEST_F(PageDownloadTest, GateCallsFollowTheHostsAnswer) {
    struct Row {
        const char* what;
        GateAnswer answer;
        std::vector<std::wstring> events;
    } rows[] = {
        {"supplied", GateAnswer::Supplied, {L"enter 127.0.0.1 1", L"leave 127.0.0.1"}},
        {"not supplied", GateAnswer::NotSupplied, {}},
        {"supplied as null", GateAnswer::SuppliedNull, {}},
        {"refused but stored", GateAnswer::RefusedButStored, {L"leave 127.0.0.1"}},
    };
    for (const Row& row : rows) {
        RecordingHost rowHost;
        rowHost.gateAnswer = row.answer;
        CMivo plugin;
        plugin.SetHost(&rowHost);
        CString text;
        EXPECT_EQ(plugin.DownloadPage(Url("/page"), text), 1) << row.what;
        EXPECT_EQ(rowHost.GateCalls(), row.events) << row.what;
    }
}

TEST_F(PageDownloadTest, StopDuringTheDownloadSuppressesLeaveHost) {
    mivo.SetHost(&host);
    CString text;
    EXPECT_EQ(mivo.DownloadPage(Url("/stopper"), text), 1);
    EXPECT_EQ(text, CString(L"page"));
    EXPECT_EQ(host.GateCalls(), std::vector<std::wstring>{L"enter 127.0.0.1 1"});
    const auto s = Stats();
    EXPECT_EQ(s.downloads, 1);
    EXPECT_EQ(s.successful, 1);
}

TEST_F(PageDownloadTest, UnreadableHostGivesTheGateAnEmptyNameAndAnErrorLine) {
    LogCapture log;
    mivo.SetHost(&host);
    CString text;
    // "://" inside the query keeps the scheme from being added for the host
    // extraction; the download itself splits at that "://" and stays on loopback.
    EXPECT_EQ(mivo.DownloadPage(Url("/page?next=a://" + server.Address("/page")), text), 1);
    EXPECT_EQ(host.GateCalls(), (std::vector<std::wstring>{L"enter  1", L"leave "}));
    const std::wstring expected = L"UrlGetHost: InternetCrackUrl  GetLastError():" +
                                  std::to_wstring(platform::kHttpErrorUnrecognizedScheme) + L", " +
                                  AsLogged(platform::SystemErrorText(platform::kHttpErrorUnrecognizedScheme));
    EXPECT_EQ(WithPrefix(log.Texts(L"ERR"), L"UrlGetHost"), (std::vector<std::wstring>{expected, expected}));
}

TEST_F(PageDownloadTest, DownloadUrlPassesAgentAndReferrerAndDecodesByCodePage) {
    CString text;
    ASSERT_TRUE(DownloadUrl(Url("/page"), text, L"", 65001, L"http://from.example/", L"Fixed/1.0"));
    ASSERT_EQ(server.Seen().size(), 1u);
    EXPECT_EQ(server.Seen()[0].Header("User-Agent"), "Fixed/1.0");
    EXPECT_EQ(server.Seen()[0].Header("Referer"), "http://from.example/");

    // The body ends at its first zero byte.
    ASSERT_TRUE(DownloadUrl(Url("/zero"), text, L"", 65001, L"", L""));
    EXPECT_EQ(text, CString(L"abc"));

    // Code page 0: the thread's ANSI code page.
    platform::SetThreadAnsiCodePage(1252);
    ASSERT_TRUE(DownloadUrl(Url("/latin1"), text, L"", 0, L"", L""));
    EXPECT_EQ(text, CString(L"caf\u00E9"));
    platform::SetThreadAnsiCodePage(65001);

    // Invalid UTF-8 still succeeds, with replacement characters.
    ASSERT_TRUE(DownloadUrl(Url("/latin1"), text, L"", 65001, L"", L""));
    EXPECT_EQ(text, CString(L"caf\uFFFD"));
}

// The URL goes out in the thread's ANSI code page: characters the page lacks
// become "?" and the rest of the path stays; the request never shrinks to "/".
TEST(PageDownloadCodePageTest, UrlCharactersTheAnsiPageLacksBecomeQuestionMarks) {
    std::mutex mutex;
    std::vector<std::string> targets;
    // Raw, since a well-formed server refuses some of these targets before a
    // handler could see them.
    RawServer server([&](testsupport::SocketHandle fd, const std::string& head) {
        const size_t start = head.find(' ') + 1;
        {
            std::lock_guard<std::mutex> lock(mutex);
            targets.push_back(head.substr(start, head.find(' ', start) - start));
        }
        RawServer::Send(fd, RawServer::Reply("200 OK", "ok"));
    });
    ASSERT_NE(server.Port(), 0);
    struct Row {
        int codePage;
        const wchar_t* path;
        const char* target;
    } rows[] = {
        {1252, L"/caf\u00E9/\u65E5\u672C/x?q=\u0101b", "/caf%E9/?\?/x?q=?b"},
        {1252, L"/\u0416", "/?"},
        {28591, L"/\u20AC1/x", "/?1/x"},
        {65001, L"/caf\u00E9/\u65E5", "/caf%C3%A9/%E6%97%A5"},
        // A page the conversions do not know is refused; the thread keeps UTF-8.
        {932, L"/caf\u00E9/\u65E5", "/caf%C3%A9/%E6%97%A5"},
    };
    for (const Row& row : rows) {
        const std::string name = std::to_string(row.codePage) + " " + platform::ToUtf8(row.path);
        platform::SetThreadAnsiCodePage(65001);
        platform::SetThreadAnsiCodePage(row.codePage);
        CString text;
        const CString url = CString(platform::FromUtf8(server.Address(""))) + row.path;
        bool ok = false;
        EXPECT_NO_THROW(ok = DownloadUrl(url, text, L"", 65001, L"", L"")) << name;
        platform::SetThreadAnsiCodePage(0);
        EXPECT_TRUE(ok) << name;
        EXPECT_EQ(text.str(), L"ok") << name;
        std::lock_guard<std::mutex> lock(mutex);
        EXPECT_EQ(targets.size(), 1u) << name;
        EXPECT_EQ(targets.empty() ? std::string() : targets.back(), row.target) << name;
        targets.clear();
    }
}

TEST(UrlHelpersTest, AddSchemeAndGetHost) {
    struct Row {
        const wchar_t* url;
        const wchar_t* withScheme;
        const wchar_t* host;
    } rows[] = {
        {L"www.catalogue.example/search?q=a", L"http://www.catalogue.example/search?q=a", L"www.catalogue.example"},
        {L"http://www.catalogue.example/a", L"http://www.catalogue.example/a", L"www.catalogue.example"},
        {L"https://secure.example:8443/", L"https://secure.example:8443/", L"secure.example"},
        {L"host.example:8080", L"http://host.example:8080", L"host.example"},
        {L"caf%C3%A9.example/x", L"http://caf%C3%A9.example/x", L"caf\u00E9.example"},
        {L"", L"http://", L""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(UrlAddScheme(row.url, L"http"), CString(row.withScheme)) << platform::ToUtf8(row.url);
        EXPECT_EQ(UrlGetHost(UrlAddScheme(row.url, L"http")), CString(row.host)) << platform::ToUtf8(row.url);
    }
    EXPECT_EQ(UrlGetHost(L""), CString());
}

}  // namespace
