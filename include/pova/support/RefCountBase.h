/// @class support::RefCountBase
/// The one virtual base of every reference-counted object.
///
/// An object is born with count 1, owned by its creator, and destroyed by the release() that
/// brings the count to 0. Never delete a counted object directly.
#pragma once

#include <basekit/WinTypes.h>
#include <pova/pova_export.h>

namespace support {

class POVA_API RefCountBase {
public:
    /// Adds a reference; returns the new count.
    virtual ULONG addRef() = 0;
    /// Gives up a reference; returns the new count and destroys the object at 0.
    virtual LONG release() = 0;

protected:
    RefCountBase() = default;
    virtual ~RefCountBase();

public:
    RefCountBase(RefCountBase const&) = delete;
    RefCountBase& operator=(RefCountBase const&) = delete;
};

}  // namespace support
