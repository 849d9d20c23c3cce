// The in-process class registry behind CLSIDFromProgID and CoCreateInstance.
#include <basekit/Com.h>

#include <mutex>
#include <new>
#include <optional>
#include <utility>
#include <vector>

namespace {

struct ComClass {
    PovaString progId;
    CLSID clsid;
    basekit::ClassFactory factory;
};

class ClassRegistry {
public:
    void add(PovaString const& progId, CLSID const& clsid, basekit::ClassFactory factory) {
        std::lock_guard<std::mutex> const lock(fMutex);
        std::erase_if(fClasses, [&](ComClass const& c) {
            return c.clsid == clsid || c.progId.strcmp(progId, true) == 0;
        });
        fClasses.push_back(ComClass{progId, clsid, std::move(factory)});
    }

    void remove(CLSID const& clsid) {
        std::lock_guard<std::mutex> const lock(fMutex);
        std::erase_if(fClasses, [&](ComClass const& c) { return c.clsid == clsid; });
    }

    std::optional<CLSID> find(PovaString const& progId) {
        std::lock_guard<std::mutex> const lock(fMutex);
        for (ComClass const& c : fClasses) {
            if (c.progId.strcmp(progId, true) == 0) {
                return c.clsid;
            }
        }
        return std::nullopt;
    }

    // A copy, so that the factory runs without the lock held and may itself use the registry.
    basekit::ClassFactory factory(CLSID const& clsid) {
        std::lock_guard<std::mutex> const lock(fMutex);
        for (ComClass const& c : fClasses) {
            if (c.clsid == clsid) {
                return c.factory;
            }
        }
        return {};
    }

private:
    std::mutex fMutex;
    std::vector<ComClass> fClasses;  // guarded by fMutex
};

// Built on first use and never destroyed: a component may unregister from its own unload
// code, which can run after this library's static objects are gone.
ClassRegistry& registry() {
    alignas(ClassRegistry) static unsigned char storage[sizeof(ClassRegistry)];
    static ClassRegistry* const instance = ::new (static_cast<void*>(storage)) ClassRegistry();
    return *instance;
}

}  // namespace

extern "C" {

HRESULT CLSIDFromProgID(OLECHAR const* progId, CLSID* clsid) {
    if (clsid == nullptr) {
        return E_POINTER;
    }
    *clsid = GUID_NULL;
    if (progId == nullptr) {
        return E_INVALIDARG;
    }
    try {
        std::optional<CLSID> const found = registry().find(PovaString(progId));
        if (!found) {
            return REGDB_E_CLASSNOTREG;
        }
        *clsid = *found;
        return S_OK;
    } catch (std::bad_alloc const&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid,
                         void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    if ((context & CLSCTX_INPROC_SERVER) == 0) {
        return REGDB_E_CLASSNOTREG;
    }
    try {
        basekit::ClassFactory const factory = registry().factory(clsid);
        if (!factory) {
            return REGDB_E_CLASSNOTREG;
        }
        void* created = nullptr;
        HRESULT const hr = factory(iid, &created);
        if (FAILED(hr)) {
            return hr;
        }
        // A factory that claims success must hand out an object.
        if (created == nullptr) {
            return E_UNEXPECTED;
        }
        *object = created;
        return hr;
    } catch (std::bad_alloc const&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        // Exceptions must not cross this C interface.
        return E_UNEXPECTED;
    }
}

}  // extern "C"

namespace basekit {

void registerComClass(PovaString const& progId, CLSID const& clsid, ClassFactory factory) {
    registry().add(progId, clsid, std::move(factory));
}

void unregisterComClass(CLSID const& clsid) {
    registry().remove(clsid);
}

}  // namespace basekit
