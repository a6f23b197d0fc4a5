// Loading the plug-in library with LoadLibraryW and GetProcAddress.
#include <windows.h>

#include <string>

#include "host/PluginModule.h"
#include "platform/Utf8.h"
#include "platform/windows/ModuleFile.h"

namespace mivo_host {

namespace {

// The system's text for the calling thread's last error, without its line break.
std::string LoaderError() {
    const DWORD code = ::GetLastError();
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length && buffer ? std::wstring(buffer, length) : std::wstring();
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    if (text.empty()) return "system error " + std::to_string(code);
    return platform::ToUtf8(text) + " (" + std::to_string(code) + ")";
}

}  // namespace

bool PluginModule::Load(const std::string& path, std::string& error) {
    Close();
    // A library that cannot be loaded is an error line, never a dialog box.
    DWORD previousMode = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    HMODULE module = ::LoadLibraryW(platform::FromUtf8(path).c_str());
    const std::string loadError = module ? std::string() : LoaderError();
    ::SetThreadErrorMode(previousMode, nullptr);
    if (!module) {
        error = "cannot load the plug-in " + path + ": " + loadError;
        return false;
    }
    m_handle = module;
    const FARPROC symbol = ::GetProcAddress(module, "GetDllInterface");
    if (!symbol) {
        error = "the plug-in " + path + " has no GetDllInterface: " + LoaderError();
        Close();
        return false;
    }
    m_entry = reinterpret_cast<GetDllInterfaceFunction>(reinterpret_cast<void (*)()>(symbol));
    return true;
}

std::string PluginModule::LoadedFile() const {
    if (!m_handle) return {};
    return platform::ToUtf8(platform::FileOfModule(static_cast<HMODULE>(m_handle)));
}

void PluginModule::Close() {
    if (m_handle) ::FreeLibrary(static_cast<HMODULE>(m_handle));
    m_handle = nullptr;
    m_entry = nullptr;
}

}  // namespace mivo_host
