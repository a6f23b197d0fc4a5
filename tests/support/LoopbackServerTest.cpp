// The tests' own HTTP server, asked over a raw loopback socket: what it puts
// on the wire for each kind of answer, and what it records of a request.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/LoopbackServer.h"
#include "tests/support/LoopbackSocket.h"

using testsupport::LoopbackServer;

namespace {

// Sends request to port and reads until the server closes the connection.
std::string Exchange(int port, const std::string& request) {
    const testsupport::SocketHandle socket = testsupport::OpenTcpSocket();
    std::string reply;
    if (testsupport::ConnectLoopback(socket, port) && testsupport::RawServer::Send(socket, request)) {
        char buffer[4096];
        while (testsupport::WaitReadable(socket, 5000)) {
            const long n = testsupport::ReceiveSome(socket, buffer, sizeof buffer);
            if (n <= 0) break;
            reply.append(buffer, static_cast<size_t>(n));
        }
    }
    testsupport::CloseSocket(socket);
    return reply;
}

TEST(LoopbackServerTest, AnswersOnTheWire) {
    LoopbackServer server;
    server.Serve("/plain", "body", "text/plain");
    server.Get(R"(/item/(\d+))", [](const testsupport::Request& req, testsupport::Response& res) {
        res.SetContent("item " + std::string(req.matches[1]), "text/plain");
    });
    server.Get("/moved", [](const testsupport::Request&, testsupport::Response& res) { res.SetRedirect("/plain"); });
    server.Get("/chunked", [](const testsupport::Request&, testsupport::Response& res) {
        res.Stream(std::nullopt, "text/plain",
                   [](testsupport::BodySink& sink) { return sink.Write("ab") && sink.Write("cde"); });
    });
    server.Get("/cut", [](const testsupport::Request&, testsupport::Response& res) {
        res.Stream(10, "text/plain", [](testsupport::BodySink& sink) {
            sink.Write("12345");
            return false;
        });
    });
    ASSERT_TRUE(server.Start());
    const struct {
        const char* request;
        const char* reply;
    } rows[] = {
        {"GET /plain HTTP/1.1\r\nHost: x\r\n\r\n",
         "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 4\r\nConnection: close\r\n\r\nbody"},
        {"GET /item/42?q=1 HTTP/1.1\r\n\r\n",
         "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 7\r\nConnection: close\r\n\r\nitem 42"},
        {"GET /moved HTTP/1.1\r\n\r\n",
         "HTTP/1.1 302 Found\r\nLocation: /plain\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"},
        {"GET /chunked HTTP/1.1\r\n\r\n",
         "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
         "2\r\nab\r\n3\r\ncde\r\n0\r\n\r\n"},
        {"GET /cut HTTP/1.1\r\n\r\n",
         "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 10\r\nConnection: close\r\n\r\n12345"},
        {"GET /none HTTP/1.1\r\n\r\n", "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"},
        {"POST /plain HTTP/1.1\r\n\r\n", "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"},
        {"garbage\r\n\r\n", "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"},
    };
    for (const auto& row : rows) EXPECT_EQ(Exchange(server.Port(), row.request), row.reply) << row.request;
}

TEST(LoopbackServerTest, RecordsTargetsAndHeadersAsReceived) {
    LoopbackServer server;
    server.Serve(".*", "ok");
    ASSERT_TRUE(server.Start());
    Exchange(server.Port(), "GET http://www.catalogue.example/a%20b?x=1 HTTP/1.1\r\nHost: www.catalogue.example\r\n"
                            "cookie: a=1\r\nX-Twice: one\r\nX-Twice:  two \r\n\r\n");
    const auto seen = server.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].method, "GET");
    EXPECT_EQ(seen[0].target, "http://www.catalogue.example/a%20b?x=1");
    EXPECT_EQ(seen[0].Header("Cookie"), "a=1");  // names in any letter case
    EXPECT_EQ(seen[0].HeaderCount("X-Twice"), 2u);
    EXPECT_EQ(seen[0].HeaderCount("Accept"), 0u);
}

}  // namespace
