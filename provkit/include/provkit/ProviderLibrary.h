/// @class common::ProviderLibrary
/// What a provider registers so that viewpoints bound to its cubes get their
/// derived viewpoints. Libraries register under the provider name their cubes report and stay
/// registered until they unregister (usually when the provider is unloaded). Thread-safe.
#pragma once

#include <basekit/PovaString.h>
#include <provkit/ViewpointBase.h>
#include <provkit/provkit_export.h>

#include <memory>

namespace common {

class PROVKIT_API ProviderLibrary {
public:
    virtual ~ProviderLibrary();
    ProviderLibrary(ProviderLibrary const&) = delete;
    ProviderLibrary& operator=(ProviderLibrary const&) = delete;

    /// The provider name this library serves.
    virtual PovaString getName() const = 0;
    /// A new derived viewpoint for `viewpoint`, owned by the caller.
    virtual std::unique_ptr<ViewpointBase> createDerivedViewpoint(ViewpointCommon& viewpoint) = 0;

protected:
    ProviderLibrary() = default;
};

/// Registers a library (not owned) under its name; a later registration of the same name
/// replaces it. Names compare case-insensitively.
PROVKIT_API void registerProviderLibrary(ProviderLibrary* library);
/// Removes the library if it is the one registered under its name.
PROVKIT_API void unregisterProviderLibrary(ProviderLibrary* library);
/// The library registered for a provider name (borrowed), or null.
PROVKIT_API ProviderLibrary* createProviderLibrary(PovaString const& providerName);

}  // namespace common
