// Orientation: moving and swapping dimensions, swapping axes, replacing the sides,
// reorienting from XML, axis types, exclude-NULLs, and the layout undo records.
#include <basekit/AssertionFailure.h>
#include <basekit/BaseError.h>
#include <basekit/NodeListIterator.h>
#include <basekit/XmlSupport.h>
#include <pova/Dimension.h>
#include <pova/common/ViewpointCommon.h>

#include <algorithm>

#include "foundation/TraceLog.h"
#include "viewpoint/DimensionMoveOp.h"
#include "viewpoint/Orientation.h"
#include "viewpoint/ViewpointEvents.h"
#include "viewpoint/ViewpointVisitors.h"

namespace common {

namespace {

constexpr ZELT_o::MessageCode kBadPosition = 0xC201120Fu;
constexpr ZELT_o::MessageCode kTargetFull = 0xC2011212u;
constexpr ZELT_o::MessageCode kSourceAtMinimum = 0xC2011213u;
constexpr ZELT_o::MessageCode kBadAxis = 0x02017024u;
constexpr ZELT_o::MessageCode kLayoutRejected = 0xC201491Eu;

PovaString positionText(ZELT_o::DimensionPosition const& position) {
    return PovaString::build("(%d, %d)", position.axis, position.position);
}

bool holds(ViewpointCommon::Sides const& sides, ZELT_o::DimensionPosition const& position,
           bool onePastEnd) {
    if (position.axis < 0 || static_cast<std::size_t>(position.axis) >= sides.size()) {
        return false;
    }
    auto const size = static_cast<LONG>(sides[position.axis].size());
    return position.position >= 0 && position.position < size + (onePastEnd ? 1 : 0);
}

ZELT_o::Viewpoint::AxisType axisTypeFromText(PovaString const& text) {
    if (text == "View") {
        return ZELT_o::Viewpoint::kView;
    }
    if (text == "Slice") {
        return ZELT_o::Viewpoint::kSlice;
    }
    if (text == "Hidden") {
        return ZELT_o::Viewpoint::kHidden;
    }
    if (text == "Excluded") {
        return ZELT_o::Viewpoint::kExcluded;
    }
    return ZELT_o::Viewpoint::kNoAxisType;
}

}  // namespace

void ViewpointCommon::mark_changed_after_layout_change() {
    fChangedSinceLastPersist = true;
    if (fInitFromExpression) {
        update_children_viewpoint_expression(false);
        fInitFromExpression = false;
    }
}

std::size_t ViewpointCommon::undoDepth() const {
    return fDimensionMoveUndoStack.size();
}

bool ViewpointCommon::isAwaitingDefaultState(ZELT_o::Dimension const* dimension) const {
    return fDimsAwaitingDefault.count(dimension) != 0;
}

bool ViewpointCommon::take_dim_default_request(ZELT_o::Dimension const* dimension) {
    return fDimsAwaitingDefault.erase(dimension) != 0;
}

// --- moves

void ViewpointCommon::check_move(Sides const& sides, std::vector<Constraint> const& constraints,
                                 ZELT_o::DimensionPosition const& from,
                                 ZELT_o::DimensionPosition const& to) {
    if (!holds(sides, from, false)) {
        throw_error(kBadPosition, positionText(from));
    }
    if (!holds(sides, to, true)) {
        throw_error(kBadPosition, positionText(to));
    }
    if (from.axis == to.axis) {
        return;
    }
    auto limit = [&](LONG axis, bool maximum) {
        if (static_cast<std::size_t>(axis) >= constraints.size()) {
            return LONG{0};
        }
        return maximum ? constraints[axis].second : constraints[axis].first;
    };
    if (static_cast<LONG>(sides[to.axis].size()) >= limit(to.axis, true)) {
        throw_error(kTargetFull, positionText(to));
    }
    if (static_cast<LONG>(sides[from.axis].size()) <= limit(from.axis, false)) {
        throw_error(kSourceAtMinimum, positionText(from));
    }
}

void ViewpointCommon::doMoveDim(ZELT_o::DimensionPosition& from, ZELT_o::DimensionPosition& to) {
    auto self = keep_alive();
    if (forwards_layout()) {
        fBaseViewpoint->doMoveDim(from, to);
        return;
    }
    check_move(fSides, fSideConstraints, from, to);
    if (move_dimension(from, to)) {
        throw_error(kLayoutRejected);
    }
}

bool ViewpointCommon::move_dimension(ZELT_o::DimensionPosition const& from,
                                     ZELT_o::DimensionPosition const& to) {
    auto walk = DimensionMoveVisitor(from.axis, from.position, to.axis, to.position);
    bool const rejected = walk_layout(walk);
    mark_changed_after_layout_change();
    return rejected;
}

void ViewpointCommon::notifyDimensionMoved(LONG fromAxis, LONG fromPosition, LONG toAxis,
                                           LONG toPosition) {
    if (!holds(fSides, {fromAxis, fromPosition}, false) ||
        !holds(fSides, {toAxis, toPosition}, true)) {
        POVA_CHECK(!"Dimension move outside the sides of a linked viewpoint");
        return;
    }
    auto& source = fSides[fromAxis];
    ZELT_o::Dimension* dimension = source[fromPosition];
    source.erase(source.begin() + fromPosition);
    LONG const index =
        fromAxis == toAxis && fromPosition < toPosition ? toPosition - 1 : toPosition;
    auto& target = fSides[toAxis];
    target.insert(target.begin() + index, dimension);

    if (fMoveUndo) {
        fMoveUndo = false;
    } else {
        auto record = std::make_unique<DimensionMoveOp>(fromAxis, toAxis, fromPosition, toPosition,
                                                        DimensionMoveOp::DMT_MOVE);
        // A tuple filter no longer fits once its dimensions are parted or put in another
        // order: the moved one left them, or the move came between two of them.
        invalidate_tuple_filters(fromAxis, {dimension}, record->fInvalidTupleFilters);
        if (index > 0 && static_cast<std::size_t>(index) + 1 < target.size()) {
            invalidate_tuple_filters(toAxis, {target[index - 1], target[index + 1]},
                                     record->fInvalidTupleFilters);
        }
        fDimensionMoveUndoStack.push_back(std::move(record));
    }
    dirty_viewpoint();
    queueEvent(DimensionMoveEvent(*dimension, {fromAxis, fromPosition}));
    queue_axis_events(fromAxis, toAxis);
    queueEvent(CellChangeEvent());
    queueEvent(ViewpointChangeEvent());
    check_derived_viewpoint();
}

void ViewpointCommon::nofityUndoDimensionMoved() {
    fMoveUndo = true;
}

void ViewpointCommon::doingUndoDimensionMove(ZELT_o::DimensionPosition& from,
                                             ZELT_o::DimensionPosition& to) {
    auto self = keep_alive();
    if (forwards_layout()) {
        fBaseViewpoint->doingUndoDimensionMove(from, to);
        return;
    }
    if (!fDimensionMoveUndoStack.empty() &&
        fDimensionMoveUndoStack.back()->matches(DimensionMoveOp::DMT_MOVE, from.axis, from.position,
                                                to.axis, to.position)) {
        revalidate(fDimensionMoveUndoStack.back()->fInvalidTupleFilters);
        fDimensionMoveUndoStack.pop_back();
    }
    auto walk = UndoDimensionMoveVisitor();
    walk_layout(walk);
}

// --- swaps

void ViewpointCommon::doSwapDim(ZELT_o::DimensionPosition& a, ZELT_o::DimensionPosition& b) {
    auto self = keep_alive();
    if (forwards_layout()) {
        fBaseViewpoint->doSwapDim(a, b);
        return;
    }
    if (!holds(fSides, a, false)) {
        throw_error(kBadPosition, positionText(a));
    }
    if (!holds(fSides, b, false)) {
        throw_error(kBadPosition, positionText(b));
    }
    auto walk = DimensionSwapVisitor(a.axis, a.position, b.axis, b.position);
    bool const rejected = walk_layout(walk);
    mark_changed_after_layout_change();
    sendEvents();
    if (rejected) {
        throw_error(kLayoutRejected);
    }
}

void ViewpointCommon::notifyDimensionSwapped(LONG axisA, LONG positionA, LONG axisB,
                                             LONG positionB) {
    if (!holds(fSides, {axisA, positionA}, false) || !holds(fSides, {axisB, positionB}, false)) {
        POVA_CHECK(!"Dimension swap outside the sides of a linked viewpoint");
        return;
    }
    dirty_viewpoint();
    std::swap(fSides[axisA][positionA], fSides[axisB][positionB]);
    if (fSwapUndo) {
        fSwapUndo = false;
    } else {
        auto record = std::make_unique<DimensionMoveOp>(axisA, axisB, positionA, positionB,
                                                        DimensionMoveOp::DMT_SWAP);
        // Each dimension left its place: the tuple filters it belonged to no longer fit.
        invalidate_tuple_filters(axisA, {fSides[axisB][positionB]}, record->fInvalidTupleFilters);
        invalidate_tuple_filters(axisB, {fSides[axisA][positionA]}, record->fInvalidTupleFilters);
        fDimensionMoveUndoStack.push_back(std::move(record));
    }
    queueEvent(DimensionSwapEvent(*fSides[axisB][positionB], *fSides[axisA][positionA]));
    queue_axis_events(axisA, axisB);
    queueEvent(CellChangeEvent());
    queueEvent(ViewpointChangeEvent());
    check_derived_viewpoint();
}

void ViewpointCommon::nofityUndoDimensionSwapped() {
    fSwapUndo = true;
}

void ViewpointCommon::doingUndoDimensionSwap(ZELT_o::DimensionPosition& a,
                                             ZELT_o::DimensionPosition& b) {
    auto self = keep_alive();
    if (forwards_layout()) {
        fBaseViewpoint->doingUndoDimensionSwap(a, b);
        return;
    }
    if (!fDimensionMoveUndoStack.empty() &&
        fDimensionMoveUndoStack.back()->matches(DimensionMoveOp::DMT_SWAP, a.axis, a.position,
                                                b.axis, b.position)) {
        revalidate(fDimensionMoveUndoStack.back()->fInvalidTupleFilters);
        fDimensionMoveUndoStack.pop_back();
    }
    auto walk = UndoDimensionSwapVisitor();
    walk_layout(walk);
}

void ViewpointCommon::doSwapAxes(LONG a, LONG b) {
    auto self = keep_alive();
    if (forwards_layout()) {
        fBaseViewpoint->doSwapAxes(a, b);
        return;
    }
    if (!valid_axis(a) || !valid_axis(b)) {
        throw_error(kBadAxis);
    }
    // Each axis keeps its constraints, so each must be able to hold the other's dimensions.
    for (auto [axis, other] : {std::pair{a, b}, std::pair{b, a}}) {
        LONG const size = static_cast<LONG>(fSides[other].size());
        if (size > maximumDimensions(axis)) {
            throw_error(kTargetFull, positionText({axis, size}));
        }
        if (size < minimumDimensions(axis)) {
            throw_error(kSourceAtMinimum, positionText({axis, size}));
        }
    }
    auto walk = AxesSwapVisitor(a, b);
    bool const rejected = walk_layout(walk);
    mark_changed_after_layout_change();
    sendEvents();
    if (rejected) {
        throw_error(kLayoutRejected);
    }
}

void ViewpointCommon::notifyAxesSwapped(LONG axisA, LONG axisB) {
    if (!valid_axis(axisA) || !valid_axis(axisB)) {
        POVA_CHECK(!"Axis swap outside the sides of a linked viewpoint");
        return;
    }
    dirty_viewpoint();
    std::swap(fSides[axisA], fSides[axisB]);
    // Every dimension that changed axis is reported with the place it came from.
    if (axisA != axisB) {
        for (std::size_t p = 0; p < fSides[axisB].size(); ++p) {
            queueEvent(DimensionMoveEvent(*fSides[axisB][p], {axisA, static_cast<LONG>(p)}));
        }
        for (std::size_t p = 0; p < fSides[axisA].size(); ++p) {
            queueEvent(DimensionMoveEvent(*fSides[axisA][p], {axisB, static_cast<LONG>(p)}));
        }
    }
    queue_axis_events(axisA, axisB);
    queueEvent(CellChangeEvent());
    queueEvent(ViewpointChangeEvent());
    check_derived_viewpoint();
}

// --- whole sides

ViewpointCommon::Sides ViewpointCommon::setSides(Sides& sides) {
    auto self = keep_alive();
    if (forwards_layout()) {
        return fBaseViewpoint->setSides(sides);
    }
    if (sides.size() != fSides.size()) {
        throw_error(kBadAxis);
    }
    // The new sides must hold every cube dimension once, each axis within its constraints.
    std::vector<ZELT_o::Dimension*> expected = cube_dimensions();
    std::vector<ZELT_o::Dimension*> given;
    for (std::size_t axis = 0; axis < sides.size(); ++axis) {
        auto const size = static_cast<LONG>(sides[axis].size());
        if (size < minimumDimensions(static_cast<LONG>(axis)) ||
            size > maximumDimensions(static_cast<LONG>(axis))) {
            throwResult(E_INVALIDARG);
        }
        given.insert(given.end(), sides[axis].begin(), sides[axis].end());
    }
    std::sort(expected.begin(), expected.end());
    std::sort(given.begin(), given.end());
    if (given != expected) {
        throwResult(E_INVALIDARG);
    }
    Sides previous = fSides;
    auto walk = SidesSetVisitor(sides);
    walk_layout(walk);
    fChangedSinceLastPersist = true;
    sendEvents();
    return previous;
}

void ViewpointCommon::notifySidesChanged(Sides& sides) {
    if (sides.size() != fSides.size()) {
        POVA_CHECK(!"Sides of a linked viewpoint differ in number");
        return;
    }
    fSides = sides;
    // New sides end an undo in progress: the undo of a reorientation restores them this way,
    // and the next move must be recorded again.
    fMoveUndo = false;
    // Every axis may have changed, and with it which tuple filters fit.
    validate_filters_and_queue_events();
}

// --- reorientation

bool ViewpointCommon::read_orientation(PovaString const& text, Orientation& orientation) {
    XmlSupport xml;
    if (!xml.readXml(text)) {
        return false;
    }
    XmlNode root = xml.documentElement();
    if (root.name() != "SidesNode") {
        XmlNodeList nested = xml.getNodeList("SidesNode");
        if (nested.empty()) {
            return false;
        }
        root = nested.front();
    }
    return read_orientation(root, -1.0f, orientation);
}

bool ViewpointCommon::read_orientation(XmlNode root, float version, Orientation& orientation) {
    // Versions before 11.5 knew only view and paged axes; 11.5 itself takes a named type
    // where there is one.
    bool const readTypes = version < 0 || version >= 11.5f;
    bool const typesRequired = version > 11.5f;
    NodeListIterator attributes({root});
    orientation.numViewAxes = fNumViewAxes;
    orientation.numPagedAxes = fNumPagedAxes;
    orientation.newDimensionAxis = fNewDimensionAxis;
    attributes.read("ViewAxes", orientation.numViewAxes);
    attributes.read("PagedAxes", orientation.numPagedAxes);
    attributes.read("NewDimensionAxis", orientation.newDimensionAxis);
    LONG const numView = orientation.numViewAxes;
    LONG const numPaged = orientation.numPagedAxes;
    auto const cube = support::adopt(getCube());
    LONG const count = cube ? cube->countDimensions() : 0;
    if (!cube || numView < 0 || numPaged < 0 || numView + numPaged < 1 ||
        numView + numPaged > kMostAxes) {
        return false;
    }
    auto const axes = static_cast<std::size_t>(numView + numPaged);
    Sides& sides = orientation.sides;
    sides.clear();
    orientation.constraints.clear();
    orientation.types.clear();
    orientation.excludeNulls.clear();
    std::set<ZELT_o::Dimension*> placed;
    for (XmlNode child = root.firstChild(); child; child = child.nextSibling()) {
        if (!child.isElement("Side") || sides.size() >= axes) {
            continue;
        }
        bool const view = static_cast<LONG>(sides.size()) < numView;
        std::vector<ZELT_o::Dimension*> side;
        for (XmlNode entry = child.firstChild(); entry; entry = entry.nextSibling()) {
            PovaString uniqueName;
            if (!entry.isElement("Dimension") || !entry.getAttribute("UniqueName", uniqueName)) {
                continue;
            }
            ZELT_o::Dimension* dimension = cube->findDimension(uniqueName);
            if (dimension != nullptr && placed.insert(dimension).second) {
                side.push_back(dimension);
            }
        }
        NodeListIterator values({child});
        LONG maximum = count;
        values.read("MaxDimensions", maximum);
        PovaString filterNulls;
        values.read("FilterNulls", filterNulls);
        AxisType type = kNoAxisType;
        if (readTypes) {
            PovaString typeText;
            values.read("AxisType", typeText);
            type = axisTypeFromText(typeText);
        }
        if (type == kNoAxisType && typesRequired) {
            AssertionFailure("!\"Failed to read axis type from XML\"", __FILE__, __LINE__);
        }
        if (type == kNoAxisType) {
            type = view ? kView : kSlice;
        }
        sides.push_back(std::move(side));
        orientation.constraints.emplace_back(view ? 1 : 0,
                                             maximum < 0 || maximum > count ? count : maximum);
        orientation.types.push_back(type);
        orientation.excludeNulls.push_back(filterNulls == "true");
    }
    while (sides.size() < axes) {
        bool const view = static_cast<LONG>(sides.size()) < numView;
        sides.emplace_back();
        orientation.constraints.emplace_back(view ? 1 : 0, count);
        orientation.types.push_back(view ? kView : kSlice);
        orientation.excludeNulls.push_back(false);
    }
    // Dimensions the text leaves out join the new-dimension axis, then the constraints repair
    // the sides; a layout they cannot repair is no orientation.
    LONG target = orientation.newDimensionAxis >= 0 ? orientation.newDimensionAxis : numView;
    if (target < 0 || static_cast<std::size_t>(target) >= sides.size()) {
        target = static_cast<LONG>(sides.size()) - 1;
    }
    for (ZELT_o::Dimension* dimension : cube_dimensions()) {
        if (placed.count(dimension) == 0) {
            sides[target].push_back(dimension);
        }
    }
    for (std::size_t axis = 0; axis < orientation.constraints.size(); ++axis) {
        Constraint& constraint = orientation.constraints[axis];
        if (static_cast<LONG>(axis) < numView && static_cast<LONG>(axis) >= count) {
            constraint.first = 0;
        }
    }
    try {
        applyMaximums(sides, orientation.constraints, count);
        applyMinimums(sides, orientation.constraints, orientation.types, orientation.excludeNulls,
                      orientation.numViewAxes);
    } catch (ResultError const&) {
        return false;
    }
    return !sides.empty();
}

void ViewpointCommon::take_orientation(Orientation&& orientation) {
    fNumViewAxes = orientation.numViewAxes;
    fNumPagedAxes = orientation.numPagedAxes;
    fNewDimensionAxis = orientation.newDimensionAxis;
    fSides = std::move(orientation.sides);
    fSideConstraints = std::move(orientation.constraints);
    fAxisTypes = std::move(orientation.types);
    fExcludeNulls = std::move(orientation.excludeNulls);
}

bool ViewpointCommon::doReorient(PovaString xml) {
    auto self = keep_alive();
    if (forwards_layout()) {
        return fBaseViewpoint->doReorient(xml);
    }
    // Checked once here so that text that describes no orientation changes nothing anywhere.
    Orientation orientation;
    if (!read_orientation(xml, orientation)) {
        fTrace->write(__LINE__, "ViewpointCommon::notifyViewpointReorient",
                      "ViewpointCommon(%03d) %x Failed to parse orientation XML string",
                      getInstance(), traceAddress());
        return false;
    }
    auto walk = ViewpointReorientVisitor(xml);
    bool const rejected = walk_layout(walk);
    fChangedSinceLastPersist = true;
    sendEvents();
    if (rejected) {
        throw_error(kLayoutRejected);
    }
    return true;
}

void ViewpointCommon::notifyViewpointReorient(PovaString xml) {
    Orientation orientation;
    if (!read_orientation(xml, orientation)) {
        fTrace->write(__LINE__, "ViewpointCommon::notifyViewpointReorient",
                      "ViewpointCommon(%03d) %x Failed to parse orientation XML string",
                      getInstance(), traceAddress());
        return;
    }
    take_orientation(std::move(orientation));
    if (fMoveUndo) {
        fMoveUndo = false;
    } else {
        auto record = std::make_unique<DimensionMoveOp>(0, 0, 0, 0, DimensionMoveOp::DMT_REORIENT);
        invalidate_unfitting_tuple_filters(record->fInvalidTupleFilters);
        fDimensionMoveUndoStack.push_back(std::move(record));
    }
    dirty_viewpoint();
    queue_every_axis_changed();
    queueEvent(CellChangeEvent());
    queueEvent(ViewpointChangeEvent());
    check_derived_viewpoint();
}

void ViewpointCommon::doingUndoViewpointReorient() {
    auto self = keep_alive();
    if (forwards_layout()) {
        fBaseViewpoint->doingUndoViewpointReorient();
        return;
    }
    auto walk = UndoViewpointReorientVisitor();
    walk_layout(walk);
    fChangedSinceLastPersist = true;
    sendEvents();
}

void ViewpointCommon::notifyUndoViewpointReorient() {
    if (fDimensionMoveUndoStack.empty()) {
        POVA_CHECK(!fDimensionMoveUndoStack.empty());
    } else {
        DimensionMoveOp const* dmo = fDimensionMoveUndoStack.back().get();
        POVA_CHECK(DimensionMoveOp::DMT_REORIENT == dmo->fType);
        if (dmo->fType == DimensionMoveOp::DMT_REORIENT) {
            revalidate(dmo->fInvalidTupleFilters);
            revalidate(dmo->fInvalidSpecifications);
            fDimensionMoveUndoStack.pop_back();
        }
    }
    fMoveUndo = true;
}

// --- axis types and exclude-NULLs

bool ViewpointCommon::axis_type_changeable(LONG axis) {
    if (axis < 0 || static_cast<std::size_t>(axis) >= fAxisTypes.size()) {
        fTrace->write(__LINE__, "ViewpointCommon::change_axis_type",
                      "ViewpointCommon(%03d) %x setAxisType failed because of invalid axis "
                      "ordinal",
                      getInstance(), traceAddress());
        return false;
    }
    if (fAxisTypes[axis] == kView) {
        fTrace->write(__LINE__, "ViewpointCommon::change_axis_type",
                      "ViewpointCommon(%03d) %x setAxisType failed as this axis is of type view "
                      "so cannot be changed",
                      getInstance(), traceAddress());
        return false;
    }
    return true;
}

bool ViewpointCommon::change_axis_type(LONG axis, AxisType type) {
    if (!axis_type_changeable(axis)) {
        return false;
    }
    if (type == kExcluded && fAxisTypes[axis] != kExcluded && valid_axis(axis)) {
        fDimsAwaitingDefault.insert(fSides[axis].begin(), fSides[axis].end());
    }
    fAxisTypes[axis] = type;
    return true;
}

void ViewpointCommon::doChangeAxisType(LONG axis, AxisType type) {
    auto self = keep_alive();
    if (forwards_layout()) {
        fBaseViewpoint->doChangeAxisType(axis, type);
        return;
    }
    if (type < kView || type > kExcluded) {
        throwResult(E_INVALIDARG);
    }
    // A change the axis refuses (traced) leaves every viewpoint of the tree as it was.
    if (!axis_type_changeable(axis)) {
        return;
    }
    auto walk = AxisTypeChangedVisitor(axis, type);
    walk_layout(walk);
    fChangedSinceLastPersist = true;
    sendEvents();
}

void ViewpointCommon::notifyAxisTypeChanged(LONG axis, AxisType type) {
    if (!change_axis_type(axis, type)) {
        return;
    }
    dirty_viewpoint();
    queueEvent(AxisTypeChangedEvent(axis, type));
    if (valid_axis(axis)) {
        for (ZELT_o::Dimension* dimension : fSides[axis]) {
            queueEvent(
                DimensionChangeEvent(*dimension, ZELT_o::ViewpointListener::kMemberSetChanged));
        }
    }
    queueEvent(AxisChangeEvent(axis));
    queueEvent(CellChangeEvent());
    queueEvent(ViewpointChangeEvent());
}

void ViewpointCommon::setAxisExcludeNULLs(LONG axis, bool exclude) {
    auto self = keep_alive();
    if (forwards_layout()) {
        fBaseViewpoint->setAxisExcludeNULLs(axis, exclude);
        return;
    }
    if (axis < 0 || static_cast<std::size_t>(axis) >= fExcludeNulls.size()) {
        throw_error(kBadAxis);
    }
    auto walk = ExcludeNullsVisitor(axis, exclude);
    bool const rejected = walk_layout(walk);
    fChangedSinceLastPersist = true;
    sendEvents();
    if (rejected) {
        throw_error(kLayoutRejected);
    }
}

void ViewpointCommon::notifyExcludeNullsChanged(LONG axis, bool flag) {
    if (axis < 0 || static_cast<std::size_t>(axis) >= fExcludeNulls.size()) {
        POVA_CHECK(!"Exclude-NULLs change outside the axes of a linked viewpoint");
        return;
    }
    fExcludeNulls[axis] = flag;
    dirty_viewpoint();
    queueEvent(AxisChangeEvent(axis));
    queueEvent(CellChangeEvent());
    queueEvent(ViewpointChangeEvent());
    check_derived_viewpoint();
}

}  // namespace common
