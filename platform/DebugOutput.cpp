// Debugger output: the system's channel and the sink that tests can install.
#include <mutex>

#include "platform/System.h"
#include "platform/SystemDebugOutput.h"

namespace platform {

namespace {
std::mutex g_sinkMutex;
std::function<void(const std::wstring&)> g_sink;
}  // namespace

void DebugOutput(const std::wstring& text) {
    SystemDebugOutput(text);
    std::lock_guard<std::mutex> lock(g_sinkMutex);
    if (g_sink) g_sink(text);
}

void SetDebugOutputSink(std::function<void(const std::wstring&)> sink) {
    std::lock_guard<std::mutex> lock(g_sinkMutex);
    g_sink = std::move(sink);
}

}  // namespace platform
