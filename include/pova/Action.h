/// @class ZELT_o::Action
/// A user-defined command attached to a cube, a dimension or a cell.
#pragma once

#include <pova/pova_export.h>
#include <pova/support/RefCount.h>

namespace ZELT_o {

class POVA_API Action : public support::RefCount {
protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    Action(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~Action() override;
};

}  // namespace ZELT_o
