// memcube::orderBySorts: the order the applied sorts of a viewpoint give the axes of a computed
// result (what a sort means to memcube is told in pova/Sort.h).
#pragma once

#include <basekit/WinTypes.h>
#include <pova/ViewResultSet.h>
#include <pova/support/Ref.h>

#include <vector>

namespace ZELT_o {
class Viewpoint;
}

namespace memcube {

class MemCube;

// How the applied sorts of one viewpoint axis order it: the first applied sort (lowest Index)
// with its applied modifiers.
struct AxisOrder {
    bool sorted = false;
    bool descending = false;
    bool flat = false;  // one list, not ordered within parents
};

// The orders of the viewpoint axes that `resultAxes` names (one per axis of a result), read now
// so that a result computed later does not depend on the viewpoint's state then.
std::vector<AxisOrder> planSorts(ZELT_o::Viewpoint& viewpoint, std::vector<LONG> const& resultAxes);

// Returns `result` itself when no order sorts any of its axes, else a new result set of the
// same tuples and cells in the new order.
support::Ref<ZELT_o::ViewResultSet> orderBySorts(MemCube& cube,
                                                 std::vector<AxisOrder> const& orders,
                                                 support::Ref<ZELT_o::ViewResultSet> result);

}  // namespace memcube
