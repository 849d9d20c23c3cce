/// @class common::OLAPBrowsable
/// The counted base of the objects a user can browse (cubes).
#pragma once

#include <pova/support/LegacyRefCount.h>

namespace common {

class OLAPBrowsable : public support::LegacyRefCount {
protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    OLAPBrowsable(char const* module, LONG instance) : support::LegacyRefCount(module, instance) {}
    ~OLAPBrowsable() override = default;
};

}  // namespace common
