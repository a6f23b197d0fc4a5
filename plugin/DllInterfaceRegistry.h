// CDllInterfaceRegistry: the module-wide list of live interface objects.
// GetDllInterface adds each new object; an object removes itself when it is
// destroyed; at module unload the registry's destructor destroys, oldest
// first, every object the host left behind.
//
// One instance per module (TheDllInterfaceRegistry()), constructed at load
// before the trace log and so destroyed after it. Every operation may be
// called from any thread; the critical section guards the list.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/CriticalSection.h"

class CBasicTagsDllInterface;

class CDllInterfaceRegistry {
public:
    CDllInterfaceRegistry() = default;
    // The unload sweep: destroys every registered object, oldest first.
    ~CDllInterfaceRegistry();
    CDllInterfaceRegistry(const CDllInterfaceRegistry&) = delete;
    CDllInterfaceRegistry& operator=(const CDllInterfaceRegistry&) = delete;

    // Appends object (owned by the host; the registry destroys it only at unload).
    void Add(CBasicTagsDllInterface* object);
    // Removes the first entry equal to object; ignores an object not found,
    // and the object that the sweep is destroying at this moment.
    void Remove(CBasicTagsDllInterface* object);
    // Destroys every registered object, oldest first, and empties the list.
    void Sweep();

    // Number of registered objects.
    size_t GetCount();
    // True when object is registered.
    bool Contains(const CBasicTagsDllInterface* object);

private:
    CBasicTagsDllInterface* m_pDeleting = nullptr;
    std::vector<CBasicTagsDllInterface*> m_arrInterfaces;
    CCriticalSection m_cs;
};

// The module's registry.
CDllInterfaceRegistry& TheDllInterfaceRegistry();
