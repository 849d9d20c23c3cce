// memcube::MemProviderLibrary: what memcube registers with provkit, so that viewpoints bound to
// its cubes get a MemViewpoint. One instance lives in the library and is registered while the
// library is loaded.
#pragma once

#include <provkit/ProviderLibrary.h>

namespace memcube {

class MemProviderLibrary final : public common::ProviderLibrary {
public:
    // Registers itself; unregisters when destroyed.
    MemProviderLibrary();
    ~MemProviderLibrary() override;

    PovaString getName() const override;
    std::unique_ptr<common::ViewpointBase> createDerivedViewpoint(
        common::ViewpointCommon& viewpoint) override;
};

}  // namespace memcube
