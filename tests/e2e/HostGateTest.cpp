// The host callback object's answers and the host-ignore gate: the --delay
// gap between two contacts of one web host, per host, cut short by a stop.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "host/HostCallbacks.h"
#include "host/HostGate.h"

namespace {

using namespace mivo_host;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

long long ElapsedMs(Clock::time_point since) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - since).count();
}

TEST(HostGate, KeepsTheGapBetweenTwoContactsOfOneHost) {
    Progress progress(false, stderr);
    HostGate gate(milliseconds(150), nullptr, &progress);
    gate.EnterHost(L"www.catalogue.example", 1);
    gate.LeaveHost(L"www.catalogue.example");
    const auto left = Clock::now();
    gate.EnterHost(L"WWW.Catalogue.EXAMPLE", 1);
    EXPECT_GE(ElapsedMs(left), 150) << "the same host in other letter case waits as well";
    gate.LeaveHost(L"www.catalogue.example");
    EXPECT_EQ(gate.Contacts(), 2);
    EXPECT_EQ(progress.PagesFetched(), 2);
}

TEST(HostGate, DoesNotWaitForAnotherHostOrTheFirstContact) {
    HostGate gate(milliseconds(5000), nullptr, nullptr);
    const auto start = Clock::now();
    gate.EnterHost(L"a.example", 1);
    gate.LeaveHost(L"a.example");
    gate.EnterHost(L"b.example", 1);
    gate.LeaveHost(L"b.example");
    gate.EnterHost(nullptr, 1);
    EXPECT_LT(ElapsedMs(start), 2500);
}

TEST(HostGate, ZeroDelayNeverWaits) {
    HostGate gate(milliseconds(0), nullptr, nullptr);
    const auto start = Clock::now();
    for (int i = 0; i < 50; ++i) {
        gate.EnterHost(L"a.example", 1);
        gate.LeaveHost(L"a.example");
    }
    EXPECT_LT(ElapsedMs(start), 2500);
}

TEST(HostGate, CountsTheGapFromEnterWhenLeaveNeverCame) {
    // After a stop request the plug-in skips LeaveHost; the next contact still waits.
    HostGate gate(milliseconds(150), nullptr, nullptr);
    gate.EnterHost(L"a.example", 1);
    const auto entered = Clock::now();
    gate.EnterHost(L"a.example", 1);
    EXPECT_GE(ElapsedMs(entered), 150);
}

TEST(HostGate, AStopRequestEndsTheWaitAndRefusesTheContact) {
    // The plug-in downloads whatever EnterHost answers, so after a stop the
    // gate must not return normally: no new contact may begin.
    const struct Row {
        const char* name;
        milliseconds stopAfter;  // when the stop comes, from the second EnterHost
    } rows[] = {
        {"a stop before the wait", milliseconds(0)},
        {"a stop during the wait", milliseconds(100)},
    };
    for (const Row& row : rows) {
        std::atomic<bool> stop{false};
        HostGate gate(
            milliseconds(60000), [&] { return stop.load(); }, nullptr);
        gate.EnterHost(L"a.example", 1);
        gate.LeaveHost(L"a.example");
        if (row.stopAfter.count() == 0) stop = true;
        std::thread signal([&] {
            std::this_thread::sleep_for(row.stopAfter);
            stop = true;
        });
        const auto start = Clock::now();
        EXPECT_THROW(gate.EnterHost(L"a.example", 1), StopBeforeContact) << row.name;
        signal.join();
        EXPECT_LT(ElapsedMs(start), 5000) << row.name;
        EXPECT_EQ(gate.Contacts(), 1) << row.name << ": the refused contact is not counted";
    }
}

TEST(HostCallbacks, TheStopQuestionRightAfterTheGateSaysGoOn) {
    // The plug-in asks "HostIgnore", then whether to stop, then enters the
    // gate; a stop in between must reach the gate, which refuses the contact.
    HostGate gate(milliseconds(0), nullptr, nullptr);
    bool stop = true;
    HostCallbacks callbacks(HostAnswers{std::nullopt, std::nullopt, &gate}, [&] { return stop; });
    EXPECT_TRUE(callbacks.IsStopRequested());
    CHostIgnoreInterface* answered = nullptr;
    ASSERT_EQ(callbacks.GetValue(L"HostIgnore", &answered), 1);
    EXPECT_FALSE(callbacks.IsStopRequested()) << "the question right after the gate";
    EXPECT_TRUE(callbacks.IsStopRequested()) << "every later question";
    HostCallbacks bare(HostAnswers{}, [&] { return stop; });
    EXPECT_EQ(bare.GetValue(L"HostIgnore", &answered), 0);
    EXPECT_TRUE(bare.IsStopRequested()) << "without a gate nothing is held back";
}

TEST(HostCallbacks, AnswersOnlyWhatTheOptionsGave) {
    HostGate gate(milliseconds(0), nullptr, nullptr);
    bool stop = false;
    HostCallbacks given(HostAnswers{215.0f, std::wstring(L"127.0.0.1:9"), &gate}, [&] { return stop; });
    HostCallbacks bare(HostAnswers{}, nullptr);

    float difference = 1.0f;
    EXPECT_EQ(bare.GetValue(L"MaxMatchDifference", &difference), 0);
    EXPECT_EQ(difference, 1.0f) << "without the option the plug-in keeps its own value";
    EXPECT_EQ(given.GetValue(L"MaxMatchDifference", &difference), 1);
    EXPECT_EQ(difference, 215.0f);

    CString proxy;
    EXPECT_EQ(bare.GetValue(L"HttpProxy", &proxy), 0);
    EXPECT_TRUE(proxy.IsEmpty());
    EXPECT_EQ(given.GetValue(L"HttpProxy", &proxy), 1);
    EXPECT_EQ(proxy, L"127.0.0.1:9");

    CHostIgnoreInterface* answered = nullptr;
    EXPECT_EQ(bare.GetValue(L"HostIgnore", &answered), 0);
    EXPECT_EQ(answered, nullptr);
    EXPECT_EQ(given.GetValue(L"HostIgnore", &answered), 1);
    EXPECT_EQ(answered, &gate);

    int untouched = 42;
    EXPECT_EQ(given.GetValue(L"maxmatchdifference", &untouched), 0) << "names are exact";
    EXPECT_EQ(given.GetValue(L"Unknown", &untouched), 0);
    EXPECT_EQ(untouched, 42);
    EXPECT_EQ(given.GetValue(L"HttpProxy", nullptr), 0);

    EXPECT_FALSE(given.IsStopRequested());
    stop = true;
    EXPECT_TRUE(given.IsStopRequested());
    EXPECT_FALSE(bare.IsStopRequested());
}

}  // namespace
