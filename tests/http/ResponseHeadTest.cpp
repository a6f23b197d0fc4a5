// When the downloader's response step is over: as soon as the head of the
// final response is complete, before any body byte. A raw loopback server
// sends each head and then holds the connection, so a step that waited for the
// body would run into the receive timeout instead.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "http/HttpDownloaderBase.h"
#include "platform/CodePage.h"
#include "platform/HttpError.h"
#include "tests/support/LogCapture.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/RawServer.h"
#include "tests/support/WithPrefix.h"

using testsupport::RawServer;
using testsupport::WithPrefix;

namespace {

constexpr uint32_t kUntouched = 4242;  // last error before the download

// Sends the head (and the start of a body) chosen by the path, then holds.
void HeadThenStall(RawServer& server, testsupport::SocketHandle fd, const std::string& head) {
    const std::string path = RawServer::PathOf(head);
    std::string reply;
    if (path == "/not-found") {
        reply = "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\nContent-Length: 100\r\n\r\n";
    } else if (path == "/ok") {
        reply = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 100\r\n\r\n";
    } else if (path == "/no-location") {
        reply = "HTTP/1.1 300 Multiple Choices\r\nContent-Length: 100\r\n\r\n";
    } else if (path == "/empty-location") {
        reply = "HTTP/1.1 302 Found\r\nLocation:  \r\nContent-Length: 100\r\n\r\n";
    } else if (path == "/other-scheme") {
        reply = "HTTP/1.1 302 Found\r\nLocation: ftp://127.0.0.1/file\r\nContent-Length: 100\r\n\r\n";
    } else if (path == "/interim") {
        reply = "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 503 Service Unavailable\r\nContent-Length: 100\r\n\r\n";
    } else if (path == "/redirect") {
        // Followed: only the response it leads to is final.
        RawServer::Send(fd, "HTTP/1.1 301 Moved Permanently\r\nlocation: /not-found\r\nContent-Length: 0\r\n"
                            "Connection: close\r\n\r\n");
        return;
    } else if (path.rfind("/hop/", 0) == 0) {
        // An endless chain: the eleventh redirect is refused by the client,
        // whose body never comes.
        const int n = std::stoi(path.substr(5));
        reply = "HTTP/1.1 302 Found\r\nLocation: /hop/" + std::to_string(n + 1) + "\r\n";
        if (n < 10) {
            RawServer::Send(fd, reply + "Content-Length: 0\r\nConnection: close\r\n\r\n");
            return;
        }
        reply += "Content-Length: 100\r\n\r\n";
    } else {
        reply = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n";
    }
    RawServer::Send(fd, reply);
    server.Hold(std::chrono::seconds(20));
}

struct Row {
    const char* path;
    bool ok;
    uint32_t status;
    const wchar_t* statusText;
    uint32_t lastError;
    std::vector<std::wstring> warnings;  // the downloader's own
};

TEST(ResponseHeadTest, TheResponseStepEndsWithTheFinalHead) {
    platform::SetThreadAnsiCodePage(65001);
    RawServer server([&server](testsupport::SocketHandle fd, const std::string& head) {
        HeadThenStall(server, fd, head);
    });
    ASSERT_NE(server.Port(), 0);
    const std::wstring timeoutWarning = L"HttpDownloader::DownloadData WinHttpQueryDataAvailable error=[" +
                                        std::to_wstring(platform::kHttpErrorTimeout) + L"]";
    const Row rows[] = {
        // A failing status ends the download without reading the body.
        {"/not-found", false, 404, L"Not Found", kUntouched, {}},
        // A body that stalls is the body loop's failure, with the status known.
        {"/ok", false, 200, L"OK", platform::kHttpErrorTimeout, {timeoutWarning}},
        {"/no-location", false, 300, L"Multiple Choices", kUntouched, {}},
        {"/empty-location", false, 302, L"Found", kUntouched, {}},
        {"/other-scheme", false, 302, L"Found", kUntouched, {}},
        {"/interim", false, 503, L"Service Unavailable", kUntouched, {}},
        {"/redirect", false, 404, L"Not Found", kUntouched, {}},
        {"/hop/0", false, 0, L"", platform::kHttpErrorRedirectFailed, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        LogCapture log;
        CHttpDownloaderBase downloader("", std::wstring());
        // Far longer than a test may wait, unless the step waits for the body.
        downloader.m_dwTimeout = 400;
        downloader.m_dwLastError = kUntouched;
        EXPECT_EQ(downloader.Download(server.Address(row.path)), row.ok);
        EXPECT_EQ(downloader.m_dwStatusCode, row.status);
        EXPECT_EQ(downloader.m_strStatusText.str(), row.statusText);
        EXPECT_EQ(downloader.m_dwLastError, row.lastError);
        EXPECT_EQ(downloader.m_strData, "");
        EXPECT_EQ(WithPrefix(log.Texts(L"WRN"), L""), row.warnings);
    }
    server.Release();
    platform::SetThreadAnsiCodePage(0);
}

// A response head beyond the size limit fails the response step with the
// header-size code, whether it is made of many lines or one long line; a
// large head within the limit is read.
TEST(ResponseHeadTest, OversizedHeadsFailWithTheHeaderSizeCode) {
    platform::SetThreadAnsiCodePage(65001);
    RawServer server([](testsupport::SocketHandle fd, const std::string& head) {
        const std::string path = RawServer::PathOf(head);
        auto filler = [](int lines) {
            std::string text;
            for (int i = 0; i < lines; ++i)
                text += "X-Filler-" + std::to_string(i) + ": " + std::string(40, 'f') + "\r\n";
            return text;
        };
        std::string reply = "HTTP/1.1 200 OK\r\n";
        if (path == "/large") reply += filler(1500);        // about 80 KB
        else if (path == "/over") reply += filler(7000);    // about 400 KB
        else if (path == "/flood") reply += filler(30000);  // about 1.7 MB
        else if (path == "/long-line") reply += "X-Long: " + std::string(200 * 1024, 'l') + "\r\n";
        RawServer::Send(fd, reply + "Content-Length: 2\r\nConnection: close\r\n\r\nok");
    });
    ASSERT_NE(server.Port(), 0);
    const struct {
        const char* path;
        bool ok;
        uint32_t lastError;
    } rows[] = {
        {"/large", true, kUntouched},
        {"/over", false, platform::kHttpErrorHeaderSizeOverflow},
        {"/flood", false, platform::kHttpErrorHeaderSizeOverflow},
        {"/long-line", false, platform::kHttpErrorHeaderSizeOverflow},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        LogCapture log;
        CHttpDownloaderBase downloader("", std::wstring());
        downloader.m_dwLastError = kUntouched;
        EXPECT_EQ(downloader.Download(server.Address(row.path)), row.ok);
        EXPECT_EQ(downloader.m_dwLastError, row.lastError);
        EXPECT_EQ(downloader.m_strData, row.ok ? "ok" : "");
        EXPECT_TRUE(log.Texts(L"WRN").empty());
    }
    platform::SetThreadAnsiCodePage(0);
}

}  // namespace
