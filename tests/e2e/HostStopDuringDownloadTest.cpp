// Ctrl-C while the plug-in waits on a stalling web server: mivo, with the
// real plug-in, is sent SIGINT while its one download is held by a proxy that
// drips the page a byte every half second for a minute, or that answers
// nothing at all. The stop must end the download, and mivo must exit 130 with
// its output, long before the server would have let go. A watchdog kills a
// mivo that does not end, so a failure costs twenty seconds, not the drip.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <signal.h>

#include <atomic>
#include <chrono>
#include <string>

#include "HostProcess.h"
#include "tests/support/RawServer.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Watchdog.h"

namespace {

using Json = nlohmann::json;
using host_e2e::ProcessResult;
using std::chrono::milliseconds;

constexpr milliseconds kTick{500};
constexpr int kTicks = 120;  // a minute

enum class Stall { DripBody, Silence };

TEST(HostStopDuringDownload, CtrlCEndsAStalledDownloadAndMivoExits130) {
    const struct Row {
        const char* name;
        Stall stall;
    } rows[] = {
        {"a body that drips", Stall::DripBody},
        {"a server that says nothing", Stall::Silence},
    };
    for (const Row& row : rows) {
        TempFolder temp;
        std::atomic<int> ticks{0};
        std::atomic<int> requests{0};
        testsupport::RawServer server([&](testsupport::SocketHandle fd, const std::string&) {
            ++requests;
            if (row.stall == Stall::DripBody)
                testsupport::RawServer::Send(
                    fd, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 1000\r\n\r\n");
            for (int i = 0; i < kTicks; ++i) {
                if (row.stall == Stall::DripBody) {
                    if (!server.Drip(fd, "x", kTick)) break;
                } else {
                    server.Hold(kTick);
                }
                ++ticks;
            }
        });
        ASSERT_NE(server.Port(), 0);

        host_e2e::ChildProcess child(MIVO_HOST_PATH,
                                     {"--proxy", server.Address(""), "--delay", "0", "--json", "artist", "Korva"},
                                     temp.path());
        ASSERT_TRUE(child.Started()) << row.name;
        // About a second and a half into the download.
        ASSERT_TRUE(host_e2e::WaitFor([&] { return ticks >= 3; }, std::chrono::seconds(20))) << row.name;
        child.Signal(SIGINT);
        ProcessResult run;
        bool fired = false;
        {
            // Well inside the client's own 30 s receive timeout, which would end a silence anyway.
            testsupport::Watchdog watchdog(std::chrono::seconds(20), [&] { child.Signal(SIGKILL); });
            run = child.Wait();
            fired = watchdog.Fired();
        }
        server.Release();
        EXPECT_FALSE(fired) << row.name << ": mivo was still waiting for the download";
        EXPECT_EQ(run.exitCode, 130) << row.name << "\n" << run.err;
        EXPECT_NE(run.err.find("interrupted"), std::string::npos) << row.name << "\n" << run.err;
        EXPECT_EQ(requests.load(), 1) << row.name;
        const Json document = Json::parse(run.out, nullptr, false);
        ASSERT_FALSE(document.is_discarded()) << row.name << "\n" << run.out;
        EXPECT_EQ(document["statistics"]["downloads"], 1) << row.name;
        EXPECT_EQ(document["statistics"]["successful"], 0) << row.name;
    }
}

}  // namespace
