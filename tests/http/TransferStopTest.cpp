// Stops during a download: when a running transfer asks the host's stop
// question (TransferStopCheck, on a clock of the test's), and what the page
// download does when the host says "stop" while a peer drips its body or its
// head, says nothing, or never lets the connection stand: the transfer ends
// as a failed download with the host calls, statistics and trace lines of a
// failure, and LeaveHost is not called. A quick download asks exactly what it
// asked before: nothing more.
//
// The stalling peers would hold a download for a minute; a watchdog releases
// them much earlier and fails the case instead.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "http/HttpDownloaderBase.h"
#include "http/TransferStopCheck.h"
#include "platform/CodePage.h"
#include "platform/HttpError.h"
#include "platform/System.h"
#include "plugin/Mivo.h"
#include "tests/support/DownloadStatistics.h"
#include "tests/support/LogCapture.h"
#include "tests/support/RawServer.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/Watchdog.h"

namespace {

using testsupport::RawServer;
using testsupport::RecordingHost;
using std::chrono::milliseconds;
using std::chrono::seconds;

// --- when the host is asked ---------------------------------------------------

TEST(TransferStopCheckTest, SilentForASecondThenAtMostEvery200Ms) {
    struct Step {
        uint32_t clock;  // ms since the transfer started
        bool stop;       // the host's answer, if asked
        bool asked;
        bool keepGoing;
    };
    struct Case {
        const char* name;
        uint32_t start;
        std::vector<Step> steps;
    } cases[] = {
        {"no question in the first second",
         5000,
         {{0, true, false, true}, {500, true, false, true}, {999, true, false, true}}},
        {"then one question every 200 ms",
         5000,
         {{1000, false, true, true},
          {1001, false, false, true},
          {1199, false, false, true},
          {1200, false, true, true},
          {1350, false, false, true},
          {1500, true, true, false}}},
        {"a late first question starts the gap",
         5000,
         {{1700, false, true, true}, {1800, true, false, true}, {1900, true, true, false}}},
        {"stop is final and asks no more",
         5000,
         {{1000, true, true, false}, {1300, false, false, false}, {9000, false, false, false}}},
        {"the clock wraps",
         0xFFFFFE00u,
         {{0x1FF, true, false, true}, {0x3E7, true, false, true}, {0x3E8, true, true, false}}},
    };
    for (const Case& c : cases) {
        uint32_t now = c.start;
        int questions = 0;
        bool answer = false;
        TransferStopCheck check(
            [&] {
                ++questions;
                return answer;
            },
            [&] { return now; });
        for (const Step& step : c.steps) {
            now = c.start + step.clock;
            answer = step.stop;
            const int before = questions;
            EXPECT_EQ(check.KeepGoing(), step.keepGoing) << c.name << " at " << step.clock;
            EXPECT_EQ(questions - before, step.asked ? 1 : 0) << c.name << " at " << step.clock;
        }
    }
}

// --- peers that stall -----------------------------------------------------------

constexpr milliseconds kDripGap{500};
const std::string kDrip(120, 'x');  // a minute of drip
// Well inside the client's own 30 s receive timeout, which would end a silence anyway.
constexpr seconds kWatchdogLimit{20};

// Answers by path: a body or a head that drips a byte every half second, or
// nothing at all; anything else is a small page at once.
void StallingScript(RawServer& server, testsupport::SocketHandle fd, const std::string& head) {
    const std::string path = RawServer::PathOf(head);
    if (path == "/drip-body") {
        RawServer::Send(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 1000\r\n\r\n");
        server.Drip(fd, kDrip, kDripGap);
    } else if (path == "/drip-head") {
        RawServer::Send(fd, "HTTP/1.1 200 OK\r\nX-Drip: ");
        server.Drip(fd, kDrip, kDripGap);
    } else if (path == "/silent") {
        server.Hold(seconds(60));
    } else if (path == "/missing") {
        RawServer::Send(fd, RawServer::Reply("404 Not Found", "gone"));
    } else {
        RawServer::Send(fd, RawServer::Reply("200 OK", "page"));
    }
}

// Sets host up with a gate and a stop answer that lets the first questions
// pass and says stop from then on, or, with once, at the next question only.
void StopAfter(RecordingHost& host, int questionsBeforeStop, bool once = false) {
    host.gateAnswer = testsupport::GateAnswer::Supplied;
    host.stopWhen = [=](int question) {
        return once ? question == questionsBeforeStop + 1 : question > questionsBeforeStop;
    };
}

using testsupport::StatisticsOf;

class TransferStopTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetThreadAnsiCodePage(65001);
        ASSERT_NE(server.Port(), 0);
        ASSERT_NE(fullListener.Port(), 0);
    }
    void TearDown() override { platform::SetThreadAnsiCodePage(0); }

    RawServer server{
        [this](testsupport::SocketHandle fd, const std::string& head) { StallingScript(server, fd, head); }};
    testsupport::FullListener fullListener;
};

// The calls before the transfer, always the same.
const std::vector<std::wstring> kBefore = {L"stop? no", L"value HttpProxy", L"value HostIgnore", L"stop? no",
                                           L"enter 127.0.0.1 1"};

std::vector<std::wstring> Then(std::vector<std::wstring> events, const std::vector<std::wstring>& more) {
    events.insert(events.end(), more.begin(), more.end());
    return events;
}

TEST_F(TransferStopTest, AStopWhileAPeerStallsEndsTheDownloadAsAFailure) {
    const std::wstring cancelled = platform::SystemErrorText(platform::kHttpErrorOperationCancelled);
    struct Row {
        const char* name;
        std::string address;
        const wchar_t* response;      // the reason phrase in the failure line
        std::wstring downloaderLine;  // the downloader's own warning, if any
    } rows[] = {
        {"a dripping body", server.Address("/drip-body"), L"OK",
         L"HttpDownloader::DownloadData WinHttpQueryDataAvailable error=[12017]"},
        {"a dripping head", server.Address("/drip-head"), L"", L""},
        {"no answer at all", server.Address("/silent"), L"", L""},
        {"a connect that hangs", fullListener.Address("/page"), L"",
         L"CHttpDownloaderBase::SendRequest - error=[12017]"},
    };
    for (const Row& row : rows) {
        LogCapture log;
        // Two questions go by before the download starts, two more while it
        // runs (at about 1.0 and 1.2 s); the fifth, at about 1.4 s, says stop.
        RecordingHost host;
        StopAfter(host, 4);
        CMivo mivo;
        mivo.SetHost(&host);
        const CString url(platform::FromUtf8(row.address));
        CString text = L"stale";
        int result = -1;
        bool fired = false;
        {
            testsupport::Watchdog watchdog(kWatchdogLimit, [this] { server.Release(); });
            result = mivo.DownloadPage(url, text);
            fired = watchdog.Fired();
        }
        EXPECT_FALSE(fired) << row.name << ": the download outlived the stop";
        EXPECT_EQ(result, 0) << row.name;
        EXPECT_TRUE(text.IsEmpty()) << row.name;
        // The stop ends the transfer; the question after it finds the stop
        // still standing, so the gate hears of no leaving.
        EXPECT_EQ(host.events, Then(kBefore, {L"stop? no", L"stop? no", L"stop? yes", L"stop? yes"})) << row.name;

        const auto s = StatisticsOf(mivo);
        EXPECT_EQ(s.downloads, 1) << row.name;
        EXPECT_EQ(s.successful, 0) << row.name;
        // The first question comes a second into the transfer, so the
        // download's time holds that second.
        EXPECT_GE(s.totalMs, static_cast<int>(TransferStopCheck::kQuietMs)) << row.name;

        std::vector<std::wstring> warnings;
        if (!row.downloaderLine.empty()) warnings.push_back(row.downloaderLine);
        warnings.push_back(AsLogged(L"Download fails: " + url.str() + L", Proxy: , Response: " + row.response +
                                    L", Error:" + cancelled));
        EXPECT_EQ(log.Texts(L"WRN"), warnings) << row.name;
    }
}

TEST_F(TransferStopTest, AStopTakenBackAfterItEndedTheTransferStillKeepsLeaveHostUnsaid) {
    RecordingHost host;
    StopAfter(host, 4, true);
    CMivo mivo;
    mivo.SetHost(&host);
    CString text;
    int result = -1;
    {
        testsupport::Watchdog watchdog(kWatchdogLimit, [this] { server.Release(); });
        result = mivo.DownloadPage(CString(platform::FromUtf8(server.Address("/drip-body"))), text);
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(host.events, Then(kBefore, {L"stop? no", L"stop? no", L"stop? yes", L"stop? no"}));
}

TEST_F(TransferStopTest, AQuickDownloadAsksTheHostNothingMore) {
    struct Row {
        const char* path;
        int result;
    } rows[] = {
        {"/page", 1},
        {"/missing", 0},
    };
    for (const Row& row : rows) {
        // A host that would say stop at the first question during the transfer.
        RecordingHost host;
        StopAfter(host, 2);
        CMivo mivo;
        mivo.SetHost(&host);
        CString text;
        EXPECT_EQ(mivo.DownloadPage(CString(platform::FromUtf8(server.Address(row.path))), text), row.result)
            << row.path;
        EXPECT_EQ(host.events, Then(kBefore, {L"stop? yes"})) << row.path;
        EXPECT_EQ(StatisticsOf(mivo).successful, row.result) << row.path;
    }
}

// The downloader's own view: a "no" fails Download() with the cancelled code
// at once, and leaves the downloader's session fit for the next request.
TEST_F(TransferStopTest, TheDownloaderEndsOnANoAndCarriesOn) {
    const struct Row {
        const char* name;
        std::string address;
    } rows[] = {
        {"a dripping body", server.Address("/drip-body")},
        {"a dripping head", server.Address("/drip-head")},
        {"no answer at all", server.Address("/silent")},
        {"a connect that hangs", fullListener.Address("/page")},
    };
    for (const Row& row : rows) {
        CHttpDownloaderBase downloader("", std::wstring());
        int questions = 0;
        downloader.m_keepGoing = platform::HttpKeepGoing{[&] { return ++questions < 3; }, 50};
        bool ok = true;
        bool fired = false;
        {
            testsupport::Watchdog watchdog(kWatchdogLimit, [this] { server.Release(); });
            ok = downloader.Download(row.address);
            fired = watchdog.Fired();
        }
        EXPECT_FALSE(fired) << row.name;
        EXPECT_FALSE(ok) << row.name;
        EXPECT_EQ(questions, 3) << row.name << ": asked again after the no";
        EXPECT_EQ(downloader.m_dwLastError, platform::kHttpErrorOperationCancelled) << row.name;
        EXPECT_TRUE(downloader.m_strData.empty()) << row.name;

        downloader.m_keepGoing = {};
        ASSERT_TRUE(downloader.Download(server.Address("/page"))) << row.name;
        EXPECT_EQ(downloader.m_strData, "page") << row.name;
    }
}

}  // namespace
