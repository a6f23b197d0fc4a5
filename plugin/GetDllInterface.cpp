// The module's one export. Built into the shared library only; every other
// symbol of the library is hidden. May be called from any thread.
#include "plugin/DllInterfaceRegistry.h"
#include "plugin/Mivo.h"

// A new, independent CMivo, registered so that the unload sweep can destroy it
// if the host does not. The host owns it and destroys it through slot 0.
extern "C" __attribute__((visibility("default"))) CBasicTagsDllInterface* GetDllInterface() {
    auto object = std::make_unique<CMivo>();
    TheDllInterfaceRegistry().Add(object.get());
    return object.release();
}
