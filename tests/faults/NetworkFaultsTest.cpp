// Network faults met by the page download over loopback: every one must end
// in a clean failure (result 0, empty text, the download counted but not as
// successful), the "Download fails: " warning with the response's reason
// phrase and the system's text for the error, the downloader's own warning
// where it has one, and no crash. A page that is not UTF-8 is no failure: it
// arrives with U+FFFD in place of what cannot be read.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "http/HttpDownloaderBase.h"
#include "platform/CodePage.h"
#include "platform/HttpError.h"
#include "plugin/Mivo.h"
#include "tests/support/DownloadStatistics.h"
#include "tests/support/LogCapture.h"
#include "tests/support/RawServer.h"
#include "tests/support/RecordingHost.h"

namespace {

using testsupport::RawServer;
using testsupport::RecordingHost;
using testsupport::StatisticsOf;

constexpr size_t kCap = CHttpDownloaderBase::MAX_BODY_BYTES;

// Answers each path with one kind of misbehaviour.
void MisbehavingScript(RawServer& server, testsupport::SocketHandle fd, const std::string& head) {
    const std::string path = RawServer::PathOf(head);
    if (path == "/reset") {
        RawServer::Send(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 100000\r\n\r\n");
        RawServer::Send(fd, std::string(20000, 'r'));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        RawServer::ResetOnClose(fd);
    } else if (path == "/short") {
        RawServer::Send(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 1000\r\n\r\n" +
                                std::string(500, 's'));
    } else if (path == "/garbage") {
        RawServer::Send(fd, "SOMETHING ELSE ENTIRELY\r\n\r\n<html>no status line</html>");
    } else if (path == "/bad-status") {
        RawServer::Send(fd, "HTTP/1.1 2x0 Broken\r\nContent-Length: 2\r\n\r\nok");
    } else if (path == "/loop") {
        RawServer::Send(fd, "HTTP/1.1 302 Found\r\nLocation: /loop\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    } else if (path == "/announced-over-cap") {
        RawServer::Send(fd, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kCap + 1) + "\r\n\r\n" +
                                std::string(1000, 'z'));
        server.Hold(std::chrono::seconds(5));
    } else if (path == "/endless") {
        // No length announced: the body only ends when the reader gives up.
        RawServer::Send(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n");
        const std::string block(1 << 20, 'e');
        for (size_t sent = 0; sent <= kCap + block.size(); sent += block.size())
            if (!RawServer::Send(fd, block)) break;
    } else if (path == "/latin1") {
        const std::string body("Caf\xe9 \xff\xfe<b>\xc3(</b>\0tail", 21);
        RawServer::Send(fd, RawServer::Reply("200 OK", body, "Content-Type: text/html; charset=iso-8859-1\r\n"));
    } else if (path == "/utf16") {
        const std::string body("\xff\xfe<\0h\0>\0", 8);
        RawServer::Send(fd, RawServer::Reply("200 OK", body));
    } else if (path == "/silent") {
        server.Hold(std::chrono::seconds(10));
    } else {
        RawServer::Send(fd, RawServer::Reply("404 Not Found", ""));
    }
}

class NetworkFaultsTest : public ::testing::Test {
protected:
    NetworkFaultsTest()
        : server([this](testsupport::SocketHandle fd, const std::string& head) {
              MisbehavingScript(server, fd, head);
          }) {}
    void SetUp() override {
        ASSERT_NE(server.Port(), 0);
        mivo.SetHost(&host);
    }
    void TearDown() override { mivo.SetHost(nullptr); }

    RawServer server;
    RecordingHost host;
    CMivo mivo;
    LogCapture log;
};

struct FailureCase {
    const char* name;
    std::string url;
    const wchar_t* reasonPhrase;    // in the "Response: " part of the warning
    const wchar_t* downloaderLine;  // the downloader's own warning starts so; null for none
};

TEST_F(NetworkFaultsTest, EachFaultIsACleanCountedFailureWithItsWarnings) {
    const std::string refused = "127.0.0.1:" + std::to_string(testsupport::ClosedPort()) + "/page";
    const FailureCase cases[] = {
        {"connection refused", refused, L"", L"CHttpDownloaderBase::SendRequest - error=["},
        {"connection reset mid-body", server.Address("/reset"), L"OK",
         L"HttpDownloader::DownloadData WinHttpQueryDataAvailable error=["},
        {"body shorter than its Content-Length", server.Address("/short"), L"OK",
         L"HttpDownloader::DownloadData WinHttpQueryDataAvailable error=["},
        {"garbage status line", server.Address("/garbage"), L"", nullptr},
        {"status code that is not a number", server.Address("/bad-status"), L"", nullptr},
        {"redirect loop", server.Address("/loop"), L"", nullptr},
        {"announced length over the size cap", server.Address("/announced-over-cap"), L"OK",
         L"HttpDownloader::DownloadData OUT OF MEMORY"},
        {"endless body over the size cap", server.Address("/endless"), L"OK",
         L"HttpDownloader::DownloadData OUT OF MEMORY"},
    };
    for (const FailureCase& row : cases) {
        SCOPED_TRACE(row.name);
        log.Clear();
        const auto before = StatisticsOf(mivo);
        const CString url(platform::FromUtf8(row.url));
        CString text(L"stale");
        EXPECT_EQ(mivo.DownloadPage(url, text), 0);
        EXPECT_TRUE(text.IsEmpty());
        const auto after = StatisticsOf(mivo);
        EXPECT_EQ(after.downloads, before.downloads + 1) << "the download is counted";
        EXPECT_EQ(after.successful, before.successful) << "but not as successful";

        const std::vector<std::wstring> warnings = log.Texts(L"WRN");
        const std::wstring expected =
            L"Download fails: " + url.str() + L", Proxy: , Response: " + row.reasonPhrase + L", Error:";
        ASSERT_FALSE(warnings.empty());
        const std::wstring& fails = warnings.back();
        EXPECT_EQ(fails.substr(0, expected.size()), expected) << platform::ToUtf8(fails);
        EXPECT_GT(fails.size(), expected.size()) << "the system's text for the error follows";
        if (row.downloaderLine) {
            ASSERT_EQ(warnings.size(), 2u);
            EXPECT_EQ(warnings[0].rfind(row.downloaderLine, 0), 0u) << platform::ToUtf8(warnings[0]);
        } else {
            EXPECT_EQ(warnings.size(), 1u);
        }
        EXPECT_TRUE(log.Texts(L"ERR").empty());
    }
}

TEST_F(NetworkFaultsTest, ServerThatNeverAnswersFailsAfterTheExplicitTimeout) {
    CHttpDownloaderBase downloader("", std::wstring());
    downloader.m_dwTimeout = 300;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(downloader.Download(server.Address("/silent")));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(downloader.m_dwLastError, platform::kHttpErrorTimeout);
    EXPECT_EQ(downloader.m_dwStatusCode, 0u);
    EXPECT_TRUE(downloader.m_strData.empty());
    // Far below the 30 s default: the explicit timeout is what ended the wait.
    EXPECT_LT(waited, std::chrono::seconds(15));
    EXPECT_TRUE(log.Texts(L"WRN").empty()) << "a response that never comes has no warning of the downloader's own";
    server.Release();
}

TEST_F(NetworkFaultsTest, PagesThatAreNotUtf8ArriveWithReplacementCharacters) {
    CString text;
    ASSERT_EQ(mivo.DownloadPage(platform::FromUtf8(server.Address("/latin1")), text), 1);
    // Each unreadable byte sequence stands as U+FFFD; the text ends at the zero byte.
    const std::wstring page = text.str();
    EXPECT_EQ(page.substr(0, 4), L"Caf\uFFFD");
    EXPECT_NE(page.find(L"<b>\uFFFD(</b>"), std::wstring::npos);
    EXPECT_EQ(page.find(L"tail"), std::wstring::npos);
    EXPECT_EQ(page.find(L'\0'), std::wstring::npos);

    ASSERT_EQ(mivo.DownloadPage(platform::FromUtf8(server.Address("/utf16")), text), 1);
    EXPECT_EQ(text.str().find(L'h'), std::wstring::npos) << "UTF-16 text ends at its first zero byte";
    EXPECT_EQ(StatisticsOf(mivo).successful, 2);
    EXPECT_TRUE(log.Texts(L"WRN").empty());
    EXPECT_TRUE(log.Texts(L"ERR").empty());
}

}  // namespace
