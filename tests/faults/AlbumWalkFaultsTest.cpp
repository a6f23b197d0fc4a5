// A fault part-way through an album walk over loopback: the pages before the
// failing one keep their albums, the walk stops at the failing page with its
// "Download fails: " warning, and the result says whether anything was found.
// The site is reached through the host's proxy, as a real host reaches it.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "plugin/Mivo.h"
#include "search/ArtistUrlCache.h"
#include "tests/support/LogCapture.h"
#include "tests/support/RawServer.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempFolder.h"

namespace {

using testsupport::RawServer;
using testsupport::RecordingHost;

constexpr char kArtistPath[] = "/artist/quorin/albums";

// Page n of the artist: two album entries, then the next-page marker.
std::string ArtistPage(int n) {
    std::string page = "<html><body><h2>Quorin</h2>";
    for (int k = 1; k <= 2; ++k) {
        const std::string id = std::to_string(n) + "-" + std::to_string(k);
        page += "<h3 class=\"albumTitle\">\n <a href=\"/album/quorin-" + id + "\">' Album " + id + " '</a></h3>";
    }
    return page + "<a href=\"" + kArtistPath + "/page/" + std::to_string(n + 1) +
           "/\">Next Page&raquo;</a></body></html>";
}

std::string Response(const std::string& status, const std::string& body) {
    return RawServer::Reply(status, body, "Content-Type: text/html; charset=utf-8\r\n");
}

enum class Fault { Status500, ResetMidBody };

struct WalkCase {
    const char* name;
    int failingPage;
    Fault fault;
    const wchar_t* reasonPhrase;
};

TEST(AlbumWalkFaultsTest, PagesBeforeTheFailingOneKeepTheirAlbums) {
    const WalkCase cases[] = {
        {"500 on page 3", 3, Fault::Status500, L"Internal Server Error"},
        {"reset on page 2", 2, Fault::ResetMidBody, L"OK"},
        {"500 on page 1", 1, Fault::Status500, L"Internal Server Error"},
    };
    for (const WalkCase& row : cases) {
        SCOPED_TRACE(row.name);
        std::mutex mutex;
        std::vector<std::string> requested;
        RawServer server([&](testsupport::SocketHandle fd, const std::string& head) {
            const std::string path = RawServer::PathOf(head);
            {
                std::lock_guard<std::mutex> lock(mutex);
                requested.push_back(path);
            }
            int page = 0;
            if (path == kArtistPath) page = 1;
            else if (path.rfind(std::string(kArtistPath) + "/page/", 0) == 0)
                page = std::stoi(path.substr(std::string(kArtistPath).size() + 6));
            if (page == 0) {
                RawServer::Send(fd, Response("404 Not Found", ""));
            } else if (page != row.failingPage) {
                RawServer::Send(fd, Response("200 OK", ArtistPage(page)));
            } else if (row.fault == Fault::Status500) {
                RawServer::Send(fd, Response("500 Internal Server Error", ArtistPage(page)));
            } else {
                const std::string whole = Response("200 OK", ArtistPage(page));
                RawServer::Send(fd, whole.substr(0, whole.size() / 2));
                RawServer::ResetOnClose(fd);
            }
        });
        ASSERT_NE(server.Port(), 0);

        TempFolder cacheRoot;
        LogCapture log;
        CMivo mivo;
        RecordingHost host;
        host.proxy = platform::FromUtf8("127.0.0.1:" + std::to_string(server.Port()));
        mivo.SetHost(&host);
        const CString root(cacheRoot.Wide());
        ASSERT_EQ(mivo.Set(L"LocalCacheFolder", &root), 1);
        CString sourceId;
        ASSERT_EQ(mivo.Property(L"SourceId", &sourceId), 1);
        // The artist is known from an earlier run, so the walk starts at once.
        CArtistUrlCache earlierRun(root, L"mivo", sourceId);
        ASSERT_EQ(earlierRun.WriteArtistUrl(L"Quorin", L"www.catalogue.example/artist/quorin/albums"), 1);
        log.Clear();

        AlbumInfoList albums;
        albums.emplace_back(L"left over from an earlier call");
        const int result = mivo.FindArtistAlbumList(L"Quorin", albums);
        mivo.SetHost(nullptr);

        const int kept = 2 * (row.failingPage - 1);
        EXPECT_EQ(result, kept > 0 ? 1 : 0);
        ASSERT_EQ(albums.size(), static_cast<size_t>(kept));
        int index = 0;
        for (const AlbumInfo& album : albums) {
            const std::string id = std::to_string(index / 2 + 1) + "-" + std::to_string(index % 2 + 1);
            EXPECT_EQ(album.title, platform::FromUtf8("Album " + id));
            EXPECT_EQ(album.url, platform::FromUtf8("www.catalogue.example/album/quorin-" + id));
            EXPECT_EQ(album.artist, L"Quorin");
            ++index;
        }

        std::vector<std::string> expectedPaths{kArtistPath};
        for (int page = 2; page <= row.failingPage; ++page)
            expectedPaths.push_back(std::string(kArtistPath) + "/page/" + std::to_string(page) + "/");
        {
            std::lock_guard<std::mutex> lock(mutex);
            EXPECT_EQ(requested, expectedPaths) << "the walk stops at the failing page";
        }

        const std::wstring failingUrl = expectedPaths.size() == 1
                                            ? std::wstring(L"www.catalogue.example/artist/quorin/albums")
                                            : platform::FromUtf8("www.catalogue.example" + expectedPaths.back());
        const std::wstring expected = L"Download fails: " + failingUrl + L", Proxy: " + host.proxy.str() +
                                      L", Response: " + row.reasonPhrase + L", Error:";
        const std::vector<std::wstring> warnings = log.Texts(L"WRN");
        ASSERT_FALSE(warnings.empty());
        EXPECT_EQ(warnings.back().substr(0, expected.size()), expected) << platform::ToUtf8(warnings.back());

        int started = 0;
        int successful = 0;
        mivo.Property(L"StatisticDownloadCounter", &started);
        mivo.Property(L"StatisticSuccessfulDownloads", &successful);
        EXPECT_EQ(started, row.failingPage);
        EXPECT_EQ(successful, row.failingPage - 1);
    }
}

}  // namespace
