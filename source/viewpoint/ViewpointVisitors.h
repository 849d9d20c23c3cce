// The tree walks of a viewpoint: each visitor calls one modifier operation on the viewpoints
// it reaches. The root of a walk is always reached; a child is reached when the visitor's
// condition holds for it, and a child that is not reached is skipped with its whole subtree.
#pragma once

#include <basekit/PovaString.h>
#include <pova/common/ViewpointCommon.h>
#include <pova/common/ViewpointModifier.h>

#include <vector>

namespace common {

// A visitor from a reach condition and an operation.
template <class Reaches, class Apply>
class ConditionalVisitor : public ViewpointVisitor {
public:
    ConditionalVisitor(Reaches reaches, Apply apply)
        : fReaches(std::move(reaches)), fApply(std::move(apply)) {}
    bool visit(ViewpointCommon& viewpoint, ViewpointModifier& modifier, bool isRoot) override {
        if (!isRoot && !fReaches(viewpoint)) {
            return false;
        }
        fApply(modifier, isRoot);
        return true;
    }

private:
    Reaches fReaches;
    Apply fApply;
};

template <class Reaches, class Apply>
ConditionalVisitor<Reaches, Apply> makeVisitor(Reaches reaches, Apply apply) {
    return ConditionalVisitor<Reaches, Apply>(std::move(reaches), std::move(apply));
}

// Reach conditions.
inline auto always() {
    return [](ViewpointCommon&) { return true; };
}
inline auto axisLinked() {
    return [](ViewpointCommon& child) { return child.getAxisLinkMode() == ZELT_o::kLinkBase; };
}
inline auto linkedMode(ZELT_o::LinkMode mode) {
    return mode == 1 || mode == 2;
}
inline auto sortLinked() {
    return [](ViewpointCommon& child) { return linkedMode(child.getSortLinkMode()); };
}
inline auto filterLinked() {
    return [](ViewpointCommon& child) { return linkedMode(child.getFilterLinkMode()); };
}
inline auto formatLinked() {
    return [](ViewpointCommon& child) { return linkedMode(child.getFormatLinkMode()); };
}
inline auto dimensionLinked(ZELT_o::Dimension const* dimension) {
    return [dimension](ViewpointCommon& child) {
        return child.getDimensionLinkMode(dimension) == ZELT_o::kLinkBase;
    };
}

// The named walks.
inline auto ConnectedVisitor() {
    return makeVisitor(always(), [](ViewpointModifier& m, bool) { m.notifyConnectedToCube(); });
}
inline auto DisconnectionVisitor(bool flag) {
    return makeVisitor(always(),
                       [flag](ViewpointModifier& m, bool) { m.notifyDisconnected(flag); });
}
inline auto SendEventsVisitor() {
    return makeVisitor(always(), [](ViewpointModifier& m, bool) { m.sendQueuedEvents(false); });
}
inline auto ForceSendEventsVisitor() {
    return makeVisitor(always(), [](ViewpointModifier& m, bool) { m.sendQueuedEvents(true); });
}
inline auto BeginHoldEventsVisitor() {
    return makeVisitor(always(), [](ViewpointModifier& m, bool) { m.notifyHoldingEvents(); });
}
inline auto ReleaseEventsVisitor() {
    return makeVisitor(always(), [](ViewpointModifier& m, bool) { m.notifyReleasingEvents(); });
}
inline auto OperationsUndoneVisitor() {
    return makeVisitor(always(), [](ViewpointModifier& m, bool) { m.notifyOperationsUndone(); });
}
inline auto SubTotalVisitor(ZELT_o::SubTotal* subTotal) {
    return makeVisitor(
        always(), [subTotal](ViewpointModifier& m, bool) { m.notifySubTotalChanged(subTotal); });
}
inline auto MemberLabelVisitor(PovaString const& name) {
    return makeVisitor(always(),
                       [name](ViewpointModifier& m, bool) { m.notifyMemberLabelChanged(name); });
}
inline auto LabelChangeVisitor() {
    return makeVisitor(always(), [](ViewpointModifier& m, bool) { m.notifyMemberLabelChanged(); });
}
inline auto AxisInfoVisitor(PovaString const& name) {
    return makeVisitor(always(),
                       [name](ViewpointModifier& m, bool) { m.notifyAxisInfoChanged(name); });
}
inline auto CellChangeVisitor() {
    return makeVisitor(always(), [](ViewpointModifier& m, bool) { m.notifyCubeDataChanged(); });
}
inline auto SortVisitor(ZELT_o::Sort* sort) {
    return makeVisitor(sortLinked(),
                       [sort](ViewpointModifier& m, bool) { m.notifySortChanged(sort); });
}
inline auto FilterVisitor(ZELT_o::Filter* filter) {
    return makeVisitor(filterLinked(),
                       [filter](ViewpointModifier& m, bool) { m.notifyFilterChanged(filter); });
}
inline auto FormatVisitor(ZELT_o::Format* format) {
    return makeVisitor(formatLinked(),
                       [format](ViewpointModifier& m, bool) { m.notifyFormatChanged(format); });
}
inline auto StyleVisitor(ZELT_o::Format* format) {
    return makeVisitor(formatLinked(),
                       [format](ViewpointModifier& m, bool) { m.notifyStyleChanged(format); });
}
inline auto AxisTypeChangedVisitor(LONG axis, ZELT_o::Viewpoint::AxisType type) {
    return makeVisitor(axisLinked(), [axis, type](ViewpointModifier& m, bool) {
        m.notifyAxisTypeChanged(axis, type);
    });
}
inline auto SidesSetVisitor(ViewpointCommon::Sides& sides) {
    return makeVisitor(axisLinked(),
                       [&sides](ViewpointModifier& m, bool) { m.notifySidesChanged(sides); });
}
inline auto ViewpointReorientVisitor(PovaString const& xml) {
    return makeVisitor(axisLinked(),
                       [xml](ViewpointModifier& m, bool) { m.notifyViewpointReorient(xml); });
}
inline auto UndoViewpointReorientVisitor() {
    return makeVisitor(axisLinked(),
                       [](ViewpointModifier& m, bool) { m.notifyUndoViewpointReorient(); });
}
inline auto UndoDimensionMoveVisitor() {
    return makeVisitor(axisLinked(),
                       [](ViewpointModifier& m, bool) { m.nofityUndoDimensionMoved(); });
}
inline auto UndoDimensionSwapVisitor() {
    return makeVisitor(axisLinked(),
                       [](ViewpointModifier& m, bool) { m.nofityUndoDimensionSwapped(); });
}
inline auto ActiveHierarchyVisitor(ZELT_o::Dimension& dimension, ZELT_o::Hierarchy* hierarchy) {
    return makeVisitor(dimensionLinked(&dimension),
                       [&dimension, hierarchy](ViewpointModifier& m, bool) {
                           m.notifyActiveHierarchyChanged(dimension, hierarchy);
                       });
}
inline auto DimensionLinkVisitor(ZELT_o::Dimension& dimension, ZELT_o::LinkMode mode) {
    return makeVisitor(dimensionLinked(&dimension),
                       [&dimension, mode](ViewpointModifier& m, bool isRoot) {
                           m.notifyDimensionLinkModeChanged(dimension, mode, isRoot);
                       });
}
inline auto ActiveSetVisitor(ZELT_o::MemberSet& set) {
    return makeVisitor(dimensionLinked(set.getDimension()),
                       [&set](ViewpointModifier& m, bool) { m.notifyActiveSetChanged(set); });
}
inline auto ActiveSelVisitor(ZELT_o::MemberSet& set) {
    return makeVisitor(dimensionLinked(set.getDimension()),
                       [&set](ViewpointModifier& m, bool) { m.notifyActiveSelectionChanged(set); });
}
inline auto ActiveSliceVisitor(ZELT_o::Member& member) {
    return makeVisitor(
        dimensionLinked(member.getDimension()),
        [&member](ViewpointModifier& m, bool) { m.notifyActiveSliceChanged(member); });
}
inline auto ActiveSetChangeUndoVisitor(ZELT_o::MemberSet& set) {
    return makeVisitor(dimensionLinked(set.getDimension()),
                       [](ViewpointModifier& m, bool) { m.notifyUndoActiveSetChanged(); });
}

// Walks the layout changes of the orientation operations reach: the viewpoints that copy
// their parent's orientation.
inline auto DimensionMoveVisitor(LONG fromAxis, LONG fromPosition, LONG toAxis, LONG toPosition) {
    return makeVisitor(axisLinked(), [=](ViewpointModifier& m, bool) {
        m.notifyDimensionMoved(fromAxis, fromPosition, toAxis, toPosition);
    });
}
inline auto DimensionSwapVisitor(LONG axisA, LONG positionA, LONG axisB, LONG positionB) {
    return makeVisitor(axisLinked(), [=](ViewpointModifier& m, bool) {
        m.notifyDimensionSwapped(axisA, positionA, axisB, positionB);
    });
}
inline auto AxesSwapVisitor(LONG axisA, LONG axisB) {
    return makeVisitor(axisLinked(),
                       [=](ViewpointModifier& m, bool) { m.notifyAxesSwapped(axisA, axisB); });
}
inline auto ExcludeNullsVisitor(LONG axis, bool flag) {
    return makeVisitor(
        axisLinked(), [=](ViewpointModifier& m, bool) { m.notifyExcludeNullsChanged(axis, flag); });
}

}  // namespace common
