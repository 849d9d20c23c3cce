// memcube's reading of a viewpoint's filters and tuple filters (what they mean, and which
// expressions memcube evaluates: ZELT_o::Filter): the lines they exclude are taken out of a
// computed result.
#pragma once

#include <memcube/Layout.h>
#include <pova/ViewResultSet.h>
#include <pova/support/Ref.h>

#include <memory>
#include <vector>

namespace common {
class ViewpointCommon;
}

namespace memcube {

class MemCube;

// The code of a filter memcube cannot evaluate (module "memcube"; inserts: the filter's name
// and the reason).
inline constexpr unsigned kFilterNotEvaluated = 0xC201C100u;

// The viewpoint's applied filters and tuple filters for the result axes of `layout`, read and
// compiled now, so that a result computed later does not depend on the viewpoint's state then.
// `viewAxes[r]` is the viewpoint axis that result axis r shows. Null when no filter applies.
// Filters whose dimensions do not all stand on one result axis, and tuple filters that do not
// fit their axis, are left out. A filter memcube cannot evaluate raises kFilterNotEvaluated.
struct FilterPlan;
std::shared_ptr<FilterPlan const> planFilters(MemCube& cube, common::ViewpointCommon& viewpoint,
                                              Layout const& layout,
                                              std::vector<LONG> const& viewAxes);

// `result` is the result of `layout`, which planFilters read. Returns `result` when no filter of
// the plan takes a line out, else a new result without those lines; axes that leave out empty
// lines then also lose the lines that became empty. Filters that read measures query the cube.
support::Ref<ZELT_o::ViewResultSet> applyFilters(MemCube& cube, FilterPlan const* plan,
                                                 Layout const& layout,
                                                 support::Ref<ZELT_o::ViewResultSet> result);

}  // namespace memcube
