// Loading the plug-in library with dlopen and dlsym.
#include <dlfcn.h>

#include "host/PluginModule.h"

namespace mivo_host {

namespace {

std::string LoaderError() {
    const char* text = dlerror();
    return text ? text : "unknown loader error";
}

}  // namespace

bool PluginModule::Load(const std::string& path, std::string& error) {
    Close();
    dlerror();
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        error = "cannot load the plug-in " + path + ": " + LoaderError();
        return false;
    }
    dlerror();
    void* symbol = dlsym(m_handle, "GetDllInterface");
    if (!symbol) {
        error = "the plug-in " + path + " has no GetDllInterface: " + LoaderError();
        Close();
        return false;
    }
    m_entry = reinterpret_cast<GetDllInterfaceFunction>(symbol);
    return true;
}

std::string PluginModule::LoadedFile() const {
    Dl_info info{};
    if (!m_entry || !dladdr(reinterpret_cast<void*>(m_entry), &info) || !info.dli_fname) return {};
    return info.dli_fname;
}

void PluginModule::Close() {
    if (m_handle) dlclose(m_handle);
    m_handle = nullptr;
    m_entry = nullptr;
}

}  // namespace mivo_host
