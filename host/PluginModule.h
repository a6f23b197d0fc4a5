// PluginModule: one loaded plug-in library. It opens the library with dlopen,
// finds its export GetDllInterface with dlsym and closes the library when it
// goes away (the library's module-wide objects are destroyed then, so every
// interface object must be destroyed first).
//
// Also here: where the plug-in is by default, and reading the information
// marker that the library carries among its bytes. Used on the main thread.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "plugin/BasicTagsDllInterface.h"

namespace mivo_host {

class PluginModule {
public:
    PluginModule() = default;
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    // Loads the library at path and finds its export. On failure answers false
    // and error names the path and gives the loader's own text.
    bool Load(const std::string& path, std::string& error);

    // A new interface object from the export, owned by the caller; null when
    // nothing is loaded or the export answered null.
    CBasicTagsDllInterface* CreateInterface() const;

    // The file the loader actually opened (it may have searched for path), or
    // "" when nothing is loaded.
    std::string LoadedFile() const;

    // Unloads the library now (also done by the destructor).
    void Close();

private:
    void* m_handle = nullptr;
    GetDllInterfaceFunction m_entry = nullptr;
};

// The library installed beside the program: mivo/libmivo.so in the library
// folder of the running program's installation (../lib/mivo/libmivo.so from
// its folder under the usual layout); the build folder has the same shape.
std::string DefaultPluginPath();

// The fields of the information marker ("###_PluginInfo_###" key=value; ... "###")
// in the library file at path, quotes removed; nullopt when the file cannot be
// read or carries no marker.
std::optional<std::map<std::string, std::string>> ReadPluginMarker(const std::string& path);

// The marker fields of text (the bytes of a library); nullopt when there is none.
std::optional<std::map<std::string, std::string>> ParsePluginMarker(const std::string& bytes);

}  // namespace mivo_host
