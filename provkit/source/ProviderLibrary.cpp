#include <basekit/KobalMutex.h>
#include <pova/Dimension.h>
#include <provkit/ProviderLibrary.h>

#include <vector>

namespace common {

namespace {

struct Registry {
    KobalMutex mutex;
    std::vector<ProviderLibrary*> libraries;  // Guarded by mutex.
};

Registry& registry() {
    static Registry instance;
    return instance;
}

}  // namespace

ViewpointBase::~ViewpointBase() = default;

void ViewpointBase::getHierarchies(ZELT_o::Dimension& dimension,
                                   std::vector<ZELT_o::Hierarchy*>& hierarchies) {
    dimension.getHierarchies(hierarchies);
}

ProviderLibrary::~ProviderLibrary() = default;

void registerProviderLibrary(ProviderLibrary* library) {
    if (library == nullptr) {
        return;
    }
    Registry& r = registry();
    KobalSynchronized lock(r.mutex);
    PovaString const name = library->getName();
    for (ProviderLibrary*& entry : r.libraries) {
        if (entry->getName().strcmp(name, true) == 0) {
            entry = library;
            return;
        }
    }
    r.libraries.push_back(library);
}

void unregisterProviderLibrary(ProviderLibrary* library) {
    Registry& r = registry();
    KobalSynchronized lock(r.mutex);
    std::erase(r.libraries, library);
}

ProviderLibrary* createProviderLibrary(PovaString const& providerName) {
    Registry& r = registry();
    KobalSynchronized lock(r.mutex);
    for (ProviderLibrary* entry : r.libraries) {
        if (entry->getName().strcmp(providerName, true) == 0) {
            return entry;
        }
    }
    return nullptr;
}

}  // namespace common
