/// @class ZELT_o::TransitionCommands
/// The commands of a transition, keyed by dimension.
#pragma once

#include <pova/pova_export.h>
#include <pova/support/RefCount.h>

namespace ZELT_o {

class POVA_API TransitionCommands : public support::RefCount {
protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    TransitionCommands(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~TransitionCommands() override;
};

}  // namespace ZELT_o
