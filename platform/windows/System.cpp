// Windows implementation of the process-level services: the kernel's time,
// id, error-text, module and debugger functions.
#include "platform/System.h"

#include <windows.h>

#include <chrono>
#include <thread>

#include "platform/CodePage.h"
#include "platform/HttpError.h"
#include "platform/SystemDebugOutput.h"
#include "platform/windows/ModuleFile.h"

namespace platform {

LocalTime GetLocalTime() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    LocalTime t;
    t.year = now.wYear;
    t.month = now.wMonth;
    t.day = now.wDay;
    t.hour = now.wHour;
    t.minute = now.wMinute;
    t.second = now.wSecond;
    t.millisecond = now.wMilliseconds;
    return t;
}

uint32_t GetTickCount() { return ::GetTickCount(); }

uint64_t QueryPerformanceCounter() {
    LARGE_INTEGER count{}, frequency{};
    ::QueryPerformanceCounter(&count);
    ::QueryPerformanceFrequency(&frequency);
    const auto ticks = static_cast<uint64_t>(count.QuadPart);
    const auto perSecond = static_cast<uint64_t>(frequency.QuadPart > 0 ? frequency.QuadPart : 1);
    // Whole seconds and the remainder apart, so that the product cannot overflow.
    return ticks / perSecond * 1000000000u + ticks % perSecond * 1000000000u / perSecond;
}

uint32_t CurrentProcessId() { return ::GetCurrentProcessId(); }

uint32_t CurrentThreadId() { return ::GetCurrentThreadId(); }

void SleepMilliseconds(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

uint32_t GetLastError() { return ::GetLastError(); }

namespace {

// The module whose message table holds the texts of the HTTP codes: the
// WinHTTP module has none under every system, the internet module does.
HMODULE HttpMessageModule() {
    static const HMODULE module = ::LoadLibraryExW(L"wininet.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

// The text of code from the system's message table, or from module's when
// given; English where the table has it, else the table's default language.
std::wstring FormatMessageText(uint32_t code, HMODULE module) {
    const DWORD source = module ? FORMAT_MESSAGE_FROM_HMODULE : FORMAT_MESSAGE_FROM_SYSTEM;
    const DWORD flags = source | FORMAT_MESSAGE_IGNORE_INSERTS;
    wchar_t buffer[1024];
    for (const DWORD language : {static_cast<DWORD>(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)), DWORD{0}}) {
        const DWORD n =
            ::FormatMessageW(flags, module, code, language, buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
        if (n > 0) return std::wstring(buffer, n);
    }
    return std::wstring();
}

}  // namespace

std::wstring SystemErrorText(uint32_t code) {
    std::wstring text;
    if (IsHttpError(code)) {
        if (HttpMessageModule()) text = FormatMessageText(code, HttpMessageModule());
        // Wine's table lacks some of the codes the layer gives: those keep
        // the layer's own text.
        const char* own = HttpErrorText(code);
        if (text.empty() && own) text = FromUtf8(own);
    } else {
        text = FormatMessageText(code, nullptr);
    }
    // One CR LF at the end, whatever line end the table's text had.
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
    return text.empty() ? std::wstring() : text + L"\r\n";
}

void SystemDebugOutput(const std::wstring& text) { ::OutputDebugStringW(text.c_str()); }

std::wstring ModuleFileName(const void* address) {
    HMODULE module = nullptr;
    // A null address would name the program's own module.
    if (!address) return std::wstring();
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(address), &module))
        return std::wstring();
    return FileOfModule(module);
}

}  // namespace platform
