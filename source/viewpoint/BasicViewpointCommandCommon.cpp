// The basic viewpoint command: recording, the execute and undo of each kind, and its traces.
#include <basekit/BaseError.h>
#include <pova/Cube.h>
#include <pova/common/BasicViewpointCommandCommon.h>
#include <pova/support/InstanceCounter.h>

#include <cstdint>
#include <utility>

#include "viewpoint/CommandSupport.h"

namespace common {

using command::kAlreadyRecorded;
using command::kCannotRun;
using command::raise;

namespace {

constexpr ZELT_o::MessageCode kReorientFailed = 0xC201B23Cu;
constexpr ZELT_o::MessageCode kViewAxisType = 0xC201B23Eu;
constexpr int kTraceLevel = 5;

// Shared with the transaction: one numbering for both classes.
support::InstanceCounter sInstances;

}  // namespace

LONG BasicViewpointCommandCommon::next_instance() {
    return sInstances.next();
}

BasicViewpointCommandCommon::BasicViewpointCommandCommon(ViewpointCommon* viewpoint)
    : ZELT_o::BasicViewpointCommand("BasicViewpointCommandCommon", next_instance()),
      fViewpoint(viewpoint) {}

BasicViewpointCommandCommon::~BasicViewpointCommandCommon() = default;

// --- helpers

bool BasicViewpointCommandCommon::tracing() {
    return base_log_enabled(kTraceLevel);
}

void BasicViewpointCommandCommon::trace(int line, char const* function, PovaString const& text) {
    base_log(line, function, text);
}

unsigned BasicViewpointCommandCommon::trace_address() const {
    return command::traceAddress(this);
}

void BasicViewpointCommandCommon::check_nothing_recorded() {
    if (fKind != kNoOperation) {
        raise(kAlreadyRecorded);
    }
}

ViewpointCommon& BasicViewpointCommandCommon::viewpoint() {
    if (fViewpoint == nullptr) {
        raise(kCannotRun);
    }
    return *fViewpoint;
}

ZELT_o::Dimension& BasicViewpointCommandCommon::recorded_dimension() {
    if (fDimension == nullptr) {
        raise(kCannotRun);
    }
    return *fDimension;
}

// --- execute and undo

void BasicViewpointCommandCommon::execute() {
    if (tracing()) {
        trace(__LINE__, "BasicViewpointCommandCommon::execute",
              PovaString::build("ViewpointCommand %x  ::execute()", trace_address()));
    }
    fUndoable = 1;
    run(false);
    fExecuted = true;
    fExecutedOnce = true;
}

void BasicViewpointCommandCommon::undo() {
    if (tracing()) {
        trace(__LINE__, "BasicViewpointCommandCommon::undo",
              PovaString::build("ViewpointCommand %x  ::undo()", trace_address()));
    }
    run(true);
    fExecuted = false;
}

void BasicViewpointCommandCommon::run(bool undo) {
    // A listener may release the last outside reference to the viewpoint while it is told.
    auto const keep = support::retain(&viewpoint());
    switch (fKind) {
        POVA_BASIC_COMMAND_KINDS(POVA_COMMAND_KIND_CASE)
        default:
            raise(kCannotRun);
    }
}

void BasicViewpointCommandCommon::setXmlText(PovaString const& /*text*/) {}

// --- recording

void BasicViewpointCommandCommon::SwapDimensions(LONG fromAxis, LONG fromIndex, LONG toAxis,
                                                 LONG toIndex) {
    if (tracing()) {
        trace(__LINE__, "BasicViewpointCommandCommon::SwapDimensions",
              PovaString::build("ViewpointCommand %x ::SwapDimensions(From(%d, %d), To(%d, %d))",
                                trace_address(), fromAxis, fromIndex, toAxis, toIndex));
    }
    check_nothing_recorded();
    fFrom = {fromAxis, fromIndex};
    fTo = {toAxis, toIndex};
    fKind = kSwapDimensions;
}

void BasicViewpointCommandCommon::SwapAxes(LONG axis1, LONG axis2) {
    if (tracing()) {
        trace(__LINE__, "BasicViewpointCommandCommon::SwapAxes",
              PovaString::build("ViewpointCommand %x ::SwapAxes(axis1(%d), axis2(%d))",
                                trace_address(), axis1, axis2));
    }
    check_nothing_recorded();
    fFirstAxis = axis1;
    fSecondAxis = axis2;
    fKind = kSwapAxes;
}

void BasicViewpointCommandCommon::MoveDimensions(LONG fromAxis, LONG fromIndex, LONG toAxis,
                                                 LONG toIndex) {
    if (tracing()) {
        trace(__LINE__, "BasicViewpointCommandCommon::MoveDimensions",
              PovaString::build("ViewpointCommand %x ::MoveDimensions(From(%d, %d), To(%d, %d))",
                                trace_address(), fromAxis, fromIndex, toAxis, toIndex));
    }
    check_nothing_recorded();
    fFrom = {fromAxis, fromIndex};
    fTo = {toAxis, toIndex};
    fKind = kMoveDimensions;
}

void BasicViewpointCommandCommon::SetAxisLinkMode(LONG mode) {
    if (tracing()) {
        trace(
            __LINE__, "BasicViewpointCommandCommon::SetAxisLinkMode",
            PovaString::build("ViewpointCommand %x  ::SetAxisLinkMode(%d)", trace_address(), mode));
    }
    check_nothing_recorded();
    if (mode < ZELT_o::kLinkOwn || mode > ZELT_o::kLinkBase) {
        throwResult(E_FAIL);
    }
    fAxisLinkMode = mode;
    fKind = kAxisLinkMode;
}

void BasicViewpointCommandCommon::SetDimensions(ZELT_o::Dimension* dimension, LONG axis,
                                                bool flag) {
    if (tracing()) {
        trace(__LINE__, "BasicViewpointCommandCommon::SetDimensions",
              PovaString::build("ViewpointCommand %x ::SetDimensions(Dimension(0x%08x) To:%d, %d)",
                                trace_address(), command::traceAddress(dimension), axis,
                                flag ? 1 : 0));
    }
    check_nothing_recorded();
    fDimension = dimension;
    fTo = {axis, 0};
    fSetDimensionsFlag = flag;
    fKind = kSetDimensions;
}

void BasicViewpointCommandCommon::SetDimensionLinkMode(ZELT_o::Dimension* dimension, LONG mode) {
    if (tracing()) {
        trace(__LINE__, "BasicViewpointCommandCommon::SetDimensionLinkMode",
              PovaString::build("ViewpointCommand %x  ::SetDimensionLinkMode(%x, %d)",
                                trace_address(), command::traceAddress(dimension), mode));
    }
    fDimension = dimension;
    fKind = kDimensionLinkMode;
}

void BasicViewpointCommandCommon::SetSides(
    std::vector<std::vector<ZELT_o::Dimension*>> const& sides) {
    if (tracing()) {
        trace(__LINE__, "BasicViewpointCommandCommon::SetSides",
              PovaString::build("ViewpointCommand %x ::SetSides( )", trace_address()));
    }
    check_nothing_recorded();
    fLayoutA = sides;
    fKind = kSetSides;
}

void BasicViewpointCommandCommon::SetActiveHierarchy(ZELT_o::Dimension* dimension,
                                                     ZELT_o::Hierarchy* hierarchy) {
    if (tracing()) {
        trace(
            __LINE__, "BasicViewpointCommandCommon::SetActiveHierarchy",
            PovaString::build("ViewpointCommand %x  ::SetActiveHierarchy(%x, %x)", trace_address(),
                              command::traceAddress(dimension), command::traceAddress(hierarchy)));
    }
    fDimension = dimension;
    fHierarchy = hierarchy;
    fKind = kActiveHierarchy;
}

void BasicViewpointCommandCommon::SetActiveMemberSet(ZELT_o::Dimension* dimension,
                                                     ZELT_o::MemberSet* set) {
    if (tracing()) {
        trace(
            __LINE__, "BasicViewpointCommandCommon::SetActiveMemberSet",
            PovaString::build("ViewpointCommand %x  ::SetActiveMemberSet(%x, %x)", trace_address(),
                              command::traceAddress(dimension), command::traceAddress(set)));
    }
    fDimension = dimension;
    fMemberSet = support::retain(set);
    fKind = kActiveMemberSet;
}

void BasicViewpointCommandCommon::SetActiveSlice(ZELT_o::Dimension* dimension,
                                                 ZELT_o::Member* member) {
    if (tracing()) {
        trace(__LINE__, "BasicViewpointCommandCommon::SetActiveSlice",
              PovaString::build("ViewpointCommand %x  ::SetActiveSlice(%x, %x)", trace_address(),
                                command::traceAddress(dimension), command::traceAddress(member)));
    }
    fDimension = dimension;
    fSliceMember = support::retain(member);
    fKind = kActiveSlice;
}

void BasicViewpointCommandCommon::SetActiveSelection(ZELT_o::Dimension* dimension,
                                                     ZELT_o::MemberSet* set) {
    if (tracing()) {
        trace(
            __LINE__, "BasicViewpointCommandCommon::SetActiveSelection",
            PovaString::build("ViewpointCommand %x  ::SetActiveSelection(%x, %x)", trace_address(),
                              command::traceAddress(dimension), command::traceAddress(set)));
    }
    fDimension = dimension;
    fMemberSet = support::retain(set);
    fKind = kActiveSelection;
}

void BasicViewpointCommandCommon::SetExcludeNULLLines(LONG axis, bool flag) {
    if (tracing()) {
        trace(__LINE__, "BasicViewpointCommandCommon::SetExcludeNULLLines",
              PovaString::build("ViewpointCommand %x  ::SetExcludeNULLLines(%d, %d)",
                                trace_address(), axis, flag ? 1 : 0));
    }
    fExcludeAxis = axis;
    fExcludeNULLs = flag;
    fKind = kExcludeNULLs;
}

void BasicViewpointCommandCommon::InitFromExpression(PovaString const& expression) {
    if (tracing()) {
        trace(__LINE__, "BasicViewpointCommandCommon::InitFromExpression",
              PovaString::build("ViewpointCommand %x ::InitFromExpression( %s )", trace_address(),
                                expression.string().c_str()));
    }
    check_nothing_recorded();
    std::unique_ptr<ViewpointProperties> restore = viewpoint().getProperties();
    ViewpointCommon::Sides layout = viewpoint().getSides();
    fExpression = expression;
    fRestoreProperties = std::move(restore);
    fLayoutB = std::move(layout);
    fKind = kInitFromExpression;
}

void BasicViewpointCommandCommon::HoldEvents() {
    fHoldEventsRecorded = true;
    fKind = kHoldEvents;
}

void BasicViewpointCommandCommon::ReleaseEvents() {
    fReleaseEventsRecorded = true;
    fKind = kReleaseEvents;
}

void BasicViewpointCommandCommon::ChangeAxisType(LONG axis, ZELT_o::Viewpoint::AxisType type) {
    fTypeAxis = axis;
    fNewAxisType = type;
    fKind = kChangeAxisType;
}

void BasicViewpointCommandCommon::Reorient(PovaString const& text) {
    fReorientText = text;
    fKind = kReorient;
}

// --- the kinds. Positions, layouts and texts go to the viewpoint as copies, so that what the
// command recorded changes only by the swaps below, each made once its call has returned.

void BasicViewpointCommandCommon::execute_swap_dimensions() {
    ZELT_o::DimensionPosition from = fFrom;
    ZELT_o::DimensionPosition to = fTo;
    fViewpoint->doSwapDim(from, to);
}

void BasicViewpointCommandCommon::undo_swap_dimensions() {
    ZELT_o::DimensionPosition from = fFrom;
    ZELT_o::DimensionPosition to = fTo;
    fViewpoint->doingUndoDimensionSwap(from, to);
    from = fFrom;
    to = fTo;
    fViewpoint->doSwapDim(from, to);
}

void BasicViewpointCommandCommon::execute_move_dimensions() {
    ZELT_o::DimensionPosition from = fFrom;
    ZELT_o::DimensionPosition to = fTo;
    try {
        fViewpoint->doMoveDim(from, to);
    } catch (...) {
        // A move the provider refuses has still been made: its listeners hear of it.
        fViewpoint->sendEvents();
        throw;
    }
    fViewpoint->sendEvents();
}

// Moves the dimension from where the recorded move put it back to where it came from; a move
// inside one axis shifted the indexes between the two places by one.
void BasicViewpointCommandCommon::move_back() {
    LONG const a = fFrom.axis;
    LONG const i = fFrom.position;
    LONG const b = fTo.axis;
    LONG const j = fTo.position;
    ZELT_o::DimensionPosition from{b, j};
    ZELT_o::DimensionPosition to{a, i};
    if (a == b && i < j) {
        from = {a, j - 1};
    } else if (a == b) {
        to = {a, i + 1};
    }
    fViewpoint->doMoveDim(from, to);
}

void BasicViewpointCommandCommon::undo_move_dimensions() {
    ZELT_o::DimensionPosition from = fFrom;
    ZELT_o::DimensionPosition to = fTo;
    fViewpoint->doingUndoDimensionMove(from, to);
    try {
        move_back();
    } catch (...) {
        fViewpoint->sendEvents();
        throw;
    }
    fViewpoint->sendEvents();
}

void BasicViewpointCommandCommon::execute_set_dimensions() {}

void BasicViewpointCommandCommon::undo_set_dimensions() {
    raise(kCannotRun);
}

void BasicViewpointCommandCommon::execute_axis_link_mode() {
    LONG const restore = fViewpoint->copyParentOrientation() ? ZELT_o::kLinkBase : ZELT_o::kLinkOwn;
    fViewpoint->doSetAxisLinkMode(static_cast<ZELT_o::LinkMode>(fAxisLinkMode));
    fRestoreAxisLinkMode = restore;
}

void BasicViewpointCommandCommon::undo_axis_link_mode() {
    fViewpoint->doSetAxisLinkMode(static_cast<ZELT_o::LinkMode>(fRestoreAxisLinkMode));
}

void BasicViewpointCommandCommon::execute_dimension_link_mode() {
    ZELT_o::LinkMode const mode = fViewpoint->getDimensionLinkMode(fDimension) != ZELT_o::kLinkOwn
                                      ? ZELT_o::kLinkOwn
                                      : ZELT_o::kLinkBase;
    fViewpoint->setDimensionLinkMode(fDimension, mode);
}

void BasicViewpointCommandCommon::undo_dimension_link_mode() {
    execute_dimension_link_mode();
}

void BasicViewpointCommandCommon::execute_active_hierarchy() {
    ZELT_o::Dimension& dimension = recorded_dimension();
    auto savedSet = support::retain(fViewpoint->getCurrentSet(dimension));
    auto savedSlice = support::retain(fViewpoint->getCurrentSection(dimension));
    ZELT_o::Hierarchy* const restore = fViewpoint->getActiveHierarchy(dimension);
    fViewpoint->setActiveHierarchy(dimension, fHierarchy);
    fSavedMemberSet = std::move(savedSet);
    fSavedSliceMember = std::move(savedSlice);
    fHierarchy = restore;
    if (!fMemberSet) {
        fMemberSet = support::retain(fViewpoint->getCurrentSet(dimension));
    } else {
        fViewpoint->setActiveSet(dimension, fMemberSet.get());
    }
}

void BasicViewpointCommandCommon::undo_active_hierarchy() {
    ZELT_o::Dimension& dimension = recorded_dimension();
    ZELT_o::Hierarchy* const taken = fViewpoint->getActiveHierarchy(dimension);
    bool const setSaved = fSavedMemberSet && fMemberSet;
    if (setSaved) {
        fViewpoint->doingActiveSetChangeUndo(fMemberSet.get());
    }
    fMemberSet = support::retain(fViewpoint->getCurrentSet(dimension));
    fViewpoint->setActiveHierarchy(dimension, fHierarchy);
    fHierarchy = taken;
    if (setSaved) {
        fViewpoint->suppressActiveSetChangeUndoStack(fMemberSet.get());
        fViewpoint->setActiveSet(dimension, fSavedMemberSet.get());
    }
    if (fSavedSliceMember) {
        fViewpoint->setActiveSlice(dimension, fSavedSliceMember.get(), false);
    }
}

void BasicViewpointCommandCommon::execute_active_member_set() {
    ZELT_o::Dimension& dimension = recorded_dimension();
    auto current = support::retain(fViewpoint->getCurrentSet(dimension));
    fViewpoint->setActiveSet(dimension, fMemberSet.get());
    fMemberSet = std::move(current);
    if (fMemberSet && fMemberSet->isEmpty()) {
        fUndoable = 0;
    }
}

void BasicViewpointCommandCommon::undo_active_member_set() {
    ZELT_o::Dimension& dimension = recorded_dimension();
    auto current = support::retain(fViewpoint->getCurrentSet(dimension));
    if (current) {
        fViewpoint->doingActiveSetChangeUndo(current.get());
    }
    fViewpoint->setActiveSet(dimension, fMemberSet.get());
    fMemberSet = std::move(current);
}

void BasicViewpointCommandCommon::execute_active_slice() {
    ZELT_o::Dimension& dimension = recorded_dimension();
    auto previous = support::retain(fViewpoint->getCurrentSection(dimension));
    fViewpoint->setActiveSlice(dimension, fSliceMember.get(), false);
    if (previous && fSliceMember && previous->getUniqueName() == fSliceMember->getUniqueName()) {
        fUndoable = 0;
    } else {
        fSliceMember = std::move(previous);
    }
}

void BasicViewpointCommandCommon::undo_active_slice() {
    ZELT_o::Dimension& dimension = recorded_dimension();
    auto taken = support::retain(fViewpoint->getCurrentSection(dimension));
    fViewpoint->setActiveSlice(dimension, fSliceMember.get(), false);
    fSliceMember = std::move(taken);
}

void BasicViewpointCommandCommon::execute_active_selection() {
    ZELT_o::Dimension& dimension = recorded_dimension();
    auto taken = support::retain(fViewpoint->getCurrentSelection(dimension));
    fViewpoint->setActiveSelection(dimension, fMemberSet.get());
    if (!fMemberSet || fMemberSet->isEmpty()) {
        fUndoable = 0;
    } else {
        fMemberSet = std::move(taken);
    }
}

void BasicViewpointCommandCommon::undo_active_selection() {
    ZELT_o::Dimension& dimension = recorded_dimension();
    auto taken = support::retain(fViewpoint->getCurrentSelection(dimension));
    fViewpoint->setActiveSelection(dimension, fMemberSet.get());
    fMemberSet = std::move(taken);
}

void BasicViewpointCommandCommon::execute_exclude_nulls() {
    fViewpoint->setAxisExcludeNULLs(fExcludeAxis, fExcludeNULLs);
}

void BasicViewpointCommandCommon::undo_exclude_nulls() {
    fViewpoint->setAxisExcludeNULLs(fExcludeAxis, !fExcludeNULLs);
}

void BasicViewpointCommandCommon::execute_hold_events() {
    fViewpoint->holdEvents();
}

void BasicViewpointCommandCommon::undo_hold_events() {
    fViewpoint->releaseEvents();
}

void BasicViewpointCommandCommon::execute_release_events() {
    fViewpoint->releaseEvents();
}

void BasicViewpointCommandCommon::undo_release_events() {
    fViewpoint->holdEvents();
}

void BasicViewpointCommandCommon::execute_set_sides() {
    ViewpointCommon::Sides sides = fLayoutA;
    fLayoutB = fViewpoint->setSides(sides);
}

void BasicViewpointCommandCommon::undo_set_sides() {
    ViewpointCommon::Sides sides = fLayoutB;
    fViewpoint->setSides(sides);
}

void BasicViewpointCommandCommon::execute_init_from_expression() {
    PovaString expression = fExpression;
    if (fExpressionProperties) {
        fViewpoint->validateServerExpression(expression);
        fViewpoint->setProperties(*fExpressionProperties);
        ViewpointCommon::Sides sides = fLayoutA;
        fViewpoint->setSides(sides);
        return;
    }
    // First execution: empty property lists, one per cube dimension in cube order and the
    // viewpoint's own last, for the provider to fill from the expression.
    std::vector<ZELT_o::Dimension*> dimensions;
    if (auto cube = support::adopt(fViewpoint->getCube())) {
        cube->getDimensions(dimensions);
    }
    auto built = std::make_unique<ViewpointProperties>();
    for (ZELT_o::Dimension* dimension : dimensions) {
        built->add(DimensionProperties(dimension));
    }
    built->add(DimensionProperties(nullptr));
    fViewpoint->setProperties(*built);
    fViewpoint->initialiseFromExpression(expression);
    fLayoutA = fViewpoint->getSides();
    fExpressionProperties = std::move(built);
}

void BasicViewpointCommandCommon::undo_init_from_expression() {
    if (fRestoreProperties) {
        fViewpoint->setProperties(*fRestoreProperties);
    }
    ViewpointCommon::Sides sides = fLayoutB;
    fViewpoint->setSides(sides);
}

void BasicViewpointCommandCommon::execute_swap_axes() {
    fViewpoint->doSwapAxes(fFirstAxis, fSecondAxis);
}

void BasicViewpointCommandCommon::undo_swap_axes() {
    fViewpoint->doSwapAxes(fSecondAxis, fFirstAxis);
}

void BasicViewpointCommandCommon::execute_change_axis_type() {
    ZELT_o::Viewpoint::AxisType const restore = fViewpoint->getAxisType(fTypeAxis);
    if (restore == ZELT_o::Viewpoint::kView) {
        raise(kViewAxisType);
    }
    fViewpoint->doChangeAxisType(fTypeAxis, fNewAxisType);
    fRestoreAxisType = restore;
}

void BasicViewpointCommandCommon::undo_change_axis_type() {
    fViewpoint->doChangeAxisType(fTypeAxis, fRestoreAxisType);
}

void BasicViewpointCommandCommon::execute_reorient() {
    ViewpointCommon::Sides saved = fViewpoint->getSides();
    if (!fViewpoint->doReorient(fReorientText)) {
        raise(kReorientFailed);
    }
    fLayoutA = std::move(saved);
}

void BasicViewpointCommandCommon::undo_reorient() {
    fViewpoint->doingUndoViewpointReorient();
    ViewpointCommon::Sides sides = fLayoutA;
    fViewpoint->setSides(sides);
}

}  // namespace common
