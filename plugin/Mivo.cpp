// CMivo construction and destruction: the plug-in's identity defaults, and
// leaving the module's registry when the host (or the unload sweep) destroys
// the object. The search slots live in their own files.
#include "plugin/Mivo.h"

#include "plugin/DllInterfaceRegistry.h"

CMivo::CMivo() {
    m_strVersion = L"2.1.2000.0";
    m_strSourceName = L"mivo";
    m_nCodePage = 65001;
    m_strSiteHost = kSiteHost;
}

CMivo::~CMivo() { TheDllInterfaceRegistry().Remove(this); }
