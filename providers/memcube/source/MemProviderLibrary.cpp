#include "MemProviderLibrary.h"

#include "MemViewpoint.h"

#include <memcube/MemCube.h>

namespace memcube {

namespace {
// Constructed when the library is loaded, destroyed when it is unloaded.
MemProviderLibrary gLibrary;
}  // namespace

MemProviderLibrary::MemProviderLibrary() {
    common::registerProviderLibrary(this);
}

MemProviderLibrary::~MemProviderLibrary() {
    common::unregisterProviderLibrary(this);
}

PovaString MemProviderLibrary::getName() const {
    return MemCube::kProviderName;
}

std::unique_ptr<common::ViewpointBase> MemProviderLibrary::createDerivedViewpoint(
    common::ViewpointCommon& viewpoint) {
    return std::make_unique<MemViewpoint>(viewpoint);
}

}  // namespace memcube
