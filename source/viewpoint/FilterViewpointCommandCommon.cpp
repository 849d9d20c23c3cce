// The filter command: recording, the execute and undo of each kind, and its traces.
#include <basekit/BaseError.h>
#include <pova/common/FilterCommon.h>
#include <pova/common/FilterViewpointCommandCommon.h>
#include <pova/common/ViewpointCommon.h>
#include <pova/support/InstanceCounter.h>

#include <cstdint>
#include <utility>

namespace ZELT_o {
FilterViewpointCommand::~FilterViewpointCommand() = default;
}  // namespace ZELT_o

#include "viewpoint/CommandSupport.h"

namespace common {

using command::kAlreadyRecorded;
using command::kCannotRun;
using command::raise;

namespace {

constexpr int kTraceLevel = 5;

support::InstanceCounter sInstances;

}  // namespace

FilterViewpointCommandCommon::FilterViewpointCommandCommon(ViewpointCommon* viewpoint)
    : ZELT_o::FilterViewpointCommand("FilterViewpointCommandCommon", sInstances.next()),
      fViewpoint(viewpoint) {}

// The filter this command added or removed is freed once no command can bring it back: the
// viewpoint lets go of it unless it is applied.
FilterViewpointCommandCommon::~FilterViewpointCommandCommon() {
    if (!fExecutedOnce || fViewpoint == nullptr || fFilterId < 0) {
        return;
    }
    try {
        fViewpoint->doReleaseFilter(fFilterId, filter_table_axis());
    } catch (...) {
        // A destructor must not throw; the viewpoint keeps the filter until it goes.
    }
}

// --- helpers

bool FilterViewpointCommandCommon::tracing() {
    return base_log_enabled(kTraceLevel);
}

void FilterViewpointCommandCommon::trace(int line, char const* function, PovaString const& text) {
    base_log(line, function, text);
}

unsigned FilterViewpointCommandCommon::trace_address() const {
    return command::traceAddress(this);
}

void FilterViewpointCommandCommon::check_nothing_recorded() {
    if (fKind != kNoOperation) {
        raise(kAlreadyRecorded);
    }
}

ViewpointCommon& FilterViewpointCommandCommon::viewpoint() {
    if (fViewpoint == nullptr) {
        raise(kCannotRun);
    }
    return *fViewpoint;
}

LONG FilterViewpointCommandCommon::filter_table_axis() const {
    switch (fKind) {
        case kAddFilter:
            return fFilter && fFilter->isTupleFilter() ? fFilter->getAxis() : -1;
        case kRemoveTupleFilter:
            return fAxis;
        default:
            return -1;
    }
}

// --- execute and undo

void FilterViewpointCommandCommon::execute() {
    if (tracing()) {
        trace(__LINE__, "FilterViewpointCommandCommon::execute",
              PovaString::build("FilterViewpointCommandCommon %x  ::execute()", trace_address()));
    }
    run(false);
    fExecuted = true;
    fExecutedOnce = true;
}

void FilterViewpointCommandCommon::undo() {
    if (tracing()) {
        trace(__LINE__, "FilterViewpointCommandCommon::undo",
              PovaString::build("FilterViewpointCommandCommon %x ::undo()", trace_address()));
    }
    if (!fExecuted) {
        raise(kCannotRun);
    }
    run(true);
    fExecuted = false;
}

void FilterViewpointCommandCommon::run(bool undo) {
    // A listener may release the last outside reference to the viewpoint while it is told.
    auto const keep = support::retain(&viewpoint());
    switch (fKind) {
        POVA_FILTER_COMMAND_KINDS(POVA_COMMAND_KIND_CASE)
        default:
            raise(kCannotRun);
    }
}

void FilterViewpointCommandCommon::execute_add_filter() {
    if (!fExecutedOnce) {
        fFilterId = viewpoint().doSetFilter(fFilter.get());
    } else {
        viewpoint().doSetFilter(fFilterId, filter_table_axis());
    }
}

void FilterViewpointCommandCommon::undo_add_filter() {
    viewpoint().doRemoveFilter(fFilterId, filter_table_axis());
}

void FilterViewpointCommandCommon::execute_remove_filter() {
    viewpoint().doRemoveFilter(fFilterId, -1);
}

void FilterViewpointCommandCommon::undo_remove_filter() {
    viewpoint().doSetFilter(fFilterId, -1);
}

void FilterViewpointCommandCommon::execute_remove_all_filters() {
    viewpoint().doClearFilters(fIds);
}

void FilterViewpointCommandCommon::undo_remove_all_filters() {
    viewpoint().doSetFilters(fIds, -1);
}

void FilterViewpointCommandCommon::execute_clear_axis() {
    execute_remove_all_filters();
}

void FilterViewpointCommandCommon::undo_clear_axis() {
    undo_remove_all_filters();
}

// Each run puts the recorded mode in force and records the one it replaced.
void FilterViewpointCommandCommon::execute_filter_link_mode() {
    ZELT_o::LinkMode const replaced = viewpoint().getFilterLinkMode();
    viewpoint().doSetFilterLinkMode(fLinkMode);
    fLinkMode = replaced;
}

void FilterViewpointCommandCommon::undo_filter_link_mode() {
    execute_filter_link_mode();
}

void FilterViewpointCommandCommon::execute_swap() {
    viewpoint().doSwapFilters(fFirstId, fSecondId);
}

void FilterViewpointCommandCommon::undo_swap() {
    execute_swap();
}

void FilterViewpointCommandCommon::execute_remove_tuple_filter() {
    viewpoint().doRemoveFilter(fFilterId, fAxis);
}

void FilterViewpointCommandCommon::undo_remove_tuple_filter() {
    viewpoint().doSetFilter(fFilterId, fAxis);
}

void FilterViewpointCommandCommon::execute_remove_all_tuple_filters() {
    viewpoint().doClearTupleFilters(fAxis);
}

void FilterViewpointCommandCommon::undo_remove_all_tuple_filters() {
    viewpoint().doSetFilters(fIds, fAxis);
}

void FilterViewpointCommandCommon::setXmlText(PovaString const& /*text*/) {}

// --- recording

ZELT_o::Filter* FilterViewpointCommandCommon::getNewFilter() {
    if (!fFilter) {
        fFilter = support::adopt<ZELT_o::Filter>(new FilterCommon());
    }
    return fFilter.get();
}

ZELT_o::Filter* FilterViewpointCommandCommon::AddFilter() {
    if (tracing()) {
        trace(__LINE__, "FilterViewpointCommandCommon::AddFilter",
              PovaString::build("FilterViewpointCommandCommon %x ::AddFilter()", trace_address()));
    }
    check_nothing_recorded();
    ZELT_o::Filter* filter = getNewFilter();
    fKind = kAddFilter;
    return filter;
}

void FilterViewpointCommandCommon::RemoveFilter(LONG id) {
    if (tracing()) {
        trace(__LINE__, "FilterViewpointCommandCommon::RemoveFilter",
              PovaString::build("FilterViewpointCommandCommon %x ::RemoveFilter(%d)",
                                trace_address(), id));
    }
    check_nothing_recorded();
    fFilterId = id;
    fKind = kRemoveFilter;
}

void FilterViewpointCommandCommon::RemoveTupleFilter(LONG id, LONG axis) {
    if (tracing()) {
        trace(__LINE__, "FilterViewpointCommandCommon::RemoveTupleFilter",
              PovaString::build("FilterViewpointCommandCommon %x ::RemoveTupleFilter(%d,%d)",
                                trace_address(), id, axis));
    }
    check_nothing_recorded();
    fFilterId = id;
    fAxis = axis;
    fKind = kRemoveTupleFilter;
}

void FilterViewpointCommandCommon::ClearAxis(LONG axis) {
    if (tracing()) {
        trace(__LINE__, "FilterViewpointCommandCommon::ClearAxis",
              PovaString::build("FilterViewpointCommandCommon %x ::ClearAxis(%x)", trace_address(),
                                axis));
    }
    std::vector<LONG> ids;
    viewpoint().getAxisFilters(axis, ids);
    fIds = std::move(ids);
    fAxis = axis;
    fKind = kClearAxis;
}

void FilterViewpointCommandCommon::RemoveAllFilters() {
    std::vector<LONG> ids;
    viewpoint().getAvailableFilters(ids);
    if (tracing()) {
        trace(__LINE__, "FilterViewpointCommandCommon::RemoveAllFilters",
              PovaString::build("FilterViewpointCommandCommon %x ::RemoveAllFilters(%d)",
                                trace_address(), static_cast<int>(ids.size())));
    }
    check_nothing_recorded();
    fIds = std::move(ids);
    fKind = kRemoveAllFilters;
}

void FilterViewpointCommandCommon::RemoveAllTupleFilters(LONG axis) {
    if (tracing()) {
        trace(__LINE__, "FilterViewpointCommandCommon::RemoveAllTupleFilters",
              PovaString::build("FilterViewpointCommandCommon %x ::RemoveAllTupleFilters(%d)",
                                trace_address(), axis));
    }
    check_nothing_recorded();
    std::vector<LONG> ids;
    viewpoint().getAvailableTupleFilters(ids, axis);
    fIds = std::move(ids);
    fAxis = axis;
    fKind = kRemoveAllTupleFilters;
}

// The documented line writes "%l" for each id: a 32-bit integer here.
void FilterViewpointCommandCommon::Swap(LONG first, LONG second) {
    if (tracing()) {
        trace(__LINE__, "FilterViewpointCommandCommon::Swap",
              PovaString::build("FilterViewpointCommandCommon %x ::Swap(%d, %d)", trace_address(),
                                first, second));
    }
    fFirstId = first;
    fSecondId = second;
    fKind = kSwap;
}

void FilterViewpointCommandCommon::SetFilterLinkMode(LONG mode) {
    if (mode < ZELT_o::kLinkOwn || mode > ZELT_o::kLinkBase) {
        throwResult(E_FAIL);
    }
    fLinkMode = static_cast<ZELT_o::LinkMode>(mode);
    fKind = kFilterLinkMode;
}

}  // namespace common
