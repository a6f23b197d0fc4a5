// A minimal test host: loads the real plug-in library with dlopen, finds its
// export with dlsym, and offers the helpers the host tests share (UTF-16LE
// trace files, running a system tool). It compiles against
// the host-facing headers only and links nothing of the plug-in, as a real
// host does. Used by one test thread at a time.
#pragma once

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "plugin/BasicTagsDllInterface.h"
#include "tests/support/FileBytes.h"
#include "tests/support/RecordingHost.h"

namespace plugin_host {

namespace fs = std::filesystem;
using testsupport::RecordingHost;

// One dlopen of the library, closed on destruction unless already closed.
class LoadedPlugin {
public:
    explicit LoadedPlugin(const std::string& path = MIVO_PLUGIN_PATH) {
        m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (m_handle) m_entry = reinterpret_cast<GetDllInterfaceFunction>(dlsym(m_handle, "GetDllInterface"));
    }
    ~LoadedPlugin() { Close(); }
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    bool IsLoaded() const { return m_handle != nullptr && m_entry != nullptr; }
    // A new interface object from the export (the caller owns it).
    CBasicTagsDllInterface* Create() const { return m_entry ? m_entry() : nullptr; }
    // Unloads the library: its module-wide objects are destroyed now.
    void Close() {
        if (m_handle) dlclose(m_handle);
        m_handle = nullptr;
        m_entry = nullptr;
    }

private:
    void* m_handle = nullptr;
    GetDllInterfaceFunction m_entry = nullptr;
};

// The text of a UTF-16LE file (byte-order mark kept, as U+FEFF).
inline std::wstring ReadUtf16File(const fs::path& file) {
    const std::string bytes = ReadBytes(file);
    std::wstring text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return text;
}

// Files in folder whose names start with prefix.
inline std::vector<fs::path> FilesStartingWith(const fs::path& folder, const std::string& prefix) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().rfind(prefix, 0) == 0) found.push_back(entry.path());
    return found;
}

// Everything a shell command prints on stdout.
inline std::string RunCommand(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
    return out;
}

}  // namespace plugin_host
