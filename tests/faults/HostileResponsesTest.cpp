// Responses built to exhaust the reader's memory, and replies that are not
// HTTP at all, through the page download over loopback. Each must end in a
// clean failure with the warnings that name its cause, and a flood must end
// the moment it passes its bound: the server streams without end and notes
// whether the reader hung up before it ran out of material.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "http/HttpDownloaderBase.h"
#include "platform/CodePage.h"
#include "plugin/Mivo.h"
#include "tests/faults/GzipZeros.h"
#include "tests/support/LogCapture.h"
#include "tests/support/RawServer.h"
#include "tests/support/RecordingHost.h"

namespace {

using testsupport::RawServer;
using testsupport::RecordingHost;

constexpr size_t kCap = CHttpDownloaderBase::MAX_BODY_BYTES;

// What a streaming answer got out before the reader hung up.
struct Flood {
    std::atomic<size_t> sent{0};
    std::atomic<bool> cutOff{false};  // the reader closed before the material ran out
};

// Sends head, then block again and again, until budget bytes of blocks went
// out or the reader hung up.
void Stream(testsupport::SocketHandle fd, Flood& flood, const std::string& head, const std::string& block,
            size_t budget) {
    if (!RawServer::Send(fd, head)) {
        flood.cutOff = true;
        return;
    }
    for (size_t sent = 0; sent < budget; sent += block.size()) {
        if (!RawServer::Send(fd, block)) {
            flood.cutOff = true;
            return;
        }
        flood.sent += block.size();
    }
}

struct HostileCase {
    const char* name;
    const char* path;
    const wchar_t* reasonPhrase;    // in the "Response: " part of the failure line
    const wchar_t* downloaderLine;  // the downloader's own warning; null for none
    const wchar_t* errorText;       // the cause the failure line names; null when no client call failed
    bool flood;                     // the server streams until the reader hangs up
};

void HostileScript(Flood& flood, testsupport::SocketHandle fd, const std::string& head) {
    static const faults::GzipZeros zeros = faults::MakeGzipZeros();
    const std::string path = RawServer::PathOf(head);
    // 64 GiB of zeros once inflated; the bound is met after some 64 KB.
    const size_t gzipBudget = 64u << 20;
    if (path == "/gzip-transfer") {
        Stream(fd, flood,
               "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nTransfer-Encoding: gzip\r\nConnection: close\r\n\r\n" +
                   zeros.opening,
               zeros.block, gzipBudget);
    } else if (path == "/gzip-chunked-transfer") {
        Stream(fd, flood,
               "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nTransfer-Encoding: gzip, chunked\r\n\r\n" +
                   RawServer::Chunk(zeros.opening),
               RawServer::Chunk(zeros.block), gzipBudget);
    } else if (path == "/gzip-content") {
        // Not inflated, since no content coding was asked for: the raw bytes
        // alone pass the cap.
        Stream(fd, flood,
               "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Encoding: gzip\r\nConnection: close\r\n\r\n" +
                   zeros.opening,
               zeros.block, 2 * kCap + (16u << 20));
    } else if (path == "/trailer-flood") {
        std::string lines;
        for (int i = 0; i < 4096; ++i) lines += "X-Flood: " + std::to_string(i) + " flood flood flood\r\n";
        Stream(fd, flood,
               "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nTransfer-Encoding: chunked\r\n\r\n" +
                   RawServer::Chunk("<html>tiny</html>") + "0\r\n",
               lines, 256u << 20);
    } else if (path == "/http09") {
        RawServer::Send(fd, "<html><body>a page without any status line</body></html>\r\n");
    } else {
        RawServer::Send(fd, RawServer::Reply("404 Not Found", ""));
    }
}

TEST(HostileResponsesTest, EachEndsInACleanFailureThatNamesItsCause) {
    const HostileCase cases[] = {
        {"gzip transfer coding inflating past the cap", "/gzip-transfer", L"OK",
         L"HttpDownloader::DownloadData OUT OF MEMORY", nullptr, true},
        {"gzip and chunked transfer codings inflating past the cap", "/gzip-chunked-transfer", L"OK",
         L"HttpDownloader::DownloadData OUT OF MEMORY", nullptr, true},
        {"gzip content coding without end", "/gzip-content", L"OK", L"HttpDownloader::DownloadData OUT OF MEMORY",
         nullptr, true},
        {"trailer lines without end after a chunked body", "/trailer-flood", L"OK",
         L"HttpDownloader::DownloadData WinHttpQueryDataAvailable error=[12182]",
         L"The headers of the server's response exceed the size limit.", true},
        {"HTTP/0.9 reply", "/http09", L"", nullptr, L"The server response could not be parsed.", false},
    };
    LogCapture log;
    RecordingHost host;
    for (const HostileCase& row : cases) {
        SCOPED_TRACE(row.name);
        log.Clear();
        Flood flood;
        CString url;
        {
            RawServer server([&flood](testsupport::SocketHandle fd, const std::string& head) {
                HostileScript(flood, fd, head);
            });
            ASSERT_NE(server.Port(), 0);
            CMivo mivo;
            mivo.SetHost(&host);
            url = CString(platform::FromUtf8(server.Address(row.path)));
            CString text(L"stale");
            EXPECT_EQ(mivo.DownloadPage(url, text), 0);
            EXPECT_TRUE(text.IsEmpty());
            mivo.SetHost(nullptr);
        }  // the server's scripts have returned
        if (row.flood) {
            EXPECT_TRUE(flood.cutOff) << "the reader took all " << flood.sent << " bytes instead of hanging up";
        }

        const std::vector<std::wstring> warnings = log.Texts(L"WRN");
        ASSERT_EQ(warnings.size(), row.downloaderLine ? 2u : 1u);
        if (row.downloaderLine) {
            EXPECT_EQ(warnings[0], row.downloaderLine);
        }
        const std::wstring fails = warnings.back();
        const std::wstring expected =
            L"Download fails: " + url.str() + L", Proxy: , Response: " + row.reasonPhrase + L", Error:";
        EXPECT_EQ(fails.rfind(expected, 0), 0u) << platform::ToUtf8(fails);
        if (row.errorText) {
            EXPECT_NE(fails.find(row.errorText, expected.size()), std::wstring::npos) << platform::ToUtf8(fails);
        }
        EXPECT_EQ(fails.find(L"redirect"), std::wstring::npos) << platform::ToUtf8(fails);
        EXPECT_TRUE(log.Texts(L"ERR").empty());
    }
}

TEST(HostileResponsesTest, BodyExactlyAtTheCapStillArrivesWhenInflatedInTransit) {
    // 64 MiB of zeros once inflated: as much as the cap allows, not a byte more.
    const std::string gzip = faults::GzipOfZeros(static_cast<unsigned>(kCap >> 20));
    RawServer server([&gzip](testsupport::SocketHandle fd, const std::string&) {
        RawServer::Send(fd, "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\nConnection: close\r\n\r\n" + gzip);
    });
    ASSERT_NE(server.Port(), 0);
    CHttpDownloaderBase downloader("", std::wstring());
    ASSERT_TRUE(downloader.Download(server.Address("/at-cap")));
    EXPECT_EQ(downloader.m_strData.size(), kCap);
    EXPECT_EQ(downloader.m_strData.find_first_not_of('\0'), std::string::npos);
}

TEST(HostileResponsesTest, ContentCodingNotAskedForArrivesAsSent) {
    const std::string gzip = faults::GzipOfZeros(8);
    RawServer server([&gzip](testsupport::SocketHandle fd, const std::string&) {
        RawServer::Send(fd, "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: " +
                                std::to_string(gzip.size()) + "\r\n\r\n" + gzip);
    });
    ASSERT_NE(server.Port(), 0);
    CHttpDownloaderBase downloader("", std::wstring());
    ASSERT_TRUE(downloader.Download(server.Address("/packed")));
    EXPECT_EQ(downloader.m_strData, gzip);
}

}  // namespace
