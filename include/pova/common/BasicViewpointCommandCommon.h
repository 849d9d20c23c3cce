/// @class common::BasicViewpointCommandCommon
/// The command that changes a viewpoint's layout, its active
/// selections and its event holding. A client records one operation, then calls execute() to
/// apply it and undo() to take it back; each run swaps the applied value with the one it
/// replaced, so execute and undo may alternate any number of times.
///
/// Ownership: born with one reference for its creator. The command keeps a plain pointer to its
/// viewpoint, which must outlive it; member sets, members and parameters given to a recording
/// operation are held with a reference until the command goes or records another. Dimensions
/// and hierarchies are borrowed from the viewpoint's cube.
///
/// Threads: used from the thread that uses its viewpoint tree; addRef and release from any.
///
/// Failure: when a viewpoint operation the command calls raises, the error propagates and the
/// command's recorded state is the one it had before that call; the viewpoint is not rolled
/// back.
#pragma once

#include <basekit/PovaString.h>
#include <pova/Command.h>
#include <pova/Member.h>
#include <pova/MemberSet.h>
#include <pova/Parameter.h>
#include <pova/Types.h>
#include <pova/common/ViewpointCommon.h>
#include <pova/common/ViewpointProperties.h>
#include <pova/pova_export.h>
#include <pova/support/Ref.h>

#include <memory>

// The operations the command performs, listed once: (kind, helper suffix). Kinds 15 and 16
// (parameter links) are not performed yet and raise like an unknown kind.
#define POVA_BASIC_COMMAND_KINDS(X) \
    X(1, swap_dimensions)           \
    X(2, move_dimensions)           \
    X(3, set_dimensions)            \
    X(4, axis_link_mode)            \
    X(5, dimension_link_mode)       \
    X(6, active_hierarchy)          \
    X(7, active_member_set)         \
    X(8, active_slice)              \
    X(9, active_selection)          \
    X(10, exclude_nulls)            \
    X(11, hold_events)              \
    X(12, release_events)           \
    X(13, set_sides)                \
    X(14, init_from_expression)     \
    X(17, swap_axes)                \
    X(18, change_axis_type)         \
    X(19, reorient)

namespace common {

class POVA_API BasicViewpointCommandCommon : public ZELT_o::BasicViewpointCommand {
public:
    /// The recorded operation; 0 while none is recorded.
    enum Kind : LONG {
        kNoOperation = 0,
        kSwapDimensions = 1,
        kMoveDimensions = 2,
        kSetDimensions = 3,
        kAxisLinkMode = 4,
        kDimensionLinkMode = 5,
        kActiveHierarchy = 6,
        kActiveMemberSet = 7,
        kActiveSlice = 8,
        kActiveSelection = 9,
        kExcludeNULLs = 10,
        kHoldEvents = 11,
        kReleaseEvents = 12,
        kSetSides = 13,
        kInitFromExpression = 14,
        kSwapAxes = 17,
        kChangeAxisType = 18,
        kReorient = 19,
    };

    /// A command of `viewpoint` (which must outlive it) with nothing recorded.
    explicit BasicViewpointCommandCommon(ViewpointCommon* viewpoint);
    BasicViewpointCommandCommon(BasicViewpointCommandCommon const&) = delete;
    BasicViewpointCommandCommon& operator=(BasicViewpointCommandCommon const&) = delete;

    // --- ZELT_o::Command
    /// Both raise 0xC201120C when nothing (or nothing performable) is recorded.
    void execute() override;
    void undo() override;
    // --- ZELT_o::ViewpointCommand
    /// Ignored: this command has no XML form.
    void setXmlText(PovaString const& text) override;

    // --- ZELT_o::BasicViewpointCommand
    /// SwapDimensions, SwapAxes, MoveDimensions, SetAxisLinkMode, SetDimensions, SetSides and
    /// InitFromExpression raise 0xC201120B when an operation is already recorded; the others
    /// replace what was recorded.
    void SwapDimensions(LONG fromAxis, LONG fromIndex, LONG toAxis, LONG toIndex) override;
    void SwapAxes(LONG axis1, LONG axis2) override;
    void MoveDimensions(LONG fromAxis, LONG fromIndex, LONG toAxis, LONG toIndex) override;
    /// A mode outside 0 to 2 is thrown as the plain code E_FAIL, recording nothing.
    void SetAxisLinkMode(LONG mode) override;
    /// Recorded for its trace only: executing it changes nothing and undoing it raises.
    void SetDimensions(ZELT_o::Dimension* dimension, LONG axis, bool flag) override;
    /// Execution toggles the dimension's link mode between own and linked; `mode` is traced.
    void SetDimensionLinkMode(ZELT_o::Dimension* dimension, LONG mode) override;
    void SetSides(std::vector<std::vector<ZELT_o::Dimension*>> const& sides) override;
    void SetActiveHierarchy(ZELT_o::Dimension* dimension, ZELT_o::Hierarchy* hierarchy) override;
    void SetActiveMemberSet(ZELT_o::Dimension* dimension, ZELT_o::MemberSet* set) override;
    void SetActiveSlice(ZELT_o::Dimension* dimension, ZELT_o::Member* member) override;
    void SetActiveSelection(ZELT_o::Dimension* dimension, ZELT_o::MemberSet* set) override;
    void SetExcludeNULLLines(LONG axis, bool flag) override;
    /// Also takes the viewpoint's current properties and layout, to restore them on undo.
    void InitFromExpression(PovaString const& expression) override;
    void HoldEvents() override;
    void ReleaseEvents() override;
    LONG isUndoable() override { return fUndoable; }
    void ChangeAxisType(LONG axis, ZELT_o::Viewpoint::AxisType type) override;
    void Reorient(PovaString const& text) override;

    // --- what is recorded, and whether it is applied
    ///@{
    /// What is recorded (Kind), whether it is applied now, and whether it was ever executed.
    LONG getKind() const { return fKind; }
    bool isExecuted() const { return fExecuted; }
    bool wasExecuted() const { return fExecutedOnce; }
    ///@}

protected:
    ~BasicViewpointCommandCommon() override;

private:
    friend class TransactionCommandCommon;
    // The instance numbers this class shares with the transaction.
    static LONG next_instance();

    // Raises 0xC201120B when an operation is already recorded.
    void check_nothing_recorded();
    // The viewpoint; 0xC201120C for a command built without one.
    ViewpointCommon& viewpoint();
    // The recorded dimension; 0xC201120C when none is.
    ZELT_o::Dimension& recorded_dimension();
    // Trace lines at verbosity 5, only formatted when they will be written.
    bool tracing();
    void trace(int line, char const* function, PovaString const& text);
    // The command's address as trace lines print it.
    unsigned trace_address() const;

#define POVA_DECLARE_BASIC_KIND(kind, name) \
    void execute_##name();                  \
    void undo_##name();
    POVA_BASIC_COMMAND_KINDS(POVA_DECLARE_BASIC_KIND)
#undef POVA_DECLARE_BASIC_KIND
    void move_back();
    // The operation table; a kind without an entry raises 0xC201120C.
    void run(bool undo);

    // Not held: the viewpoint outlives its commands.
    ViewpointCommon* fViewpoint;
    LONG fKind = kNoOperation;
    ZELT_o::DimensionPosition fFrom{0, 0};
    ZELT_o::DimensionPosition fTo{0, 0};
    LONG fAxisLinkMode = ZELT_o::kLinkOwn;
    LONG fRestoreAxisLinkMode = ZELT_o::kLinkOwn;
    LONG fFirstAxis = 0;
    LONG fSecondAxis = 0;
    ZELT_o::Dimension* fDimension = nullptr;
    // A: the layout SetSides applies, or the one saved by Reorient. B: the layout SetSides and
    // InitFromExpression restore.
    ViewpointCommon::Sides fLayoutA;
    ViewpointCommon::Sides fLayoutB;
    ZELT_o::Hierarchy* fHierarchy = nullptr;
    // Parameter links come later; nothing records a parameter yet.
    support::Ref<ZELT_o::Parameter> fParameter;
    support::Ref<ZELT_o::MemberSet> fMemberSet;
    support::Ref<ZELT_o::MemberSet> fSavedMemberSet;
    support::Ref<ZELT_o::Member> fSliceMember;
    support::Ref<ZELT_o::Member> fSavedSliceMember;
    LONG fExcludeAxis = 0;
    bool fExcludeNULLs = false;
    bool fSetDimensionsFlag = false;
    ZELT_o::Viewpoint::AxisType fNewAxisType = ZELT_o::Viewpoint::kNoAxisType;
    ZELT_o::Viewpoint::AxisType fRestoreAxisType = ZELT_o::Viewpoint::kNoAxisType;
    LONG fTypeAxis = 0;
    PovaString fReorientText;
    PovaString fExpression;
    // Built by the first execution of InitFromExpression, and the ones it replaced.
    std::unique_ptr<ViewpointProperties> fExpressionProperties;
    std::unique_ptr<ViewpointProperties> fRestoreProperties;
    bool fExecuted = false;
    bool fExecutedOnce = false;
    bool fHoldEventsRecorded = false;
    bool fReleaseEventsRecorded = false;
    LONG fUndoable = 0;
};

}  // namespace common
