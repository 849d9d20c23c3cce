/// @class ZELT_o::Listener
/// The root of the listener interfaces an event dispatcher delivers to.
/// Listeners are not counted; whoever registers one keeps it alive until it is removed.
#pragma once

#include <pova/pova_export.h>

namespace ZELT_o {

class POVA_API Listener {
public:
    virtual ~Listener();

protected:
    Listener() = default;
    ///@{
    /// Copied only as part of a derived object.
    Listener(Listener const&) = default;
    Listener& operator=(Listener const&) = default;
    ///@}
};

}  // namespace ZELT_o
