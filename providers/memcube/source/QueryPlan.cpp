#include "QueryPlan.h"

#include <memcube/MemCube.h>

namespace memcube {

support::Ref<ZELT_o::ViewResultSet> computeQuery(MemCube& cube, QueryPlan const& plan) {
    auto result = applyFilters(cube, plan.filters.get(), plan.layout, cube.evaluate(plan.layout));
    return orderBySorts(cube, plan.sorts, std::move(result));
}

}  // namespace memcube
