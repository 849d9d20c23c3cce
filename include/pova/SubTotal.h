/// @class ZELT_o::SubTotal
/// A subtotal shown on an axis.
#pragma once

#include <pova/pova_export.h>
#include <pova/support/RefCount.h>

namespace ZELT_o {

class POVA_API SubTotal : public support::RefCount {
protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    SubTotal(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~SubTotal() override;
};

}  // namespace ZELT_o
