// The host's cover download against real servers on 127.0.0.1: the local
// catalogue (directly and as the proxy for its site), test servers for the
// answers a cover must not be taken from, and a server that never ends.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include "host/tag/CoverDownload.h"
#include "tests/support/CatalogueProcess.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/RawServer.h"
#include "tests/support/Watchdog.h"

namespace mivo_host {
namespace {

using testsupport::ClosedPort;
using testsupport::RawServer;

const std::string kCoverPath = "/images/cover/distant-horizon-mw0001126.jpg";
const std::string kCoverUrl = "http://www.catalogue.example" + kCoverPath;
const std::string kJpegStart = "\xFF\xD8\xFF\xE0";

std::string Text(const std::vector<unsigned char>& bytes) { return std::string(bytes.begin(), bytes.end()); }

class CoverDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(catalogue.Started());
        server.Serve("/cover.jpg", kJpegStart + "picture", "image/jpeg");
        // The blank travels as %20.
        server.Serve("/a(%20| )cover\\.jpg", kJpegStart + "blank", "image/jpeg");
        server.Serve("/page.jpg", "<html>no picture</html>", "text/html");
        server.Serve("/empty.jpg", "", "image/jpeg");
        auto redirectTo = [](std::string to) {
            return [to](const testsupport::Request&, testsupport::Response& res) { res.SetRedirect(to); };
        };
        server.Get("/moved.jpg", redirectTo("/cover.jpg"));
        server.Get("/loop.jpg", redirectTo("/loop.jpg"));
        server.Get("/away.jpg", redirectTo("file:///etc/hostname"));
        server.Start();
    }
    std::string Local(const std::string& path) const { return "http://" + server.Address(path); }

    testsupport::CatalogueProcess catalogue{MIVO_CATALOGUE_PATH, {"--data", MIVO_CATALOGUE_DATA}};
    testsupport::LoopbackServer server;
};

// Proxy settings of the environment change nothing: without a proxy the
// download goes direct, with one every host goes through it.
TEST_F(CoverDownloadTest, ACoverComesDirectOrThroughTheNamedProxyOnly) {
    const std::string dead = "http://127.0.0.1:" + std::to_string(ClosedPort());
    const char* names[] = {"http_proxy", "HTTP_PROXY", "https_proxy", "all_proxy", "ALL_PROXY"};
    for (const char* name : names) setenv(name, dead.c_str(), 1);
    setenv("no_proxy", "*", 1);
    const CoverImage throughProxy = DownloadCover(kCoverUrl, catalogue.Address(), nullptr);
    const CoverImage direct = DownloadCover("http://" + catalogue.Address() + kCoverPath, "", nullptr);
    const CoverImage redirected = DownloadCover(Local("/moved.jpg"), "", nullptr);
    const CoverImage withBlank = DownloadCover(Local("/a cover.jpg"), "", nullptr);
    for (const char* name : names) unsetenv(name);
    unsetenv("no_proxy");

    ASSERT_TRUE(throughProxy.Ok()) << throughProxy.error;
    ASSERT_TRUE(direct.Ok()) << direct.error;
    ASSERT_TRUE(redirected.Ok()) << redirected.error;
    EXPECT_EQ(Text(throughProxy.jpeg).substr(0, 3), kJpegStart.substr(0, 3));
    EXPECT_EQ(throughProxy.jpeg, direct.jpeg);
    EXPECT_EQ(Text(redirected.jpeg), kJpegStart + "picture");
    EXPECT_EQ(Text(withBlank.jpeg), kJpegStart + "blank") << withBlank.error;
}

TEST_F(CoverDownloadTest, OnlyA200JpegIsACover) {
    RawServer huge([](int fd, const std::string&) {
        RawServer::Send(fd, "HTTP/1.1 200 OK\r\nContent-Length: 104857600\r\n\r\n" + kJpegStart);
    });
    const int closed = ClosedPort();
    const std::string closedAt = "127.0.0.1:" + std::to_string(closed);
    struct Row {
        const char* name;
        std::string url;
        std::string proxy;
        std::string error;
    };
    const Row rows[] = {
        {"unknown cover", "http://www.catalogue.example/images/cover/none.jpg", catalogue.Address(),
         "cover: HTTP 404 from http://www.catalogue.example/images/cover/none.jpg"},
        {"a page", Local("/page.jpg"), "", "cover: not a JPEG image"},
        {"empty", Local("/empty.jpg"), "", "cover: not a JPEG image"},
        {"announced too large", "http://" + huge.Address("/x.jpg"), "", "cover: larger than 16 MiB"},
        {"redirect loop", Local("/loop.jpg"), "", "cover: more than 5 redirects from " + Local("/loop.jpg")},
        {"redirect to a file", Local("/away.jpg"), "",
         "cover: " + Local("/away.jpg") + " redirects to an address that is not http:// or https://"},
        {"other scheme", "file:///etc/hostname", "", "cover: not an http:// or https:// address: file:///etc/hostname"},
        {"line break in a 404", Local("/no\ncover.jpg"), "", "cover: HTTP 404 from " + Local("/no%0Acover.jpg")},
        {"no address", "", "", "cover: the album has no cover address"},
        {"refused", "http://" + closedAt + "/x.jpg", "",
         "cover: could not connect to " + closedAt + ": connection refused"},
        {"proxy refused", kCoverUrl, closedAt,
         "cover: could not connect to " + closedAt + " (proxy): connection refused"},
    };
    for (const Row& row : rows) {
        const CoverImage cover = DownloadCover(row.url, row.proxy, nullptr);
        EXPECT_EQ(cover.error, row.error) << row.name;
        EXPECT_TRUE(cover.jpeg.empty()) << row.name;
    }
}

// A body that goes on past the cap ends the download; the server is told so
// by the closed connection long before it has sent all it would.
TEST(CoverDownload, ABodyPastTheCapEndsTheDownload) {
    constexpr size_t kWouldSend = 8 * kMaxCoverBytes;
    std::atomic<size_t> sent{0};
    RawServer endless([&](int fd, const std::string&) {
        if (!RawServer::Send(fd, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + kJpegStart)) return;
        const std::string block(64 * 1024, 'x');
        while (sent < kWouldSend && RawServer::Send(fd, block)) sent += block.size();
    });
    const CoverImage cover = DownloadCover("http://" + endless.Address("/big.jpg"), "", nullptr);
    EXPECT_EQ(cover.error, "cover: larger than 16 MiB");
    EXPECT_TRUE(cover.jpeg.empty());
    EXPECT_LT(sent, kWouldSend);
}

std::atomic<bool> g_stop{false};
bool StopAsked() { return g_stop; }

// A stop request ends a download whose server has gone silent.
TEST(CoverDownload, AStopRequestEndsASilentDownload) {
    RawServer silent([&](int fd, const std::string&) {
        RawServer::Send(fd, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + kJpegStart);
        g_stop = true;
        silent.Hold(std::chrono::seconds(60));
    });
    testsupport::Watchdog watchdog(std::chrono::seconds(20), [&] { silent.Release(); });
    const std::string url = "http://" + silent.Address("/slow.jpg");
    const CoverImage cover = DownloadCover(url, "", &StopAsked);
    g_stop = false;
    EXPECT_EQ(cover.error, "cover: stopped before " + url + " had arrived");
    EXPECT_FALSE(watchdog.Fired());
}

// A server that sends a byte now and then, fast enough for the low-speed
// check, is still cut off once the download's whole time is up.
TEST(CoverDownload, ATricklingServerIsCutOffWhenTheTimeIsUp) {
    RawServer trickling([&](int fd, const std::string&) {
        if (!RawServer::Send(fd, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + kJpegStart)) return;
        for (int i = 0; i < 1000 && RawServer::Send(fd, "x"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
    });
    const std::string url = "http://" + trickling.Address("/slow.jpg");
    const CoverImage cover = DownloadCover(url, "", nullptr, 1);
    EXPECT_EQ(cover.error, "cover: the download of " + url + " took longer than 1 s");
    EXPECT_TRUE(cover.jpeg.empty());
}

}  // namespace
}  // namespace mivo_host
