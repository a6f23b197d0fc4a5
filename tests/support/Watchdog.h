// A guard for tests whose failure would be a hang: if the guarded scope is
// still running when the limit passes, the watchdog notes that it fired and
// runs its action (release a server, kill a child process) so that the test
// fails instead of waiting out a minute-long drip.
//
// The action runs on the watchdog's own thread. Destruction ends the watch
// and joins that thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace testsupport {

class Watchdog {
public:
    Watchdog(std::chrono::milliseconds limit, std::function<void()> action)
        : m_thread([this, limit, action = std::move(action)] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (m_ended.wait_for(lock, limit, [this] { return m_done; })) return;
              m_fired = true;
              lock.unlock();
              if (action) action();
          }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_ended.notify_all();
        m_thread.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // True when the limit passed before the watch ended.
    bool Fired() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_fired;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_done = false;
    bool m_fired = false;
    std::thread m_thread;  // last: starts once the members it uses exist
};

}  // namespace testsupport
