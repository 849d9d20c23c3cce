/// @class common::ViewpointModifier
/// The interface through which commands, member sets and tree walks
/// report changes to a viewpoint. Each notify operation updates the viewpoint's own state and
/// queues the matching events; none of them sends events except sendQueuedEvents.
#pragma once

#include <basekit/PovaString.h>
#include <pova/Types.h>
#include <pova/Viewpoint.h>
#include <pova/pova_export.h>

#include <vector>

namespace ZELT_o {
class Dimension;
class Filter;
class Format;
class Hierarchy;
class Member;
class MemberSet;
class Sort;
class SubTotal;
}  // namespace ZELT_o

namespace common {

class POVA_API ViewpointModifier {
public:
    ///@{
    /// A sort, subtotal, filter or format of the viewpoint changed.
    virtual void notifySortChanged(ZELT_o::Sort* sort) = 0;
    virtual void notifySubTotalChanged(ZELT_o::SubTotal* subTotal) = 0;
    virtual void notifyFilterChanged(ZELT_o::Filter* filter) = 0;
    virtual void notifyFormatChanged(ZELT_o::Format* format) = 0;
    ///@}
    ///@{
    /// The viewpoint connected to its cube, or was disconnected (false when the cube went away).
    virtual void notifyConnectedToCube() = 0;
    virtual void notifyDisconnected(bool flag) = 0;
    ///@}
    ///@{
    /// A dimension got a new slice, member set or selection, or a member-set change was undone, or
    /// a dimension got a new active hierarchy.
    virtual void notifyActiveSliceChanged(ZELT_o::Member& member) = 0;
    virtual void notifyActiveSetChanged(ZELT_o::MemberSet& set) = 0;
    virtual void notifyUndoActiveSetChanged() = 0;
    virtual void notifyActiveSelectionChanged(ZELT_o::MemberSet& set) = 0;
    virtual void notifyActiveHierarchyChanged(ZELT_o::Dimension& dimension,
                                              ZELT_o::Hierarchy* hierarchy) = 0;
    ///@}
    /// A dimension now keeps its own state, or shares its base's; `isRoot` on the viewpoint where
    /// the change started.
    virtual void notifyDimensionLinkModeChanged(ZELT_o::Dimension& dimension, ZELT_o::LinkMode mode,
                                                bool isRoot) = 0;
    /// The layout was replaced by `sides`.
    virtual void notifySidesChanged(std::vector<std::vector<ZELT_o::Dimension*>>& sides) = 0;
    /// The calculated members of a hierarchy changed.
    virtual void notifyCalculationChange(ZELT_o::Hierarchy& hierarchy) = 0;
    ///@{
    /// A dimension moved, two dimensions exchanged places, or one of those changes was undone.
    virtual void notifyDimensionMoved(LONG fromAxis, LONG fromPosition, LONG toAxis,
                                      LONG toPosition) = 0;
    virtual void nofityUndoDimensionMoved() = 0;
    virtual void notifyDimensionSwapped(LONG axisA, LONG positionA, LONG axisB, LONG positionB) = 0;
    virtual void nofityUndoDimensionSwapped() = 0;
    ///@}
    /// Two axes exchanged their contents.
    virtual void notifyAxesSwapped(LONG axisA, LONG axisB) = 0;
    ///@{
    /// A member's label changed: of a dimension, of a unique name, or any.
    virtual void notifyMemberLabelChanged(ZELT_o::Dimension& dimension) = 0;
    virtual void notifyMemberLabelChanged(PovaString const& uniqueName) = 0;
    virtual void notifyMemberLabelChanged() = 0;
    ///@}
    /// The style of a format changed.
    virtual void notifyStyleChanged(ZELT_o::Format* format) = 0;
    /// An axis now leaves out (or shows) its empty lines.
    virtual void notifyExcludeNullsChanged(LONG axis, bool flag) = 0;
    ///@{
    /// A transition started, ended, or was abandoned (Viewpoint::holdEvents).
    virtual void notifyHoldingEvents() = 0;
    virtual void notifyReleasingEvents() = 0;
    virtual void notifyOperationsUndone() = 0;
    ///@}
    /// The cube's data changed: the cells must be queried again.
    virtual void notifyCubeDataChanged() = 0;
    /// The axis information of the dimension of that unique name changed.
    virtual void notifyAxisInfoChanged(PovaString const& uniqueName) = 0;
    /// An axis got a new type.
    virtual void notifyAxisTypeChanged(LONG axis, ZELT_o::Viewpoint::AxisType type) = 0;
    ///@{
    /// The layout was replaced by the one the text describes, or that change was undone.
    virtual void notifyViewpointReorient(PovaString xml) = 0;
    virtual void notifyUndoViewpointReorient() = 0;
    ///@}
    /// Sends the queued events; with `force` even while events are held.
    virtual void sendQueuedEvents(bool force) = 0;

protected:
    ViewpointModifier() = default;
    virtual ~ViewpointModifier();

public:
    ViewpointModifier(ViewpointModifier const&) = delete;
    ViewpointModifier& operator=(ViewpointModifier const&) = delete;
};

class ViewpointCommon;

/// Walks a viewpoint and its tree of child viewpoints (see ViewpointCommon::visitTree).
class POVA_API ViewpointVisitor {
public:
    /// Calls one modifier operation on the visited viewpoint when it is to be reached; returns
    /// whether to descend into its children.
    virtual bool visit(ViewpointCommon& viewpoint, ViewpointModifier& modifier, bool isRoot) = 0;
    virtual ~ViewpointVisitor();

protected:
    ViewpointVisitor() = default;
    ///@{
    /// Copied only as part of a derived object.
    ViewpointVisitor(ViewpointVisitor const&) = default;
    ViewpointVisitor& operator=(ViewpointVisitor const&) = default;
    ///@}
};

}  // namespace common
