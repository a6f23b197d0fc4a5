// The --delay gap between two contacts of one web host.
#include "host/HostGate.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace mivo_host {

namespace {

// Waits are cut into slices this long so a stop request is seen quickly.
constexpr std::chrono::milliseconds kWaitSlice{20};

}  // namespace

HostGate::HostGate(std::chrono::milliseconds gap, std::function<bool()> stopRequested, Progress* progress)
    : gap_(gap), stopRequested_(std::move(stopRequested)), progress_(progress) {}

std::wstring HostGate::Key(const wchar_t* host) {
    std::wstring key = host ? host : L"";
    for (wchar_t& ch : key)
        if (ch >= L'A' && ch <= L'Z') ch = static_cast<wchar_t>(ch - L'A' + L'a');
    return key;
}

int HostGate::EnterHost(const wchar_t* host, int count) {
    (void)count;
    const std::wstring key = Key(host);
    const Clock::time_point start = Clock::now();
    const auto last = lastContact_.find(key);
    if (last != lastContact_.end() && gap_.count() > 0) {
        const Clock::time_point due = last->second + gap_;
        while (Clock::now() < due && !(stopRequested_ && stopRequested_())) {
            const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now());
            std::this_thread::sleep_for(std::clamp(remaining, std::chrono::milliseconds(1), kWaitSlice));
        }
    }
    const Clock::time_point now = Clock::now();
    lastContact_[key] = now;
    ++contacts_;
    if (progress_)
        progress_->Contacting(host ? host : L"", std::chrono::duration_cast<std::chrono::milliseconds>(now - start).count());
    return 1;
}

int HostGate::LeaveHost(const wchar_t* host) {
    lastContact_[Key(host)] = Clock::now();
    if (progress_) progress_->Fetched(host ? host : L"");
    return 1;
}

}  // namespace mivo_host
