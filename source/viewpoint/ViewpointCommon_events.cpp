// Listeners, queued events, tree walks and the notifications that only queue events.
#include <basekit/AssertionFailure.h>
#include <pova/Dimension.h>
#include <pova/Hierarchy.h>
#include <pova/Member.h>
#include <pova/MemberSet.h>
#include <pova/ViewpointListener.h>
#include <pova/common/ViewpointCommon.h>

#include "viewpoint/ViewpointEvents.h"
#include "viewpoint/ViewpointVisitors.h"

namespace common {

namespace {
constexpr ZELT_o::MessageCode kLayoutRejected = 0xC201491Eu;
}  // namespace

// --- listeners and the queue

void ViewpointCommon::addListener(ZELT_o::ViewpointListener* listener) {
    if (listener != nullptr) {
        fDispatcher->addListener(listener);
    }
}

void ViewpointCommon::removeListener(ZELT_o::ViewpointListener* listener) {
    fDispatcher->removeListener(listener);
}

void ViewpointCommon::queueEvent(Event const& event) {
    fDispatcher->queueEvent(event);
}

void ViewpointCommon::sendQueuedEvents(bool force) {
    fDispatcher->sendEvents(force);
}

// From the root, so that one send reaches every listener of the tree, whichever viewpoint of
// it started the change.
void ViewpointCommon::sendEvents() {
    auto send = SendEventsVisitor();
    getRoot()->visitTree(send);
}

bool ViewpointCommon::eventsHeld() {
    return fDispatcher->eventsHeld();
}

void ViewpointCommon::holdEvents() {
    auto self = keep_alive();
    auto hold = BeginHoldEventsVisitor();
    visitTree(hold);
    auto force = ForceSendEventsVisitor();
    visitTree(force);
}

void ViewpointCommon::releaseEvents() {
    auto self = keep_alive();
    auto release = ReleaseEventsVisitor();
    visitTree(release);
    sendEvents();
}

void ViewpointCommon::operationsUndone() {
    auto root = support::retain(getRoot());
    auto undone = OperationsUndoneVisitor();
    root->visitTree(undone);
    root->sendEvents();
}

void ViewpointCommon::notifyHoldingEvents() {
    queueEvent(HoldEventsEvent());
    fDispatcher->setHoldEvents();
}

void ViewpointCommon::notifyReleasingEvents() {
    queueEvent(ReleaseCompleteEvent());
    fDispatcher->resetHoldEvents();
}

void ViewpointCommon::notifyOperationsUndone() {
    fDispatcher->discardEvents();
    fDispatcher->resetHoldEvents();
    queueEvent(UndoOperationsCompleteEvent());
}

// --- tree walks

support::Ref<ViewpointCommon> ViewpointCommon::keep_alive() {
    return support::retain(this);
}

void ViewpointCommon::visitTree(ViewpointVisitor& visitor) {
    auto self = keep_alive();
    walk_tree(visitor);
}

void ViewpointCommon::walk_tree(ViewpointVisitor& visitor) {
    if (visitor.visit(*this, *this, true)) {
        visit_children(visitor);
    }
}

void ViewpointCommon::visitTreeInternal(ViewpointVisitor& visitor) {
    if (visitor.visit(*this, *this, false)) {
        visit_children(visitor);
    }
}

// A call on a child may add or remove children (a listener may release one): the children
// are held while they are called, and one that left the list meanwhile is skipped.
std::vector<support::Ref<ViewpointCommon>> ViewpointCommon::children_snapshot() const {
    std::vector<support::Ref<ViewpointCommon>> children;
    children.reserve(fChildren.size());
    for (ViewpointCommon* child : fChildren) {
        children.push_back(support::retain(child));
    }
    return children;
}

bool ViewpointCommon::is_child(ViewpointCommon const* viewpoint) const {
    return std::find(fChildren.begin(), fChildren.end(), viewpoint) != fChildren.end();
}

void ViewpointCommon::visit_children(ViewpointVisitor& visitor) {
    if (fChildren.empty()) {
        return;
    }
    for (auto const& child : children_snapshot()) {
        if (is_child(child.get())) {
            child->visitTreeInternal(visitor);
        }
    }
}

bool ViewpointCommon::take_layout_rejection() {
    bool rejected = std::exchange(fLayoutRejected, false);
    for (ViewpointCommon* child : fChildren) {
        rejected = child->take_layout_rejection() || rejected;
    }
    return rejected;
}

bool ViewpointCommon::walk_layout(ViewpointVisitor& walk) {
    take_layout_rejection();  // a refusal left by an earlier walk is not this one's
    try {
        walk_tree(walk);
    } catch (...) {
        take_layout_rejection();
        throw;
    }
    return take_layout_rejection();
}

void ViewpointCommon::check_derived_viewpoint() {
    if (fDerivedViewpoint && fDerivedViewpoint->isInError()) {
        fLayoutRejected = true;
    }
}

// --- link modes

ZELT_o::LinkMode ViewpointCommon::getDimensionLinkMode(ZELT_o::Dimension const* dimension) {
    if (fDimensionLinkModes.empty()) {
        fDimensionLinkModes.assign(static_cast<std::size_t>(cube_dimension_count()),
                                   ZELT_o::kLinkOwn);
    }
    LONG const index = cube_dimension_index(dimension);
    if (index < 0 || static_cast<std::size_t>(index) >= fDimensionLinkModes.size()) {
        return ZELT_o::kLinkOwn;
    }
    return fDimensionLinkModes[index];
}

void ViewpointCommon::setDimensionLinkMode(ZELT_o::Dimension* dimension, ZELT_o::LinkMode mode) {
    auto self = keep_alive();
    if (dimension == nullptr) {
        return;
    }
    auto walk = DimensionLinkVisitor(*dimension, mode);
    visitTree(walk);
    sendEvents();
}

void ViewpointCommon::setDimensionLinkModes(ZELT_o::LinkMode mode) {
    auto self = keep_alive();
    for (ZELT_o::Dimension* dimension : cube_dimensions()) {
        auto walk = DimensionLinkVisitor(*dimension, mode);
        visitTree(walk);
    }
    sendEvents();
}

void ViewpointCommon::notifyDimensionLinkModeChanged(ZELT_o::Dimension& dimension,
                                                     ZELT_o::LinkMode mode, bool isRoot) {
    if (isRoot) {
        getDimensionLinkMode(&dimension);  // sizes the list on first use
        LONG const index = cube_dimension_index(&dimension);
        if (index >= 0 && static_cast<std::size_t>(index) < fDimensionLinkModes.size()) {
            fDimensionLinkModes[index] = mode;
        }
    }
    dirty_viewpoint();
    queue_dimension_axis_changed(&dimension);
    queueEvent(DimensionChangeEvent(dimension, ZELT_o::ViewpointListener::kMemberSetChanged));
    queueEvent(CellChangeEvent());
    queueEvent(ViewpointChangeEvent());
}

void ViewpointCommon::update_children_viewpoint_expression(bool flag) {
    std::vector<ZELT_o::Dimension*> const dimensions = cube_dimensions();
    for (ViewpointCommon* child : fChildren) {
        bool linked = false;
        // The viewpoint's own property set follows the dimensions; it has no link mode.
        for (std::size_t i = 0; i + 1 < dimensions.size() && !linked; ++i) {
            linked = linkedMode(child->getDimensionLinkMode(dimensions[i]));
        }
        if (linked) {
            child->fInitFromExpression = flag;
        }
    }
}

void ViewpointCommon::retrieveBaseOrientation(std::vector<ZELT_o::Dimension*>& dimensions) {
    dimensions.clear();
    if (!fBaseViewpoint || !isConnected()) {
        return;
    }
    for (auto const& side : fBaseViewpoint->getSides()) {
        dimensions.insert(dimensions.end(), side.begin(), side.end());
    }
}

// --- axis information

PovaString ViewpointCommon::getAxisInfo(ZELT_o::Dimension const& dimension) {
    LONG index = -1;
    for (std::size_t i = 0; i < fProperties.size(); ++i) {
        if (fProperties[i]->getDimension() == &dimension) {
            index = static_cast<LONG>(i);
        }
    }
    if (index < 0) {
        return PovaString();
    }
    DimensionProperties::DimensionProperty const* property = fProperties[index]->get(AXISINFO);
    if (property == nullptr || property->getValue().vt != VT_BSTR) {
        return PovaString();
    }
    PovaString text;
    text.fillFromBSTR(property->getValue().bstrVal);
    return text;
}

void ViewpointCommon::setAxisInfo(ZELT_o::Dimension const& dimension, PovaString const& info) {
    auto self = keep_alive();
    LONG const index = getDimIndex(&dimension);
    basekit::Variant value(info.c_str());
    fProperties[index]->set(Property(AXISINFO, *value));
    auto walk = AxisInfoVisitor(dimension.getUniqueName());
    getRoot()->visitTree(walk);
    sendEvents();
}

void ViewpointCommon::notifyAxisInfoChanged(PovaString const& uniqueName) {
    LONG axis = -1;
    LONG position = -1;
    if (findDimensionAxis(uniqueName, axis, position)) {
        queueEvent(AxisInfoChangeEvent(*getDimensionAt({axis, position})));
    }
}

// --- notifications that queue events for the specifications and selections

void ViewpointCommon::queue_every_axis_changed() {
    for (LONG axis = 0; axis < static_cast<LONG>(fSides.size()); ++axis) {
        queueEvent(AxisChangeEvent(axis));
    }
}

// Anything that changes what every axis and cell shows: sorts, subtotals, filters, new data.
void ViewpointCommon::queue_data_changed() {
    dirty_viewpoint();
    queue_every_axis_changed();
    queueEvent(CellChangeEvent());
    queueEvent(ViewpointChangeEvent());
}

// The axis of a dimension changed; a dimension on no axis (not of this cube) changes none.
void ViewpointCommon::queue_dimension_axis_changed(ZELT_o::Dimension const* dimension) {
    LONG const axis = findDimensionAxis(dimension);
    if (axis >= 0) {
        queueEvent(AxisChangeEvent(axis));
    }
}

void ViewpointCommon::queue_axis_events(LONG axisA, LONG axisB) {
    // Sorts and filters can depend on any axis; without them only the touched axes change.
    if (has_filters_or_sorts()) {
        queue_every_axis_changed();
        return;
    }
    queueEvent(AxisChangeEvent(axisA));
    if (axisB != axisA) {
        queueEvent(AxisChangeEvent(axisB));
    }
}

// A sort changes the order of its dimensions' members: their axes and the dimensions
// themselves are told. A walk without a sort (a changed link mode) changes every axis.
void ViewpointCommon::notifySortChanged(ZELT_o::Sort* sort) {
    if (sort == nullptr) {
        queue_data_changed();
        return;
    }
    dirty_viewpoint();
    std::vector<ZELT_o::Dimension*> const dimensions = sort->getDimVec();
    std::vector<LONG> axes;
    for (ZELT_o::Dimension const* dimension : dimensions) {
        LONG const axis = findDimensionAxis(dimension);
        if (axis >= 0 && std::find(axes.begin(), axes.end(), axis) == axes.end()) {
            axes.push_back(axis);
            queueEvent(AxisChangeEvent(axis));
        }
    }
    for (ZELT_o::Dimension* dimension : dimensions) {
        if (dimension != nullptr && findDimensionAxis(dimension) >= 0) {
            queueEvent(
                DimensionChangeEvent(*dimension, ZELT_o::ViewpointListener::kMemberSetChanged));
        }
    }
    queueEvent(CellChangeEvent());
    queueEvent(ViewpointChangeEvent());
}

// Subtotals and filters do not yet say which axis and dimension they apply to: until they do,
// every axis is told, and the dimension's change event waits for that seam.

void ViewpointCommon::notifySubTotalChanged(ZELT_o::SubTotal* /*subTotal*/) {
    queue_data_changed();
}

// A filter changes the lines of the axis it applies to. The other axes change too when one of
// them leaves out empty lines (a line may have become empty), or when the filter applies to no
// axis that can be told.
void ViewpointCommon::notifyFilterChanged(ZELT_o::Filter* filter) {
    LONG const axis = filter != nullptr ? filter_axis(*filter) : -1;
    LONG const axes = countAxes() + countPagedAxes();
    bool others = axis < 0 || axis >= axes;
    for (LONG other = 0; other < axes && !others; ++other) {
        others = other != axis && isAxisNULLFiltered(other);
    }
    if (others) {
        queue_data_changed();
        return;
    }
    dirty_viewpoint();
    queueEvent(AxisChangeEvent(axis));
    queueEvent(CellChangeEvent());
    queueEvent(ViewpointChangeEvent());
}

void ViewpointCommon::notifyFormatChanged(ZELT_o::Format* /*format*/) {
    dirty_viewpoint();
    queueEvent(CellChangeEvent());
    queueEvent(ViewpointChangeEvent());
}

void ViewpointCommon::notifyStyleChanged(ZELT_o::Format* /*format*/) {
    dirty_viewpoint();
    queueEvent(CellChangeEvent());
    queueEvent(ViewpointChangeEvent());
}

void ViewpointCommon::notifyCubeDataChanged() {
    queue_data_changed();
}

void ViewpointCommon::notifyActiveSliceChanged(ZELT_o::Member& member) {
    dirty_viewpoint();
    if (ZELT_o::Dimension* dimension = member.getDimension()) {
        queueEvent(DimensionChangeEvent(*dimension, ZELT_o::ViewpointListener::kSliceChanged));
        queue_dimension_axis_changed(dimension);
    }
    queueEvent(CellChangeEvent());
    queueEvent(ViewpointChangeEvent());
}

void ViewpointCommon::notifyActiveSetChanged(ZELT_o::MemberSet& set) {
    dirty_viewpoint();
    ZELT_o::Dimension* dimension = set.getDimension();
    if (fActiveSetUndo) {
        fActiveSetUndo = false;
    } else if (dimension != nullptr && dimension_state_owner(*dimension) == nullptr) {
        // The record stays with the viewpoint that holds the dimension's state: that is
        // where an undo of the change arrives (doingActiveSetChangeUndo). It lists no filter:
        // a tuple filter names its tuples' members, so another member set leaves it fitting
        // its axis (tuples the set no longer shows just match nothing).
        fActiveSetUndoStack.push_back({support::retain(&set), {}});
    }
    if (dimension != nullptr) {
        queueEvent(DimensionChangeEvent(*dimension, ZELT_o::ViewpointListener::kMemberSetChanged));
        queue_dimension_axis_changed(dimension);
    }
    queueEvent(CellChangeEvent());
    queueEvent(ViewpointChangeEvent());
}

void ViewpointCommon::notifyUndoActiveSetChanged() {
    fActiveSetUndo = true;
}

void ViewpointCommon::notifyActiveSelectionChanged(ZELT_o::MemberSet& set) {
    if (ZELT_o::Dimension* dimension = set.getDimension()) {
        queueEvent(DimensionChangeEvent(*dimension, ZELT_o::ViewpointListener::kSelectionChanged));
        queue_dimension_axis_changed(dimension);
    }
    queueEvent(ViewpointChangeEvent());
}

void ViewpointCommon::notifyActiveHierarchyChanged(ZELT_o::Dimension& dimension,
                                                   ZELT_o::Hierarchy* hierarchy) {
    // A linked child keeps the hierarchy too, so that it still knows it once unlinked.
    LONG const index = cube_dimension_index(&dimension);
    if (index >= 0 && static_cast<std::size_t>(index) < fActiveHierarchies.size()) {
        fActiveHierarchies[static_cast<std::size_t>(index)] = hierarchy;
    }
    dirty_viewpoint();
    queueEvent(DimensionChangeEvent(dimension, ZELT_o::ViewpointListener::kHierarchyChanged));
    queue_dimension_axis_changed(&dimension);
    queueEvent(CellChangeEvent());
    queueEvent(ViewpointChangeEvent());
}

void ViewpointCommon::notifyCalculationChange(ZELT_o::Hierarchy& hierarchy) {
    fChangedSinceLastPersist = true;
    if (ZELT_o::Dimension* dimension = hierarchy.getDimension()) {
        queueEvent(
            DimensionChangeEvent(*dimension, ZELT_o::ViewpointListener::kCalculationChanged));
    }
    queueEvent(ViewpointChangeEvent());
}

void ViewpointCommon::notifyMemberLabelChanged(ZELT_o::Dimension& dimension) {
    queue_dimension_axis_changed(&dimension);
    queueEvent(DimensionChangeEvent(dimension, ZELT_o::ViewpointListener::kMemberSetChanged));
    queueEvent(ViewpointChangeEvent());
}

void ViewpointCommon::notifyMemberLabelChanged(PovaString const& /*uniqueName*/) {
    // Any axis may show the member: every axis is told.
    queue_every_axis_changed();
    queueEvent(ViewpointChangeEvent());
}

void ViewpointCommon::notifyMemberLabelChanged() {
    queue_every_axis_changed();
    queueEvent(ViewpointChangeEvent());
}

// --- member, member-set and parameter-link listener sides

// A member or member set the viewpoint uses changed its value: every viewpoint that shows it
// forgets its prepared state and hears of it.
void ViewpointCommon::variable_changed(ViewpointVisitor& walk) {
    auto self = keep_alive();
    fChangedSinceLastPersist = true;
    if (fInitFromExpression) {
        update_children_viewpoint_expression(false);
        fInitFromExpression = false;
    }
    if (fDerivedViewpoint) {
        fDerivedViewpoint->viewpointChanged();
    }
    visitTree(walk);
    sendEvents();
    if (fDerivedViewpoint && fDerivedViewpoint->isInError()) {
        throw_error(kLayoutRejected);
    }
}

void ViewpointCommon::variableChanged(ZELT_o::Member* member) {
    if (member != nullptr) {
        auto walk = ActiveSliceVisitor(*member);
        variable_changed(walk);
    }
}

void ViewpointCommon::variableChanged(ZELT_o::MemberSet* set) {
    if (set != nullptr) {
        auto walk = ActiveSetVisitor(*set);
        variable_changed(walk);
    }
}

bool ViewpointCommon::forceDeleteOfParameter(ZELT_o::ParameterLink* /*link*/) {
    return false;
}

void ViewpointCommon::parameterChanged(ZELT_o::Parameter* parameter, ZELT_o::Dimension* dimension) {
    auto self = keep_alive();
    if (fInitFromExpression) {
        update_children_viewpoint_expression(false);
        fInitFromExpression = false;
    }
    dirty_viewpoint();
    if (fDerivedViewpoint) {
        fDerivedViewpoint->parameterChanged();
    }
    for (auto const& child : children_snapshot()) {
        if (is_child(child.get()) && dimension != nullptr &&
            linkedMode(child->getDimensionLinkMode(dimension))) {
            child->parameterChanged(parameter, dimension);
        }
    }
    queueEvent(ViewpointChangeEvent());
    sendEvents();
}

}  // namespace common
