/// @class common::FilterViewpointCommandCommon
/// The command that adds, removes, reorders and clears a
/// viewpoint's filters and tuple filters, or switches its filter link mode. A client records one
/// operation, then calls execute() to apply it and undo() to take it back; execute and undo may
/// alternate any number of times.
///
/// Ownership: born with one reference for its creator. The command keeps a plain pointer to its
/// viewpoint, which must outlive it, and a reference to its own filter (getNewFilter). A command
/// that was executed releases its filter id from the viewpoint when it goes (doReleaseFilter),
/// so a removed filter is freed once no command can bring it back.
///
/// Threads: used from the thread that uses its viewpoint tree; addRef and release from any.
///
/// Failure: when a viewpoint operation the command calls raises, the error propagates and the
/// command's recorded state is the one it had before that call.
#pragma once

#include <pova/Command.h>
#include <pova/Filter.h>
#include <pova/Types.h>
#include <pova/pova_export.h>
#include <pova/support/Ref.h>

#include <vector>

// The operations the command performs, listed once: (kind, helper suffix).
#define POVA_FILTER_COMMAND_KINDS(X) \
    X(1, add_filter)                 \
    X(2, remove_filter)              \
    X(3, remove_all_filters)         \
    X(4, filter_link_mode)           \
    X(5, swap)                       \
    X(6, clear_axis)                 \
    X(7, remove_tuple_filter)        \
    X(8, remove_all_tuple_filters)

namespace common {

class ViewpointCommon;

class POVA_API FilterViewpointCommandCommon : public ZELT_o::FilterViewpointCommand {
public:
    /// The recorded operation; 0 while none is recorded.
    enum Kind : LONG {
        kNoOperation = 0,
        kAddFilter = 1,
        kRemoveFilter = 2,
        kRemoveAllFilters = 3,
        kFilterLinkMode = 4,
        kSwap = 5,
        kClearAxis = 6,
        kRemoveTupleFilter = 7,
        kRemoveAllTupleFilters = 8,
    };

    /// A command of `viewpoint` (which must outlive it) with nothing recorded.
    explicit FilterViewpointCommandCommon(ViewpointCommon* viewpoint);

    // --- ZELT_o::Command
    /// Both raise 0xC201120C when nothing is recorded; undo() also before execute().
    void execute() override;
    void undo() override;
    // --- ZELT_o::ViewpointCommand
    /// Ignored: this command has no XML form.
    void setXmlText(PovaString const& text) override;

    // --- ZELT_o::FilterViewpointCommand
    /// AddFilter, RemoveFilter, RemoveTupleFilter, RemoveAllFilters and RemoveAllTupleFilters
    /// raise 0xC201120B when an operation is already recorded; the others replace it.
    ZELT_o::Filter* getNewFilter() override;
    ZELT_o::Filter* passThrough(ZELT_o::Filter* filter) override { return filter; }
    ZELT_o::Filter* AddFilter() override;
    void RemoveFilter(LONG id) override;
    void RemoveTupleFilter(LONG id, LONG axis) override;
    /// Records the filters that apply to the axis now (getAxisFilters).
    void ClearAxis(LONG axis) override;
    /// Records the applied filters now (getAvailableFilters).
    void RemoveAllFilters() override;
    /// Records the applied tuple filters of the axis now (getAvailableTupleFilters).
    void RemoveAllTupleFilters(LONG axis) override;
    void Swap(LONG first, LONG second) override;
    /// A mode outside 0 to 2 is thrown as the plain code E_FAIL, recording nothing.
    void SetFilterLinkMode(LONG mode) override;

    // --- what is recorded, and whether it is applied
    /// What is recorded (Kind).
    LONG getKind() const { return fKind; }
    /// The filter id added or removed; -1 before an addition is first executed.
    LONG getFilterId() const { return fFilterId; }
    ///@{
    /// Whether the command is applied now, and whether it was ever executed.
    bool isExecuted() const { return fExecuted; }
    bool wasExecuted() const { return fExecutedOnce; }
    ///@}

protected:
    ~FilterViewpointCommandCommon() override;

private:
    void check_nothing_recorded();
    ViewpointCommon& viewpoint();
    // The axis the added or removed filter's id belongs to: -1 for the filter table.
    LONG filter_table_axis() const;
    bool tracing();
    void trace(int line, char const* function, PovaString const& text);
    unsigned trace_address() const;

#define POVA_DECLARE_FILTER_KIND(kind, name) \
    void execute_##name();                   \
    void undo_##name();
    POVA_FILTER_COMMAND_KINDS(POVA_DECLARE_FILTER_KIND)
#undef POVA_DECLARE_FILTER_KIND
    void run(bool undo);

    // Not held: the viewpoint outlives its commands.
    ViewpointCommon* fViewpoint;
    support::Ref<ZELT_o::Filter> fFilter;
    bool fExecuted = false;
    bool fExecutedOnce = false;
    LONG fKind = kNoOperation;
    ZELT_o::LinkMode fLinkMode = ZELT_o::kLinkOwn;
    LONG fFilterId = -1;
    LONG fAxis = -1;
    LONG fFirstId = -1;
    LONG fSecondId = -1;
    std::vector<LONG> fIds;
};

}  // namespace common
