/// @class ZELT_o::CalculationFunction
/// The description of a function calculations may use.
#pragma once

#include <pova/pova_export.h>
#include <pova/support/RefCount.h>

namespace ZELT_o {

class POVA_API CalculationFunction : public support::RefCount {
protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    CalculationFunction(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~CalculationFunction() override;
};

}  // namespace ZELT_o
