/// @class common::ViewpointProperties
/// A viewpoint's whole list of property sets, one per dimension of
/// its cube in cube order and one more, last, for the viewpoint itself. A value type: copies are
/// deep, and the member sets, members and links its properties hold keep one reference each.
#pragma once

#include <pova/common/DimensionProperties.h>
#include <pova/pova_export.h>

#include <vector>

namespace common {

class POVA_API ViewpointProperties {
public:
    /// The number of sets.
    LONG size() const { return static_cast<LONG>(fLists.size()); }
    ///@{
    /// The set at `index`; std::out_of_range outside the list.
    DimensionProperties& at(LONG index) { return fLists.at(static_cast<std::size_t>(index)); }
    DimensionProperties const& at(LONG index) const {
        return fLists.at(static_cast<std::size_t>(index));
    }
    ///@}
    /// Appends a set.
    void add(DimensionProperties properties) { fLists.push_back(std::move(properties)); }
    /// Removes every set.
    void clear() { fLists.clear(); }

private:
    std::vector<DimensionProperties> fLists;
};

}  // namespace common
