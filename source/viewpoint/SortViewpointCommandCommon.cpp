// The sort command: recording, the execute and undo of each kind, its traces, and the release
// of its sort when it goes.
#include <basekit/BaseError.h>
#include <pova/common/SortCommon.h>
#include <pova/common/SortViewpointCommandCommon.h>
#include <pova/common/ViewpointCommon.h>
#include <pova/support/InstanceCounter.h>

#include <cstdint>

#include "viewpoint/CommandSupport.h"

namespace common {

using command::kAlreadyRecorded;
using command::kCannotRun;
using command::raise;

namespace {

constexpr int kTraceLevel = 5;

support::InstanceCounter sInstances;

}  // namespace

SortViewpointCommandCommon::SortViewpointCommandCommon(ViewpointCommon* viewpoint)
    : ZELT_o::SortViewpointCommand("SortViewpointCommandCommon", sInstances.next()),
      fViewpoint(viewpoint) {}

// A sort the viewpoint holds is freed when the last command that could apply it again goes;
// the viewpoint keeps it while it is applied. A sort never handed over goes with fSort.
SortViewpointCommandCommon::~SortViewpointCommandCommon() {
    if (fExecutedOnce && fViewpoint != nullptr && fSortId >= 0) {
        fViewpoint->doReleaseSort(fSortId);
    }
}

// --- helpers

bool SortViewpointCommandCommon::tracing() {
    return base_log_enabled(kTraceLevel);
}

void SortViewpointCommandCommon::trace(int line, char const* function, PovaString const& text) {
    base_log(line, function, text);
}

unsigned SortViewpointCommandCommon::trace_address() const {
    return command::traceAddress(this);
}

void SortViewpointCommandCommon::check_nothing_recorded() {
    if (fKind != kNoOperation) {
        raise(kAlreadyRecorded);
    }
}

ViewpointCommon& SortViewpointCommandCommon::viewpoint() {
    if (fViewpoint == nullptr) {
        raise(kCannotRun);
    }
    return *fViewpoint;
}

// --- execute and undo

void SortViewpointCommandCommon::execute() {
    if (tracing()) {
        trace(__LINE__, "SortViewpointCommandCommon::execute",
              PovaString::build("SortCommand %x  ::execute()", trace_address()));
    }
    run(false);
    fExecuted = true;
    fExecutedOnce = true;
}

void SortViewpointCommandCommon::undo() {
    if (tracing()) {
        trace(__LINE__, "SortViewpointCommandCommon::undo",
              PovaString::build("SortCommand %x ::undo()", trace_address()));
    }
    if (!fExecuted) {
        raise(kCannotRun);
    }
    run(true);
    fExecuted = false;
}

void SortViewpointCommandCommon::run(bool undo) {
    // A listener may release the last outside reference to the viewpoint while it is told.
    auto const keep = support::retain(&viewpoint());
    switch (fKind) {
        POVA_SORT_COMMAND_KINDS(POVA_COMMAND_KIND_CASE)
        default:
            raise(kCannotRun);
    }
}

// The first execution hands the new sort (or modifier) over; later ones apply it again.
void SortViewpointCommandCommon::execute_add_sort() {
    if (fSort) {
        auto const application = fKind == kModifySort ? ZELT_o::kSortModifier : ZELT_o::kNewSort;
        fSortId = viewpoint().doSetSort(fSort, application);
    } else {
        viewpoint().doSetSort(fSortId);
    }
}

void SortViewpointCommandCommon::undo_add_sort() {
    viewpoint().doRemoveSort(fSortId);
}

void SortViewpointCommandCommon::execute_remove_sort() {
    viewpoint().doRemoveSort(fSortId);
}

void SortViewpointCommandCommon::undo_remove_sort() {
    viewpoint().doSetSort(fSortId);
}

void SortViewpointCommandCommon::execute_clear_sorts() {
    viewpoint().doClearSorts(fSortIds);
}

void SortViewpointCommandCommon::undo_clear_sorts() {
    viewpoint().doSetSorts(fSortIds);
}

// Each run puts the recorded mode in force and keeps the one it replaced for the next run.
void SortViewpointCommandCommon::execute_link_mode() {
    ViewpointCommon& vp = viewpoint();
    ZELT_o::LinkMode const current = vp.getSortLinkMode();
    vp.doSetSortLinkMode(fLinkMode);
    fLinkMode = current;
}

void SortViewpointCommandCommon::undo_link_mode() {
    execute_link_mode();
}

void SortViewpointCommandCommon::execute_swap() {
    viewpoint().doSwapSorts(fFirstId, fSecondId);
}

void SortViewpointCommandCommon::undo_swap() {
    viewpoint().doSwapSorts(fFirstId, fSecondId);
}

void SortViewpointCommandCommon::setXmlText(PovaString const& /*text*/) {}

// --- recording

ZELT_o::Sort* SortViewpointCommandCommon::getNewSort() {
    if (!fSort && fSortId < 0) {
        fSort = std::make_unique<SortCommon>();
    }
    return fSort.get();
}

ZELT_o::Sort* SortViewpointCommandCommon::AddSort() {
    if (tracing()) {
        trace(__LINE__, "SortViewpointCommandCommon::AddSort",
              PovaString::build("SortCommand %x ::AddSort", trace_address()));
    }
    check_nothing_recorded();
    ZELT_o::Sort* const sort = getNewSort();
    fKind = kAddSort;
    return sort;
}

void SortViewpointCommandCommon::RemoveSort(LONG id) {
    if (tracing()) {
        trace(__LINE__, "SortViewpointCommandCommon::RemoveSort",
              PovaString::build("SortCommand %x ::RemoveSort(%d)", trace_address(), id));
    }
    check_nothing_recorded();
    fSortId = id;
    fKind = kRemoveSort;
}

void SortViewpointCommandCommon::RemoveAllSorts() {
    std::vector<LONG> ids;
    viewpoint().getAvailableSorts(ids);
    if (tracing()) {
        trace(__LINE__, "SortViewpointCommandCommon::RemoveAllSorts",
              PovaString::build("SortCommand %x ::RemoveAllSorts(%d)", trace_address(),
                                static_cast<int>(ids.size())));
    }
    check_nothing_recorded();
    fSortIds = std::move(ids);
    fKind = kRemoveAllSorts;
}

void SortViewpointCommandCommon::Swap(LONG a, LONG b) {
    if (tracing()) {
        trace(__LINE__, "SortViewpointCommandCommon::Swap",
              PovaString::build("SortCommandCommon %x ::Swap(%d, %d)", trace_address(), a, b));
    }
    fFirstId = a;
    fSecondId = b;
    fKind = kSwap;
}

void SortViewpointCommandCommon::ClearAxis(LONG axis) {
    if (tracing()) {
        trace(__LINE__, "SortViewpointCommandCommon::ClearAxis",
              PovaString::build("SortCommandCommon %x ::ClearAxis(%x)", trace_address(),
                                static_cast<unsigned>(axis)));
    }
    std::vector<LONG> ids;
    viewpoint().getAxisSorts(axis, ids);
    fAxis = axis;
    fSortIds = std::move(ids);
    fKind = kClearAxis;
}

void SortViewpointCommandCommon::ReverseSort(LONG id) {
    if (tracing()) {
        trace(__LINE__, "SortViewpointCommandCommon::ReverseSort",
              PovaString::build("SortCommand %x ::ReverseSort(%d)", trace_address(), id));
    }
    record_modifier(true, id);
}

void SortViewpointCommandCommon::BreakHierarchy(LONG id) {
    if (tracing()) {
        trace(__LINE__, "SortViewpointCommandCommon::BreakHierarchy",
              PovaString::build("SortCommand %x ::BreakHierarchy(%d)", trace_address(), id));
    }
    record_modifier(false, id);
}

void SortViewpointCommandCommon::record_modifier(bool reversing, LONG id) {
    check_nothing_recorded();
    auto modifier = std::make_unique<SortCommon>();
    modifier->setIsReversing(reversing);
    modifier->setChangeHier(!reversing);
    modifier->setParentIndex(id);
    fSort = std::move(modifier);
    fKind = kModifySort;
}

bool SortViewpointCommandCommon::SetSortLinkMode(ZELT_o::LinkMode mode) {
    if (mode < ZELT_o::kLinkOwn || mode > ZELT_o::kLinkBase) {
        return false;
    }
    fLinkMode = mode;
    fKind = kLinkMode;
    return true;
}

}  // namespace common
