// POSIX implementation of the process-level services. The system has no
// debugger output channel: only the sink (platform/DebugOutput.cpp) gets the text.
#include "platform/System.h"

#include <dlfcn.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

#include "platform/CodePage.h"
#include "platform/HttpError.h"
#include "platform/SystemDebugOutput.h"

namespace platform {

LocalTime GetLocalTime() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm parts{};
    localtime_r(&now.tv_sec, &parts);
    LocalTime t;
    t.year = parts.tm_year + 1900;
    t.month = parts.tm_mon + 1;
    t.day = parts.tm_mday;
    t.hour = parts.tm_hour;
    t.minute = parts.tm_min;
    t.second = parts.tm_sec;
    t.millisecond = static_cast<int>(now.tv_nsec / 1000000);
    return t;
}

uint32_t GetTickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

uint64_t QueryPerformanceCounter() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
}

uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }

uint32_t CurrentThreadId() { return static_cast<uint32_t>(syscall(SYS_gettid)); }

void SleepMilliseconds(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

uint32_t GetLastError() { return static_cast<uint32_t>(errno); }

std::wstring SystemErrorText(uint32_t code) {
    if (IsHttpError(code)) {
        const char* httpText = HttpErrorText(code);
        return httpText ? FromUtf8(httpText) + L"\r\n" : std::wstring();
    }
    // The English description, whatever language the host process chose
    // for its messages; null for a code the system does not know.
    const char* text = strerrordesc_np(static_cast<int>(code));
    if (!text || !*text) return std::wstring();
    return FromUtf8(text) + L"\r\n";
}

void SystemDebugOutput(const std::wstring&) {}

namespace {

// The file name the kernel gives for the mapping that holds address: always
// a full path (resolved when the module was loaded, whatever the current
// folder is now), " (deleted)" appended once the file is gone. Empty when
// the address lies in no file-backed mapping.
std::string MappedFileName(const void* address) {
    std::ifstream maps("/proc/self/maps");
    const auto where = reinterpret_cast<uintptr_t>(address);
    std::string line;
    while (std::getline(maps, line)) {
        // start-end perms offset device inode   path
        char* rest = nullptr;
        const uintptr_t start = std::strtoull(line.c_str(), &rest, 16);
        if (!rest || *rest != '-') continue;
        const uintptr_t end = std::strtoull(rest + 1, nullptr, 16);
        if (where < start || where >= end) continue;
        const size_t slash = line.find('/');
        return slash == std::string::npos ? std::string() : line.substr(slash);
    }
    return std::string();
}

}  // namespace

std::wstring ModuleFileName(const void* address) {
    Dl_info info{};
    if (dladdr(address, &info) == 0) return std::wstring();
    std::string path = MappedFileName(address);
    // Without the process's mapping list, only a full name from the loader
    // will do: a relative one was relative to the folder current at load time.
    if (path.empty() && info.dli_fname && info.dli_fname[0] == '/') path = info.dli_fname;
    return FromUtf8(path);
}

}  // namespace platform
