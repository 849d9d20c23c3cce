/// @class ZELT_o::TransitionCommand
/// How a transition supplies one dimension of its target.
#pragma once

#include <pova/pova_export.h>
#include <pova/support/RefCount.h>

namespace ZELT_o {

class POVA_API TransitionCommand : public support::RefCount {
protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    TransitionCommand(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~TransitionCommand() override;
};

}  // namespace ZELT_o
