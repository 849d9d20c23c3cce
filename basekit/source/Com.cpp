#include <basekit/Com.h>

extern "C" {

HRESULT CLSIDFromProgID(OLECHAR const* /*progId*/, CLSID* /*clsid*/) { return CO_E_CLASSSTRING; }

HRESULT CoCreateInstance(REFCLSID /*clsid*/, IUnknown* /*outer*/, DWORD /*context*/,
                         REFIID /*iid*/, void** /*object*/) {
    return REGDB_E_CLASSNOTREG;
}
}

namespace basekit {
void registerComClass(PovaString const&, CLSID const&, ClassFactory) {}
void unregisterComClass(CLSID const&) {}
}  // namespace basekit
