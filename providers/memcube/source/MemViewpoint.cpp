#include "MemViewpoint.h"

#include "DeferredResultSet.h"
#include "MemDimension.h"
#include "MemHierarchy.h"
#include "MemMember.h"
#include "MemMemberSet.h"
#include "QueryEngine.h"
#include "QueryPlan.h"

#include <memcube/MemCube.h>
#include <pova/Dimension.h>
#include <pova/Hierarchy.h>
#include <pova/MemberSet.h>
#include <pova/common/ViewpointCommon.h>
#include <pova/support/Ref.h>

#include <array>
#include <bitset>
#include <type_traits>
#include <typeinfo>

namespace memcube {

namespace {

// The quick check keeps the dimensions a layout uses in a bitset of this size.
constexpr std::size_t kTrackedDimensions = 256;

// The classes are final, so comparing the dynamic type is an exact dynamic_cast, and a much
// cheaper one: the check runs on every layout change.
template <class Exact, class Base>
Exact* exact_cast(Base* object) {
    static_assert(std::is_final_v<Exact>);
    return object != nullptr && typeid(*object) == typeid(Exact) ? static_cast<Exact*>(object)
                                                                 : nullptr;
}

bool is_result_axis(LONG axis, LONG viewAxes, ZELT_o::Viewpoint::AxisType type) {
    return axis < viewAxes && type != ZELT_o::Viewpoint::kSlice;
}

bool is_shown(ZELT_o::Viewpoint::AxisType type) {
    return type != ZELT_o::Viewpoint::kHidden && type != ZELT_o::Viewpoint::kExcluded;
}

// The viewpoint axes that layoutOf makes result axes, in order.
std::vector<LONG> result_axes(ZELT_o::Viewpoint& viewpoint) {
    std::vector<LONG> axes;
    LONG const viewAxes = viewpoint.countAxes();
    for (LONG axis = 0; axis < viewAxes + viewpoint.countPagedAxes(); ++axis) {
        ZELT_o::Viewpoint::AxisType const type = viewpoint.getAxisType(axis);
        if (is_shown(type) && is_result_axis(axis, viewAxes, type)) {
            axes.push_back(axis);
        }
    }
    return axes;
}

}  // namespace

MemViewpoint::MemViewpoint(common::ViewpointCommon& viewpoint)
    : common::ViewpointBase(viewpoint),
      fCube(dynamic_cast<MemCube*>(support::adopt(viewpoint.getCube()).get())) {}

MemViewpoint::~MemViewpoint() = default;

ZELT_o::ViewResultSet* MemViewpoint::query(
    std::vector<ZELT_o::PropertySpecification>* /*properties*/) {
    if (fCube == nullptr) {
        return nullptr;
    }
    QueryPlan plan;
    plan.layout = layoutOf(viewpoint());
    std::vector<LONG> const axes = result_axes(viewpoint());
    plan.filters = planFilters(*fCube, viewpoint(), plan.layout, axes);
    plan.sorts = planSorts(viewpoint(), axes);
    // Cells from a database are computed when first asked for, so that a chunk request can be
    // cancelled while its statement runs. A layout that cannot be computed fails here and now.
    if (fCube->factSource() != nullptr && fCube->canEvaluate(plan.layout)) {
        auto result =
            support::adopt(new DeferredResultSet(support::retain(fCube), std::move(plan)));
        replace_pending(result);
        return result.detach();
    }
    auto result = computeQuery(*fCube, plan);
    replace_pending(nullptr);
    return result.detach();
}

void MemViewpoint::viewpointChanged() {
    replace_pending(nullptr);
}

// The result the pending one replaced is let go outside the lock.
support::Ref<DeferredResultSet> MemViewpoint::replace_pending(
    support::Ref<DeferredResultSet> pending) {
    std::lock_guard const lock(fPendingMutex);
    std::swap(pending, fPending);
    return pending;
}

bool MemViewpoint::isInError() const {
    return fCube != nullptr && !canEvaluate(*fCube, viewpoint());
}

PovaString MemViewpoint::retrieveLastQuery(
    std::vector<ZELT_o::PropertySpecification>* /*properties*/) {
    FactSource* const source = fCube != nullptr ? fCube->factSource() : nullptr;
    if (auto const pending = replace_pending(nullptr)) {
        pending->settle();
    }
    return source != nullptr ? PovaString(source->lastQuery()) : PovaString();
}

Layout MemViewpoint::layoutOf(ZELT_o::Viewpoint& viewpoint) {
    Layout layout;
    LONG const viewAxes = viewpoint.countAxes();
    LONG const axes = viewAxes + viewpoint.countPagedAxes();
    for (LONG axis = 0; axis < axes; ++axis) {
        ZELT_o::Viewpoint::AxisType const type = viewpoint.getAxisType(axis);
        if (!is_shown(type)) {
            continue;
        }
        // A copy: asking for member sets may change the viewpoint's state.
        std::vector<ZELT_o::Dimension*> const dimensions = viewpoint.getAxisDimensions(axis);
        if (is_result_axis(axis, viewAxes, type)) {
            Layout::Axis result;
            result.excludeEmpty = viewpoint.isAxisNULLFiltered(axis);
            for (ZELT_o::Dimension* dimension : dimensions) {
                auto& members = result.nests.emplace_back();
                if (ZELT_o::MemberSet* set = active_set(viewpoint, *dimension)) {
                    set->getMembers(members);
                }
            }
            layout.axes.push_back(std::move(result));
        } else {
            for (ZELT_o::Dimension* dimension : dimensions) {
                layout.slices.push_back(active_slice(viewpoint, *dimension));
            }
        }
    }
    return layout;
}

bool MemViewpoint::canEvaluate(MemCube& cube, ZELT_o::Viewpoint& viewpoint) {
    std::optional<bool> const quick = check_sizes(cube, viewpoint);
    return quick ? *quick : cube.canEvaluate(layoutOf(viewpoint));
}

// The query engine's rules, applied to counts: a member set is valid when it is empty or holds
// members of this cube, a slice when it is a member of this cube, and a layout when it uses
// each dimension once; an axis has the product of its member sets' sizes as length.
std::optional<bool> MemViewpoint::check_sizes(MemCube& cube, ZELT_o::Viewpoint& viewpoint) {
    if (static_cast<std::size_t>(cube.countDimensions()) > kTrackedDimensions) {
        return std::nullopt;
    }
    std::bitset<kTrackedDimensions> used;
    auto use = [&used](MemHierarchy const* hierarchy) {
        auto const ordinal = static_cast<std::size_t>(hierarchy->dimension()->getOrdinal());
        bool const first = !used.test(ordinal);
        used.set(ordinal);
        return first;
    };
    CellBudget budget;
    std::array<ZELT_o::Dimension*, kTrackedDimensions> dimensions;
    LONG const viewAxes = viewpoint.countAxes();
    LONG const axes = viewAxes + viewpoint.countPagedAxes();
    for (LONG axis = 0; axis < axes; ++axis) {
        ZELT_o::Viewpoint::AxisType const type = viewpoint.getAxisType(axis);
        if (!is_shown(type)) {
            continue;
        }
        bool const resultAxis = is_result_axis(axis, viewAxes, type);
        // A copy: asking for member sets may change the viewpoint's state.
        std::vector<ZELT_o::Dimension*> const& onAxis = viewpoint.getAxisDimensions(axis);
        std::size_t const count = onAxis.size();
        if (count > dimensions.size()) {
            return std::nullopt;
        }
        std::copy(onAxis.begin(), onAxis.end(), dimensions.begin());
        std::int64_t length = 1;
        for (std::size_t i = 0; i < count; ++i) {
            ZELT_o::Dimension& dimension = *dimensions[i];
            if (!resultAxis) {
                auto* member = exact_cast<MemMember>(active_slice(viewpoint, dimension));
                if (member == nullptr || member->hierarchy()->cube() != &cube ||
                    !use(member->hierarchy())) {
                    return false;
                }
                continue;
            }
            ZELT_o::MemberSet* set = active_set(viewpoint, dimension);
            auto const* memSet = exact_cast<MemMemberSet>(set);
            if (set != nullptr && memSet == nullptr) {
                return std::nullopt;
            }
            LONG const size = memSet != nullptr ? memSet->getCount() : 0;
            if (size > 0 && (memSet->hierarchy()->cube() != &cube || !use(memSet->hierarchy()))) {
                return false;
            }
            length = CellBudget::times(length, size);
        }
        if (resultAxis) {
            budget.addAxis(length, viewpoint.isAxisNULLFiltered(axis));
        }
    }
    return budget.fits();
}

// The viewpoint's state for the dimension, made on first use (borrowed from the viewpoint): a
// member set or slice of any hierarchy of the dimension, the active one by default.
ZELT_o::MemberSet* MemViewpoint::active_set(ZELT_o::Viewpoint& viewpoint,
                                            ZELT_o::Dimension& dimension) {
    return viewpoint.getCurrentSet(dimension);
}

ZELT_o::Member* MemViewpoint::active_slice(ZELT_o::Viewpoint& viewpoint,
                                           ZELT_o::Dimension& dimension) {
    return viewpoint.getCurrentSection(dimension);
}

}  // namespace memcube
