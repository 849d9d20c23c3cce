// Query execution through the result cache, the query-dirty state and the query fields.
#include <basekit/BaseError.h>
#include <pova/PropertySpecification.h>
#include <pova/ViewResultSet.h>
#include <pova/common/QueryFieldsDataCommon.h>
#include <pova/common/ViewpointCommon.h>

#include <algorithm>

#include "foundation/TraceLog.h"
#include "viewpoint/CacheCommon.h"

namespace common {

namespace {

constexpr ZELT_o::MessageCode kNoResult = 0xC2011200u;
constexpr ZELT_o::MessageCode kNotConnected = 0xC201120Du;
constexpr ZELT_o::MessageCode kProviderInError = 0xC201491Eu;
// A provider's transient failure: the query is run once more.
constexpr ZELT_o::MessageCode kRetryQuery = 0xC201B220u;

// Ends a hold of events that a query began, on every path; events queued meanwhile stay
// queued for whoever sends next.
class QueryEventHold {
public:
    explicit QueryEventHold(EventDispatcher& dispatcher)
        : fDispatcher(dispatcher), fStarted(!dispatcher.eventsHeld()) {
        if (fStarted) {
            fDispatcher.setHoldEvents();
        }
    }
    ~QueryEventHold() { end(); }
    QueryEventHold(QueryEventHold const&) = delete;
    QueryEventHold& operator=(QueryEventHold const&) = delete;

    // True when this hold was the one to end.
    bool end() {
        if (!fStarted) {
            return false;
        }
        fStarted = false;
        fDispatcher.resetHoldEvents();
        return true;
    }

private:
    EventDispatcher& fDispatcher;
    bool fStarted;
};

}  // namespace

ZELT_o::ViewResultSet* ViewpointCommon::query(
    std::vector<ZELT_o::PropertySpecification>* properties) {
    if (properties == nullptr) {
        throwResult(E_INVALIDARG);
    }
    fTrace->write(__LINE__, "ViewpointCommon::query", "ViewpointCommon(%03d) %x query",
                  static_cast<int>(getInstance()), traceAddress());
    // Adopts the reference findData or the provider hands over; the caller gets it, the cache
    // keeps its own.
    auto result = support::adopt(fCache->findData(properties));
    if (result) {
        return result.detach();
    }
    if (!fDerivedViewpoint) {
        throw_error(kNoResult);
    }
    if (fDerivedViewpoint->isInError()) {
        throw_error(kProviderInError);
    }
    auto self = keep_alive();
    QueryEventHold hold(*fDispatcher);
    // A tuple filter that depends on a parameter is cleared before every provider query: its
    // tuples were chosen under the parameter's value of the time, which may have changed.
    for (LONG axis = 0; axis < countAxes(); ++axis) {
        if (does_axis_contain_parameters(axis) != 0) {
            doClearTupleFilters(axis);
        }
    }
    ViewpointBase* derived = fDerivedViewpoint.get();
    if (derived == nullptr) {
        throw_error(kNoResult);
    }
    try {
        result = support::adopt(derived->query(properties));
    } catch (BaseError const& error) {
        if (error.code() != kRetryQuery) {
            throw;
        }
        result = support::adopt(derived->query(properties));
    }
    if (!result) {
        throw_error(kNoResult);
    }
    fCache->addData(result.get(), properties);
    fDirty = false;
    if (hold.end()) {
        fDispatcher->sendEvents(false);
    }
    return result.detach();
}

PovaString ViewpointCommon::retrieveLastQuery(
    std::vector<ZELT_o::PropertySpecification>* properties) {
    if (!fDerivedViewpoint) {
        throw_error(kNotConnected);
    }
    return fDerivedViewpoint->retrieveLastQuery(properties);
}

bool ViewpointCommon::dropLastQuery() {
    dirty_viewpoint();
    return true;
}

void ViewpointCommon::getMinMaxOnView(std::vector<ZELT_o::PropertySpecification>* properties,
                                      double& first, double& second) {
    ZELT_o::Queryable& queryable = *this;
    auto result = support::adopt(queryable.query(properties));
    if (!result) {
        throw_error(kNoResult);
    }
    first = result->getMinimum();
    second = result->getMaximum();
}

void ViewpointCommon::dirty_viewpoint() {
    fDirty = true;
    fChangedSinceLastPersist = true;
    if (fDerivedViewpoint) {
        fDerivedViewpoint->viewpointChanged();
    }
    fCache->clearData();
}

ZELT_o::QueryFieldsData* ViewpointCommon::getCellQueryFields() {
    return fCellQueryFields.get();
}

ZELT_o::QueryFieldsData* ViewpointCommon::getAxisQueryFields(int axis) {
    return fAxisQueryFields[static_cast<std::size_t>(axis)].get();
}

void ViewpointCommon::initializeQueryFields() {
    destroyQueryFields();
    ViewpointCommon const* parent = fBaseViewpoint.get();
    fCellQueryFields = support::adopt<ZELT_o::QueryFieldsData>(new ZELT_o::QueryFieldsDataCommon(
        parent != nullptr ? parent->fCellQueryFields.get() : nullptr));
    auto const axes = static_cast<std::size_t>(std::max(0, countAxes() + countPagedAxes()));
    fAxisQueryFields.reserve(axes);
    for (std::size_t axis = 0; axis < axes; ++axis) {
        ZELT_o::QueryFieldsData* parentFields = nullptr;
        if (parent != nullptr && axis < parent->fAxisQueryFields.size()) {
            parentFields = parent->fAxisQueryFields[axis].get();
        }
        fAxisQueryFields.push_back(support::adopt<ZELT_o::QueryFieldsData>(
            new ZELT_o::QueryFieldsDataCommon(parentFields)));
    }
}

void ViewpointCommon::destroyQueryFields() {
    for (ViewpointCommon* child : fChildren) {
        child->destroyQueryFields();
    }
    fCellQueryFields.reset();
    fAxisQueryFields.clear();
}

}  // namespace common
