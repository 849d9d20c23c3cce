// memcube::QueryPlan: what a viewpoint's query computes, read from the viewpoint when the query
// is asked: its layout, filters and sorts. Computing the plan needs only the cube, so it may
// happen later, on another thread, after the viewpoint changed or went away.
#pragma once

#include "FilterEvaluator.h"
#include "SortOrder.h"

#include <memcube/Layout.h>
#include <pova/ViewResultSet.h>
#include <pova/support/Ref.h>

#include <memory>
#include <vector>

namespace memcube {

class MemCube;

struct QueryPlan {
    Layout layout;
    std::shared_ptr<FilterPlan const> filters;  // null: no filter applies
    std::vector<AxisOrder> sorts;               // one per result axis
};

// The cube's cells for the layout, less the lines the filters exclude, in the sorts' order.
support::Ref<ZELT_o::ViewResultSet> computeQuery(MemCube& cube, QueryPlan const& plan);

}  // namespace memcube
