/// @class common::SortViewpointCommandCommon
/// The command that adds, removes, reorders and clears a
/// viewpoint's sorts and switches its sort link mode. A client records one operation, then
/// calls execute() to apply it and undo() to take it back, any number of times in turn.
///
/// To add a sort, fill the sort getNewSort() hands out (name, direction, dimensions), record
/// AddSort() and execute. ReverseSort and BreakHierarchy add a modifier of an existing sort.
///
/// Ownership: born with one reference for its creator. The command owns its new sort until its
/// first execution hands it to the viewpoint; the viewpoint then owns it. Removing a sort only
/// marks it not applied, so that undo can apply it again; a command that was executed asks the
/// viewpoint, when it goes, to free its sort unless the sort is applied. The command keeps a
/// plain pointer to its viewpoint, which must outlive it; the dimensions are the cube's.
///
/// Threads: used from the thread that uses its viewpoint tree; addRef and release from any.
///
/// Failure: an id the viewpoint does not hold (any more: a disconnected viewpoint drops its
/// sorts) raises E_UNEXPECTED as a plain code and changes nothing.
#pragma once

#include <basekit/PovaString.h>
#include <pova/Command.h>
#include <pova/Sort.h>
#include <pova/Types.h>
#include <pova/pova_export.h>

#include <memory>
#include <vector>

// The operations the command performs, listed once: (kind, helper suffix). Kind 4 is both a
// reversing and a hierarchy-breaking modifier.
#define POVA_SORT_COMMAND_KINDS(X) \
    X(1, add_sort)                 \
    X(2, remove_sort)              \
    X(3, clear_sorts)              \
    X(4, add_sort)                 \
    X(5, link_mode)                \
    X(6, clear_sorts)              \
    X(7, swap)

namespace common {

class ViewpointCommon;

class POVA_API SortViewpointCommandCommon : public ZELT_o::SortViewpointCommand {
public:
    /// The recorded operation; 0 while none is recorded.
    enum Kind : LONG {
        kNoOperation = 0,
        kAddSort = 1,
        kRemoveSort = 2,
        kRemoveAllSorts = 3,
        kModifySort = 4,
        kLinkMode = 5,
        kClearAxis = 6,
        kSwap = 7,
    };

    /// A command of `viewpoint` (which must outlive it) with nothing recorded.
    explicit SortViewpointCommandCommon(ViewpointCommon* viewpoint);
    SortViewpointCommandCommon(SortViewpointCommandCommon const&) = delete;
    SortViewpointCommandCommon& operator=(SortViewpointCommandCommon const&) = delete;

    // --- ZELT_o::Command
    /// execute() raises 0xC201120C when nothing is recorded; undo() also before an execution.
    void execute() override;
    void undo() override;
    // --- ZELT_o::ViewpointCommand
    /// Ignored: this command has no XML form.
    void setXmlText(PovaString const& text) override;

    /// The command's new sort (made empty on first use); borrowed from the command, and null
    /// once the first execution has handed it to the viewpoint.
    ZELT_o::Sort* getNewSort() override;
    /// AddSort, RemoveSort, RemoveAllSorts, ReverseSort and BreakHierarchy raise 0xC201120B
    /// when an operation is already recorded; the others replace what was recorded.
    ZELT_o::Sort* AddSort() override;
    void RemoveSort(LONG id) override;
    /// Records the sorts in force now (getAvailableSorts).
    void RemoveAllSorts() override;
    void Swap(LONG a, LONG b) override;
    /// Records the sorts of the axis in force now (getAxisSorts).
    void ClearAxis(LONG axis) override;
    /// Both make a new modifier of sort `id`.
    void ReverseSort(LONG id) override;
    void BreakHierarchy(LONG id) override;
    /// False, recording nothing, for a mode outside 0 to 2.
    bool SetSortLinkMode(ZELT_o::LinkMode mode) override;

    // --- what is recorded, and whether it is applied
    /// What is recorded (Kind).
    LONG getKind() const { return fKind; }
    /// The id of the sort the command adds or removes; -1 before an added sort is entered.
    LONG getSortId() const { return fSortId; }
    /// The ids of the sorts the command removes or clears.
    std::vector<LONG> const& getSortIds() const { return fSortIds; }
    /// The axis the command clears.
    LONG getAxis() const { return fAxis; }
    ///@{
    /// Whether the command is applied now, and whether it was ever executed.
    bool isExecuted() const { return fExecuted; }
    bool wasExecuted() const { return fExecutedOnce; }
    ///@}

protected:
    ~SortViewpointCommandCommon() override;

private:
    void check_nothing_recorded();
    ViewpointCommon& viewpoint();
    bool tracing();
    void trace(int line, char const* function, PovaString const& text);
    unsigned trace_address() const;
    void record_modifier(bool reversing, LONG id);

    // The helpers the kinds table names.
    void execute_add_sort();
    void undo_add_sort();
    void execute_remove_sort();
    void undo_remove_sort();
    void execute_clear_sorts();
    void undo_clear_sorts();
    void execute_link_mode();
    void undo_link_mode();
    void execute_swap();
    void undo_swap();
    // The operation table; a kind without an entry raises 0xC201120C.
    void run(bool undo);

    // Not held: the viewpoint outlives its commands.
    ViewpointCommon* fViewpoint;
    // Owned until the first execution hands it to the viewpoint.
    std::unique_ptr<ZELT_o::Sort> fSort;
    bool fExecuted = false;
    bool fExecutedOnce = false;
    LONG fKind = kNoOperation;
    ZELT_o::LinkMode fLinkMode = ZELT_o::kLinkOwn;
    LONG fSortId = -1;
    LONG fFirstId = -1;
    LONG fSecondId = -1;
    LONG fAxis = 0;
    std::vector<LONG> fSortIds;
};

}  // namespace common
