// Names for the temporary files of the atomic replacement.
#include "platform/TemporaryName.h"

#include <atomic>

#include "platform/System.h"

namespace platform {

std::wstring TemporaryNameBeside(const std::wstring& path) {
    static std::atomic<unsigned> counter{0};
    return path + L".tmp" + std::to_wstring(CurrentProcessId()) + L"." + std::to_wstring(CurrentThreadId()) + L"." +
           std::to_wstring(counter.fetch_add(1));
}

}  // namespace platform
