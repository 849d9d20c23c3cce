#include "MemViewpoint.h"

#include "MemDimension.h"
#include "MemHierarchy.h"
#include "MemMember.h"
#include "MemMemberSet.h"
#include "QueryEngine.h"

#include <memcube/MemCube.h>
#include <pova/Dimension.h>
#include <pova/Hierarchy.h>
#include <pova/MemberSet.h>
#include <pova/common/ViewpointCommon.h>

#include <bitset>

namespace memcube {

namespace {

// The quick check keeps the dimensions a layout uses in a bitset of this size.
constexpr std::size_t kTrackedDimensions = 256;

bool is_result_axis(ZELT_o::Viewpoint& viewpoint, LONG axis, ZELT_o::Viewpoint::AxisType type) {
    return axis < viewpoint.countAxes() && type != ZELT_o::Viewpoint::kSlice;
}

bool is_shown(ZELT_o::Viewpoint::AxisType type) {
    return type != ZELT_o::Viewpoint::kHidden && type != ZELT_o::Viewpoint::kExcluded;
}

}  // namespace

MemViewpoint::MemViewpoint(common::ViewpointCommon& viewpoint) : common::ViewpointBase(viewpoint) {}

ZELT_o::ViewResultSet* MemViewpoint::query(
    std::vector<ZELT_o::PropertySpecification>* /*properties*/) {
    ZELT_o::Viewpoint& owner = viewpoint();
    auto cube = support::adopt(owner.getCube());
    auto* memCube = dynamic_cast<MemCube*>(cube.get());
    if (memCube == nullptr) {
        return nullptr;
    }
    return memCube->evaluate(layoutOf(owner)).detach();
}

bool MemViewpoint::isInError() const {
    ZELT_o::Viewpoint& owner = viewpoint();
    auto cube = support::adopt(owner.getCube());
    auto* memCube = dynamic_cast<MemCube*>(cube.get());
    return memCube != nullptr && !canEvaluate(*memCube, owner);
}

Layout MemViewpoint::layoutOf(ZELT_o::Viewpoint& viewpoint) {
    Layout layout;
    LONG const axes = viewpoint.countAxes() + viewpoint.countPagedAxes();
    for (LONG axis = 0; axis < axes; ++axis) {
        ZELT_o::Viewpoint::AxisType const type = viewpoint.getAxisType(axis);
        if (!is_shown(type)) {
            continue;
        }
        // A copy: asking for member sets may change the viewpoint's state.
        std::vector<ZELT_o::Dimension*> const dimensions = viewpoint.getAxisDimensions(axis);
        if (is_result_axis(viewpoint, axis, type)) {
            Layout::Axis result;
            result.excludeEmpty = viewpoint.isAxisNULLFiltered(axis);
            for (ZELT_o::Dimension* dimension : dimensions) {
                auto& members = result.nests.emplace_back();
                if (auto set = active_set(viewpoint, *dimension)) {
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
    LONG const axes = viewpoint.countAxes() + viewpoint.countPagedAxes();
    for (LONG axis = 0; axis < axes; ++axis) {
        ZELT_o::Viewpoint::AxisType const type = viewpoint.getAxisType(axis);
        if (!is_shown(type)) {
            continue;
        }
        bool const resultAxis = is_result_axis(viewpoint, axis, type);
        std::int64_t length = 1;
        // Asking for a member set may change the viewpoint's state, so the list is read
        // afresh for each dimension rather than held.
        for (std::size_t i = 0; i < viewpoint.getAxisDimensions(axis).size(); ++i) {
            ZELT_o::Dimension& dimension = *viewpoint.getAxisDimensions(axis)[i];
            if (!resultAxis) {
                auto* member = dynamic_cast<MemMember*>(active_slice(viewpoint, dimension));
                if (member == nullptr || member->hierarchy()->cube() != &cube ||
                    !use(member->hierarchy())) {
                    return false;
                }
                continue;
            }
            support::Ref<ZELT_o::MemberSet> const set = active_set(viewpoint, dimension);
            auto const* memSet = dynamic_cast<MemMemberSet const*>(set.get());
            if (set && memSet == nullptr) {
                return std::nullopt;
            }
            LONG const count = memSet != nullptr ? memSet->getCount() : 0;
            if (count > 0 && (memSet->hierarchy()->cube() != &cube || !use(memSet->hierarchy()))) {
                return false;
            }
            length = CellBudget::times(length, count);
        }
        if (resultAxis) {
            budget.addAxis(length, viewpoint.isAxisNULLFiltered(axis));
        }
    }
    return budget.fits();
}

// Until the viewpoint keeps active sets and slices, those of the default hierarchy stand in.
support::Ref<ZELT_o::MemberSet> MemViewpoint::active_set(ZELT_o::Viewpoint& /*viewpoint*/,
                                                         ZELT_o::Dimension& dimension) {
    ZELT_o::Hierarchy* hierarchy = dimension.getDefaultHierarchy();
    return support::adopt(hierarchy->createMemberSet(0, hierarchy->getDefaultMember()));
}

ZELT_o::Member* MemViewpoint::active_slice(ZELT_o::Viewpoint& /*viewpoint*/,
                                           ZELT_o::Dimension& dimension) {
    return dimension.getDefaultHierarchy()->getDefaultMember();
}

}  // namespace memcube
