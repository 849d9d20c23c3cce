// memcube's reading of a viewpoint's filters and tuple filters (what they mean, and which
// expressions memcube evaluates: ZELT_o::Filter): the lines they exclude are taken out of a
// computed result.
#pragma once

#include <memcube/Layout.h>
#include <pova/ViewResultSet.h>
#include <pova/support/Ref.h>

#include <vector>

namespace common {
class ViewpointCommon;
}

namespace memcube {

class MemCube;

// The code of a filter memcube cannot evaluate (module "memcube"; inserts: the filter's name
// and the reason).
inline constexpr unsigned kFilterNotEvaluated = 0xC201C100u;

// `result` is the result of `layout`, which `viewpoint` described; `viewAxes[r]` is the
// viewpoint axis that result axis r shows. Returns `result` when no applied filter takes a line
// out, else a new result without those lines; axes that leave out empty lines then also lose
// the lines that became empty. Filters whose dimensions do not all stand on one result axis,
// and tuple filters that do not fit their axis, take nothing out. A filter memcube cannot
// evaluate raises kFilterNotEvaluated.
support::Ref<ZELT_o::ViewResultSet> applyFilters(MemCube& cube, common::ViewpointCommon& viewpoint,
                                                 Layout const& layout,
                                                 std::vector<LONG> const& viewAxes,
                                                 support::Ref<ZELT_o::ViewResultSet> result);

}  // namespace memcube
