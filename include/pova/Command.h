/// @file
/// The command class tree: a command records one operation and applies it with execute() and
/// takes it back with undo(); execute() after undo() applies it again.
///
/// A viewpoint's commands keep a plain pointer to it: the viewpoint must outlive them. Objects
/// given to a recording operation are held with a reference until the command goes. A command
/// is used from one thread at a time; addRef and release may come from any thread.
#pragma once

#include <basekit/PovaString.h>
#include <pova/Viewpoint.h>
#include <pova/pova_export.h>
#include <pova/support/LegacyRefCount.h>

#include <vector>

namespace ZELT_o {

class Dimension;
class Filter;
class Hierarchy;
class Member;
class MemberSet;
class Sort;

/// The root of the command tree: one recorded operation, applied and taken back.
class POVA_API Command : public support::LegacyRefCount {
public:
    /// Applies the recorded operation (again, after an undo).
    virtual void execute() = 0;
    /// Takes back what the last execute() did.
    virtual void undo() = 0;

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    Command(char const* module, LONG instance) : support::LegacyRefCount(module, instance) {}
    ~Command() override;
};

/// A command that acts on one viewpoint (Viewpoint::createCommand makes them).
class POVA_API ViewpointCommand : public Command {
public:
    /// Hands the command an XML text (what it does with it is the kind's own business).
    virtual void setXmlText(PovaString const& text) = 0;

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    ViewpointCommand(char const* module, LONG instance) : Command(module, instance) {}
    ~ViewpointCommand() override;
};

/// Changes the layout or the active selections. Record exactly one operation, then execute.
/// Positions are (axis, index on the axis).
class POVA_API BasicViewpointCommand : public ViewpointCommand {
public:
    ///@{
    /// Record a layout change: two dimensions exchange places, two axes exchange their contents, or
    /// a dimension moves to (toAxis, toIndex); positions are (axis, index on the axis).
    virtual void SwapDimensions(LONG fromAxis, LONG fromIndex, LONG toAxis, LONG toIndex) = 0;
    virtual void SwapAxes(LONG axis1, LONG axis2) = 0;
    virtual void MoveDimensions(LONG fromAxis, LONG fromIndex, LONG toAxis, LONG toIndex) = 0;
    ///@}
    /// 0 the viewpoint keeps its own layout; 1 or 2 it copies its base's.
    virtual void SetAxisLinkMode(LONG mode) = 0;
    ///@{
    /// Record a dimension's placement on an axis, or whether it keeps its own state (link mode 0)
    /// or shares its base's (2).
    virtual void SetDimensions(Dimension* dimension, LONG axis, bool flag) = 0;
    virtual void SetDimensionLinkMode(Dimension* dimension, LONG mode) = 0;
    ///@}
    /// Records a whole new layout: the dimensions of every axis.
    virtual void SetSides(std::vector<std::vector<Dimension*>> const& sides) = 0;
    ///@{
    /// Record a new active hierarchy, member set, slice or selection for a dimension.
    virtual void SetActiveHierarchy(Dimension* dimension, Hierarchy* hierarchy) = 0;
    virtual void SetActiveMemberSet(Dimension* dimension, MemberSet* set) = 0;
    virtual void SetActiveSlice(Dimension* dimension, Member* member) = 0;
    virtual void SetActiveSelection(Dimension* dimension, MemberSet* set) = 0;
    ///@}
    /// Records whether an axis leaves out its empty lines.
    virtual void SetExcludeNULLLines(LONG axis, bool flag) = 0;
    /// Records a layout built from an expression.
    virtual void InitFromExpression(PovaString const& expression) = 0;
    ///@{
    /// Record the start or the end of a transition (Viewpoint::holdEvents, releaseEvents).
    virtual void HoldEvents() = 0;
    virtual void ReleaseEvents() = 0;
    ///@}
    /// 1 when undo() means something, 0 when the execution changed nothing worth undoing.
    virtual LONG isUndoable() = 0;
    /// Records a new type for an axis.
    virtual void ChangeAxisType(LONG axis, Viewpoint::AxisType type) = 0;
    /// Records a layout given as text.
    virtual void Reorient(PovaString const& text) = 0;

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    BasicViewpointCommand(char const* module, LONG instance) : ViewpointCommand(module, instance) {}
    ~BasicViewpointCommand() override;
};

/// Groups commands: executes them in order and undoes them in the same order. The transaction
/// holds a reference to each child.
class POVA_API Transaction : public ViewpointCommand {
public:
    ///@{
    /// Adds a child (the transaction takes a reference) or removes one.
    virtual void addCommand(ViewpointCommand* command) = 0;
    virtual void removeCommand(ViewpointCommand* command) = 0;
    ///@}
    /// Marks the group as one transaction of the viewpoint's history.
    virtual void markTransaction() = 0;
    /// The layout (axes of dimension unique names) to apply before the children execute.
    virtual void setAxes(std::vector<std::vector<PovaString>> const& axes) = 0;

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    Transaction(char const* module, LONG instance) : ViewpointCommand(module, instance) {}
    ~Transaction() override;
};

/// Adds, removes, reorders and clears a viewpoint's sorts. Record one operation, then execute.
class POVA_API SortViewpointCommand : public ViewpointCommand {
public:
    /// The command's new sort, to fill before AddSort(); borrowed, null once handed over.
    virtual Sort* getNewSort() = 0;
    /// Records the addition of getNewSort() and returns it.
    virtual Sort* AddSort() = 0;
    ///@{
    /// Record the removal of one sort or of all, the exchange of two sorts' places, the removal of
    /// an axis's sorts, or a sort made descending instead of ascending (or back) or flat instead of
    /// within each parent.
    virtual void RemoveSort(LONG id) = 0;
    virtual void RemoveAllSorts() = 0;
    virtual void Swap(LONG a, LONG b) = 0;
    virtual void ClearAxis(LONG axis) = 0;
    virtual void ReverseSort(LONG id) = 0;
    virtual void BreakHierarchy(LONG id) = 0;
    ///@}
    /// Records whether the viewpoint keeps its own sorts or reads its base's.
    virtual bool SetSortLinkMode(LinkMode mode) = 0;

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    SortViewpointCommand(char const* module, LONG instance) : ViewpointCommand(module, instance) {}
    ~SortViewpointCommand() override;
};

/// Changes a viewpoint's subtotals.
class POVA_API SubTotalViewpointCommand : public ViewpointCommand {
protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    SubTotalViewpointCommand(char const* module, LONG instance)
        : ViewpointCommand(module, instance) {}
    ~SubTotalViewpointCommand() override;
};

/// Adds, removes, reorders and clears filters and tuple filters, or switches the filter link
/// mode. Record exactly one operation, then execute. Filters handed out are borrowed from the
/// command, which holds its own until it goes.
class POVA_API FilterViewpointCommand : public ViewpointCommand {
public:
    /// The filter AddFilter adds, made empty on first use; the caller fills it in.
    virtual Filter* getNewFilter() = 0;
    /// Returns its argument.
    virtual Filter* passThrough(Filter* filter) = 0;
    /// Records the addition of getNewFilter() and returns it.
    virtual Filter* AddFilter() = 0;
    ///@{
    /// Record the removal of a filter, or of a tuple filter of an axis.
    virtual void RemoveFilter(LONG id) = 0;
    virtual void RemoveTupleFilter(LONG id, LONG axis) = 0;
    ///@}
    /// Removes the filters that apply to the axis.
    virtual void ClearAxis(LONG axis) = 0;
    ///@{
    /// Record the removal of every filter, or of every tuple filter of an axis.
    virtual void RemoveAllFilters() = 0;
    virtual void RemoveAllTupleFilters(LONG axis) = 0;
    ///@}
    /// Exchanges the places of two filters in the order of filters.
    virtual void Swap(LONG first, LONG second) = 0;
    /// Records whether the viewpoint keeps its own filters (0) or reads its base's.
    virtual void SetFilterLinkMode(LONG mode) = 0;

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    FilterViewpointCommand(char const* module, LONG instance)
        : ViewpointCommand(module, instance) {}
    ~FilterViewpointCommand() override;
};

/// A command that changes a member set.
class POVA_API MemberSetCommand : public Command {
protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    MemberSetCommand(char const* module, LONG instance) : Command(module, instance) {}
    ~MemberSetCommand() override;
};

}  // namespace ZELT_o
