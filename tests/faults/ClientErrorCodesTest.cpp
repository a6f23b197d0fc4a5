// Every way a transfer of the HTTP client layer can end that a loopback
// server (or a missing one) can provoke: the code it ends with, and the text
// that code logs, which must name the cause and no other (a reply that is not
// HTTP is no redirect). One request per row, read to its end as the
// downloader reads it.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/CodePage.h"
#include "platform/HttpClient.h"
#include "platform/System.h"
#include "tests/faults/GzipZeros.h"
#include "tests/support/RawServer.h"

namespace {

using testsupport::RawServer;
using namespace platform;

void ErrorScript(RawServer& server, testsupport::SocketHandle fd, const std::string& head) {
    const std::string path = RawServer::PathOf(head);
    const std::string ok = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";
    if (path == "/http09") {
        RawServer::Send(fd, "<html>no status line</html>\r\n");
    } else if (path == "/http1-minor-9") {
        RawServer::Send(fd, "HTTP/1.9 200 OK\r\nContent-Length: 2\r\n\r\nok");
    } else if (path == "/redirect-to-http09") {
        RawServer::Send(fd, "HTTP/1.1 302 Found\r\nLocation: /http09\r\nContent-Length: 0\r\n"
                            "Connection: close\r\n\r\n");
    } else if (path == "/status-not-a-number") {
        RawServer::Send(fd, "HTTP/1.1 2x0 Broken\r\nContent-Length: 2\r\n\r\nok");
    } else if (path == "/empty-reply") {
        // Closed without a byte.
    } else if (path == "/short-body") {
        RawServer::Send(fd, ok + "Content-Length: 1000\r\n\r\n" + std::string(500, 's'));
    } else if (path == "/reset") {
        RawServer::Send(fd, ok + "Content-Length: 100000\r\n\r\n" + std::string(20000, 'r'));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        RawServer::ResetOnClose(fd);
    } else if (path == "/bad-chunk") {
        RawServer::Send(fd,
                        ok + "Transfer-Encoding: chunked\r\n\r\n" + RawServer::Chunk("fine") + "zz\r\nnot a chunk\r\n");
    } else if (path == "/bad-gzip") {
        RawServer::Send(fd, ok + "Transfer-Encoding: gzip\r\nConnection: close\r\n\r\nthis is not gzip at all");
    } else if (path == "/unknown-coding") {
        RawServer::Send(fd, ok + "Transfer-Encoding: frobnicate\r\nConnection: close\r\n\r\nbody");
    } else if (path == "/redirect-loop") {
        RawServer::Send(fd, "HTTP/1.1 302 Found\r\nLocation: /redirect-loop\r\nContent-Length: 0\r\n"
                            "Connection: close\r\n\r\n");
    } else if (path == "/huge-head") {
        std::string reply = ok;
        for (int i = 0; i < 8000; ++i) reply += "X-Filler-" + std::to_string(i) + ": abcdefghijklmnopqrstuvwxyz\r\n";
        RawServer::Send(fd, reply + "Content-Length: 0\r\n\r\n");
    } else if (path == "/trailer-flood") {
        std::string trailers;
        for (int i = 0; i < 8000; ++i)
            trailers += "X-Trailer-" + std::to_string(i) + ": abcdefghijklmnopqrstuvwxyz\r\n";
        RawServer::Send(fd, ok + "Transfer-Encoding: chunked\r\n\r\n" + RawServer::Chunk("tiny") + "0\r\n" + trailers +
                                "\r\n");
    } else if (path == "/over-limit") {
        RawServer::Send(fd, ok + "Connection: close\r\n\r\n" + std::string(3 << 20, 'x'));
    } else if (path == "/inflates-over-limit") {
        RawServer::Send(fd, ok + "Transfer-Encoding: gzip\r\nConnection: close\r\n\r\n" + faults::GzipOfZeros(4));
    } else if (path == "/silent") {
        server.Hold(std::chrono::seconds(10));
    } else if (path == "/redirect-to-ftp") {
        RawServer::Send(fd, "HTTP/1.1 302 Found\r\nLocation: ftp://127.0.0.1/file\r\nContent-Length: 0\r\n\r\n");
    } else {
        RawServer::Send(fd, RawServer::Reply("200 OK", "ok", "Content-Type: text/html\r\n"));
    }
}

// One GET of target through proxy (empty: direct) to 127.0.0.1:port, with a
// 1 MiB body limit and a short receive timeout; the first error on the way,
// the body read to its end included.
uint32_t Fetch(const std::string& proxy, int port, const std::string& target) {
    HttpSession session("errors-test", proxy);
    uint32_t error = session.OpenError();
    if (error != 0) return error;
    std::unique_ptr<HttpConnection> connection = session.Connect("127.0.0.1", port, error);
    if (!connection) return error;
    std::unique_ptr<HttpRequest> request = connection->OpenRequest("GET", target, "", false, error);
    if (!request) return error;
    request->SetBodyLimit(1 << 20);
    request->SetTimeouts(HttpTimeouts{5000, 500});
    if ((error = request->Send("")) != 0) return error;
    if ((error = request->ReceiveResponse()) != 0) return error;
    std::vector<char> buffer;
    for (;;) {
        size_t available = 0;
        if ((error = request->QueryDataAvailable(available)) != 0 || available == 0) return error;
        buffer.resize(available);
        size_t read = 0;
        request->ReadData(buffer.data(), available, read);
    }
}

struct ErrorCase {
    const char* name;
    const char* path;
    uint32_t code;
    const wchar_t* textPart;  // in the text the code logs
};

TEST(ClientErrorCodesTest, EachEndingGivesTheCodeAndTextOfItsCause) {
    RawServer server([&server](testsupport::SocketHandle fd, const std::string& head) {
        ErrorScript(server, fd, head);
    });
    ASSERT_NE(server.Port(), 0);
    const ErrorCase cases[] = {
        {"HTTP/0.9 reply", "/http09", kHttpErrorInvalidServerResponse, L"could not be parsed"},
        {"unknown HTTP/1 minor version", "/http1-minor-9", kHttpErrorInvalidServerResponse, L"could not be parsed"},
        {"HTTP/0.9 reply behind a redirect", "/redirect-to-http09", kHttpErrorInvalidServerResponse,
         L"could not be parsed"},
        {"status code that is not a number", "/status-not-a-number", kHttpErrorInvalidServerResponse,
         L"could not be parsed"},
        {"connection closed without a reply", "/empty-reply", kHttpErrorInvalidServerResponse, L"could not be parsed"},
        {"malformed chunk", "/bad-chunk", kHttpErrorInvalidServerResponse, L"could not be parsed"},
        {"gzip transfer coding that is not gzip", "/bad-gzip", kHttpErrorInvalidServerResponse, L"could not be parsed"},
        {"unknown transfer coding", "/unknown-coding", kHttpErrorInvalidServerResponse, L"could not be parsed"},
        {"body shorter than announced", "/short-body", kHttpErrorConnectionError, L"terminated abnormally"},
        {"connection reset mid-body", "/reset", kHttpErrorConnectionError, L"terminated abnormally"},
        {"redirect loop", "/redirect-loop", kHttpErrorRedirectFailed, L"redirect limit"},
        {"response head over the limit", "/huge-head", kHttpErrorHeaderSizeOverflow, L"headers"},
        {"trailer over the head limit", "/trailer-flood", kHttpErrorHeaderSizeOverflow, L"headers"},
        {"body over the reader's limit", "/over-limit", kHttpErrorResponseTooLarge, L"larger than the size limit"},
        {"body inflating over the reader's limit", "/inflates-over-limit", kHttpErrorResponseTooLarge,
         L"larger than the size limit"},
        {"no answer within the receive timeout", "/silent", kHttpErrorTimeout, L"timed out"},
        {"redirect to a scheme not followed is the final response", "/redirect-to-ftp", kHttpErrorNone, L""},
    };
    for (const ErrorCase& row : cases) {
        SCOPED_TRACE(row.name);
        const uint32_t code = Fetch("", server.Port(), row.path);
        EXPECT_EQ(code, row.code);
        if (row.code == kHttpErrorNone) continue;
        const std::wstring text = SystemErrorText(code);
        EXPECT_NE(text.find(row.textPart), std::wstring::npos) << ToUtf8(text);
        if (row.code != kHttpErrorRedirectFailed) {
            EXPECT_EQ(text.find(L"redirect"), std::wstring::npos) << ToUtf8(text);
        }
    }
    server.Release();
}

TEST(ClientErrorCodesTest, ProxyFailuresNameTheProxy) {
    const int closed = testsupport::ClosedPort();
    struct Row {
        const char* name;
        std::string proxy;
        uint32_t code;
    } rows[] = {
        {"proxy that is not host:port", "no proxy here!", kHttpErrorInvalidOption},
        {"proxy on which nothing listens", "127.0.0.1:" + std::to_string(closed), kHttpErrorCannotConnect},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Fetch(row.proxy, closed, "/page"), row.code);
    }
    EXPECT_EQ(Fetch("", closed, "/page"), kHttpErrorCannotConnect) << "direct, nothing listens";
}

}  // namespace
