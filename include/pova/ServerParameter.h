/// @class ZELT_o::ServerParameter
/// A parameter that the data source defines.
#pragma once

#include <pova/pova_export.h>
#include <pova/support/RefCount.h>

namespace ZELT_o {

class POVA_API ServerParameter : public support::RefCount {
protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    ServerParameter(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~ServerParameter() override;
};

}  // namespace ZELT_o
