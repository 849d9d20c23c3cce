/// @class ZELT_o::Transition
/// A jump from one viewpoint of a document to another.
#pragma once

#include <pova/pova_export.h>
#include <pova/support/RefCount.h>

namespace ZELT_o {

class POVA_API Transition : public support::RefCount {
protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    Transition(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~Transition() override;
};

}  // namespace ZELT_o
