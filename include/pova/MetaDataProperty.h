/// @class ZELT_o::MetaDataProperty
/// A property of a cube's metadata object.
#pragma once

#include <pova/pova_export.h>
#include <pova/support/RefCount.h>

namespace ZELT_o {

class POVA_API MetaDataProperty : public support::RefCount {
protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    MetaDataProperty(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~MetaDataProperty() override;
};

}  // namespace ZELT_o
