// The registry of live interface objects and its unload sweep.
#include "plugin/DllInterfaceRegistry.h"

#include <algorithm>

#include "plugin/BasicTagsDllInterface.h"

namespace {

// Constructed at module load before the trace log (priority 1002), so it is
// destroyed after it: at unload the log merges first, then the sweep runs.
__attribute__((init_priority(1001))) CDllInterfaceRegistry g_registry;

}  // namespace

CDllInterfaceRegistry& TheDllInterfaceRegistry() { return g_registry; }

CDllInterfaceRegistry::~CDllInterfaceRegistry() { Sweep(); }

void CDllInterfaceRegistry::Add(CBasicTagsDllInterface* object) {
    CSingleLock lock(&m_cs, true);
    m_arrInterfaces.push_back(object);
}

void CDllInterfaceRegistry::Remove(CBasicTagsDllInterface* object) {
    // The sweep removes the entry of the object it is destroying by itself.
    if (object == m_pDeleting) return;
    CSingleLock lock(&m_cs, true);
    const auto found = std::find(m_arrInterfaces.begin(), m_arrInterfaces.end(), object);
    if (found == m_arrInterfaces.end()) return;
    m_arrInterfaces.erase(found);
    m_arrInterfaces.shrink_to_fit();
}

void CDllInterfaceRegistry::Sweep() {
    CSingleLock lock(&m_cs, true);
    while (!m_arrInterfaces.empty()) {
        CBasicTagsDllInterface* object = m_arrInterfaces.front();
        m_pDeleting = object;
        delete object;
        m_pDeleting = nullptr;
        m_arrInterfaces.erase(m_arrInterfaces.begin());
        m_arrInterfaces.shrink_to_fit();
    }
}

size_t CDllInterfaceRegistry::GetCount() {
    CSingleLock lock(&m_cs, true);
    return m_arrInterfaces.size();
}

bool CDllInterfaceRegistry::Contains(const CBasicTagsDllInterface* object) {
    CSingleLock lock(&m_cs, true);
    return std::find(m_arrInterfaces.begin(), m_arrInterfaces.end(), object) != m_arrInterfaces.end();
}
