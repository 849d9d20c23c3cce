#include "MemViewpoint.h"

#include <memcube/MemCube.h>
#include <pova/Dimension.h>
#include <pova/Hierarchy.h>
#include <pova/MemberSet.h>
#include <pova/common/ViewpointCommon.h>
#include <pova/support/Ref.h>

namespace memcube {

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
    return memCube != nullptr && !memCube->canEvaluate(layoutOf(owner));
}

Layout MemViewpoint::layoutOf(ZELT_o::Viewpoint& viewpoint) {
    Layout layout;
    LONG const viewAxes = viewpoint.countAxes();
    LONG const axes = viewAxes + viewpoint.countPagedAxes();
    for (LONG axis = 0; axis < axes; ++axis) {
        ZELT_o::Viewpoint::AxisType const type = viewpoint.getAxisType(axis);
        if (type == ZELT_o::Viewpoint::kHidden || type == ZELT_o::Viewpoint::kExcluded) {
            continue;
        }
        // A copy: asking for member sets may change the viewpoint's state.
        std::vector<ZELT_o::Dimension*> const dimensions = viewpoint.getAxisDimensions(axis);
        if (axis < viewAxes && type != ZELT_o::Viewpoint::kSlice) {
            Layout::Axis result;
            result.excludeEmpty = viewpoint.isAxisNULLFiltered(axis);
            for (ZELT_o::Dimension* dimension : dimensions) {
                result.nests.push_back(active_set(viewpoint, *dimension));
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

// Until the viewpoint keeps active sets and slices, those of the default hierarchy stand in.
std::vector<ZELT_o::Member*> MemViewpoint::active_set(ZELT_o::Viewpoint& /*viewpoint*/,
                                                      ZELT_o::Dimension& dimension) {
    ZELT_o::Hierarchy* hierarchy = dimension.getDefaultHierarchy();
    auto set = support::adopt(hierarchy->createMemberSet(0, hierarchy->getDefaultMember()));
    std::vector<ZELT_o::Member*> members;
    set->getMembers(members);
    return members;
}

ZELT_o::Member* MemViewpoint::active_slice(ZELT_o::Viewpoint& /*viewpoint*/,
                                           ZELT_o::Dimension& dimension) {
    return dimension.getDefaultHierarchy()->getDefaultMember();
}

}  // namespace memcube
