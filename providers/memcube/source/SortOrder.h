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

// `resultAxes` names, for each axis of `result`, the viewpoint axis it shows; the sorts of
// that viewpoint axis order it. Returns `result` itself when no sort applies to any of them,
// else a new result set of the same tuples and cells in the new order.
support::Ref<ZELT_o::ViewResultSet> orderBySorts(MemCube& cube, ZELT_o::Viewpoint& viewpoint,
                                                 std::vector<LONG> const& resultAxes,
                                                 support::Ref<ZELT_o::ViewResultSet> result);

}  // namespace memcube
