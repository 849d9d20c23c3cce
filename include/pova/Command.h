// The command class tree: a command records one operation and applies it with execute() and
// takes it back with undo(); execute() after undo() applies it again.
//
// A viewpoint's commands keep a plain pointer to it: the viewpoint must outlive them. Objects
// given to a recording operation are held with a reference until the command goes. A command
// is used from one thread at a time; addRef and release may come from any thread.
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

class POVA_API Command : public support::LegacyRefCount {
public:
    virtual void execute() = 0;
    virtual void undo() = 0;

protected:
    Command(char const* module, LONG instance) : support::LegacyRefCount(module, instance) {}
    ~Command() override;
};

class POVA_API ViewpointCommand : public Command {
public:
    // Hands the command an XML text (what it does with it is the kind's own business).
    virtual void setXmlText(PovaString const& text) = 0;

protected:
    ViewpointCommand(char const* module, LONG instance) : Command(module, instance) {}
    ~ViewpointCommand() override;
};

// Changes the layout or the active selections. Record exactly one operation, then execute.
// Positions are (axis, index on the axis).
class POVA_API BasicViewpointCommand : public ViewpointCommand {
public:
    virtual void SwapDimensions(LONG fromAxis, LONG fromIndex, LONG toAxis, LONG toIndex) = 0;
    virtual void SwapAxes(LONG axis1, LONG axis2) = 0;
    virtual void MoveDimensions(LONG fromAxis, LONG fromIndex, LONG toAxis, LONG toIndex) = 0;
    // 0 the viewpoint keeps its own layout; 1 or 2 it copies its base's.
    virtual void SetAxisLinkMode(LONG mode) = 0;
    virtual void SetDimensions(Dimension* dimension, LONG axis, bool flag) = 0;
    virtual void SetDimensionLinkMode(Dimension* dimension, LONG mode) = 0;
    virtual void SetSides(std::vector<std::vector<Dimension*>> const& sides) = 0;
    virtual void SetActiveHierarchy(Dimension* dimension, Hierarchy* hierarchy) = 0;
    virtual void SetActiveMemberSet(Dimension* dimension, MemberSet* set) = 0;
    virtual void SetActiveSlice(Dimension* dimension, Member* member) = 0;
    virtual void SetActiveSelection(Dimension* dimension, MemberSet* set) = 0;
    virtual void SetExcludeNULLLines(LONG axis, bool flag) = 0;
    virtual void InitFromExpression(PovaString const& expression) = 0;
    virtual void HoldEvents() = 0;
    virtual void ReleaseEvents() = 0;
    // 1 when undo() means something, 0 when the execution changed nothing worth undoing.
    virtual LONG isUndoable() = 0;
    virtual void ChangeAxisType(LONG axis, Viewpoint::AxisType type) = 0;
    virtual void Reorient(PovaString const& text) = 0;

protected:
    BasicViewpointCommand(char const* module, LONG instance) : ViewpointCommand(module, instance) {}
    ~BasicViewpointCommand() override;
};

// Groups commands: executes them in order and undoes them in the same order. The transaction
// holds a reference to each child.
class POVA_API Transaction : public ViewpointCommand {
public:
    virtual void addCommand(ViewpointCommand* command) = 0;
    virtual void removeCommand(ViewpointCommand* command) = 0;
    virtual void markTransaction() = 0;
    // The layout (axes of dimension unique names) to apply before the children execute.
    virtual void setAxes(std::vector<std::vector<PovaString>> const& axes) = 0;

protected:
    Transaction(char const* module, LONG instance) : ViewpointCommand(module, instance) {}
    ~Transaction() override;
};

// Adds, removes, reorders and clears a viewpoint's sorts. Record one operation, then execute.
class POVA_API SortViewpointCommand : public ViewpointCommand {
public:
    // The command's new sort, to fill before AddSort(); borrowed, null once handed over.
    virtual Sort* getNewSort() = 0;
    virtual Sort* AddSort() = 0;
    virtual void RemoveSort(LONG id) = 0;
    virtual void RemoveAllSorts() = 0;
    virtual void Swap(LONG a, LONG b) = 0;
    virtual void ClearAxis(LONG axis) = 0;
    virtual void ReverseSort(LONG id) = 0;
    virtual void BreakHierarchy(LONG id) = 0;
    virtual bool SetSortLinkMode(LinkMode mode) = 0;

protected:
    SortViewpointCommand(char const* module, LONG instance) : ViewpointCommand(module, instance) {}
    ~SortViewpointCommand() override;
};

class POVA_API SubTotalViewpointCommand : public ViewpointCommand {
protected:
    SubTotalViewpointCommand(char const* module, LONG instance)
        : ViewpointCommand(module, instance) {}
    ~SubTotalViewpointCommand() override;
};

// Adds, removes, reorders and clears filters and tuple filters, or switches the filter link
// mode. Record exactly one operation, then execute. Filters handed out are borrowed from the
// command, which holds its own until it goes.
class POVA_API FilterViewpointCommand : public ViewpointCommand {
public:
    // The filter AddFilter adds, made empty on first use; the caller fills it in.
    virtual Filter* getNewFilter() = 0;
    // Returns its argument.
    virtual Filter* passThrough(Filter* filter) = 0;
    // Records the addition of getNewFilter() and returns it.
    virtual Filter* AddFilter() = 0;
    virtual void RemoveFilter(LONG id) = 0;
    virtual void RemoveTupleFilter(LONG id, LONG axis) = 0;
    // Removes the filters that apply to the axis.
    virtual void ClearAxis(LONG axis) = 0;
    virtual void RemoveAllFilters() = 0;
    virtual void RemoveAllTupleFilters(LONG axis) = 0;
    // Exchanges the places of two filters in the order of filters.
    virtual void Swap(LONG first, LONG second) = 0;
    virtual void SetFilterLinkMode(LONG mode) = 0;

protected:
    FilterViewpointCommand(char const* module, LONG instance)
        : ViewpointCommand(module, instance) {}
    ~FilterViewpointCommand() override;
};

class POVA_API MemberSetCommand : public Command {
protected:
    MemberSetCommand(char const* module, LONG instance) : Command(module, instance) {}
    ~MemberSetCommand() override;
};

}  // namespace ZELT_o
