// Orientation: moving and swapping dimensions, swapping axes, replacing the sides,
// reorienting from XML, axis types, exclude-NULLs, and the layout undo records.
#include <basekit/AssertionFailure.h>
#include <basekit/BaseError.h>
#include <basekit/NodeListIterator.h>
#include <basekit/XmlSupport.h>
#include <pova/Dimension.h>
#include <pova/common/ViewpointCommon.h>

#include "foundation/TraceLog.h"
#include "viewpoint/DimensionMoveOp.h"
#include "viewpoint/ViewpointEvents.h"
#include "viewpoint/ViewpointVisitors.h"

namespace common {

namespace {

constexpr ZELT_o::MessageCode kBadPosition = 0xC201120Fu;
constexpr ZELT_o::MessageCode kTargetFull = 0xC2011212u;
constexpr ZELT_o::MessageCode kSourceAtMinimum = 0xC2011213u;
constexpr ZELT_o::MessageCode kBadAxis = 0x02017024u;

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

void ViewpointCommon::doMoveDim(ZELT_o::DimensionPosition& from, ZELT_o::DimensionPosition& to) {
    if (forwards_layout()) {
        fBaseViewpoint->doMoveDim(from, to);
        return;
    }
    if (!holds(fSides, from, false)) {
        throw_error(kBadPosition, positionText(from));
    }
    if (!holds(fSides, to, true)) {
        throw_error(kBadPosition, positionText(to));
    }
    if (from.axis != to.axis) {
        if (static_cast<LONG>(fSides[to.axis].size()) >= maximumDimensions(to.axis)) {
            throw_error(kTargetFull, positionText(to));
        }
        if (static_cast<LONG>(fSides[from.axis].size()) <= minimumDimensions(from.axis)) {
            throw_error(kSourceAtMinimum, positionText(from));
        }
    }
    auto walk = DimensionMoveVisitor(from.axis, from.position, to.axis, to.position);
    visitTree(walk);
    mark_changed_after_layout_change();
    raise_if_layout_rejected();
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
        // Tuple filters that the move invalidates join the record once filters exist.
        fDimensionMoveUndoStack.push_back(std::make_unique<DimensionMoveOp>(
            fromAxis, toAxis, fromPosition, toPosition, DimensionMoveOp::DMT_MOVE));
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
    if (forwards_layout()) {
        fBaseViewpoint->doingUndoDimensionMove(from, to);
        return;
    }
    if (!fDimensionMoveUndoStack.empty() &&
        fDimensionMoveUndoStack.back()->matches(DimensionMoveOp::DMT_MOVE, from.axis, from.position,
                                                to.axis, to.position)) {
        fDimensionMoveUndoStack.pop_back();
    }
    auto walk = UndoDimensionMoveVisitor();
    visitTree(walk);
}

// --- swaps

void ViewpointCommon::doSwapDim(ZELT_o::DimensionPosition& a, ZELT_o::DimensionPosition& b) {
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
    visitTree(walk);
    mark_changed_after_layout_change();
    sendEvents();
    raise_if_layout_rejected();
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
        fDimensionMoveUndoStack.push_back(std::make_unique<DimensionMoveOp>(
            axisA, axisB, positionA, positionB, DimensionMoveOp::DMT_SWAP));
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
    if (forwards_layout()) {
        fBaseViewpoint->doingUndoDimensionSwap(a, b);
        return;
    }
    if (!fDimensionMoveUndoStack.empty() &&
        fDimensionMoveUndoStack.back()->matches(DimensionMoveOp::DMT_SWAP, a.axis, a.position,
                                                b.axis, b.position)) {
        fDimensionMoveUndoStack.pop_back();
    }
    auto walk = UndoDimensionSwapVisitor();
    visitTree(walk);
}

void ViewpointCommon::doSwapAxes(LONG a, LONG b) {
    if (forwards_layout()) {
        fBaseViewpoint->doSwapAxes(a, b);
        return;
    }
    if (!valid_axis(a) || !valid_axis(b)) {
        throw_error(kBadAxis);
    }
    auto walk = AxesSwapVisitor(a, b);
    visitTree(walk);
    mark_changed_after_layout_change();
    sendEvents();
    raise_if_layout_rejected();
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
    if (forwards_layout()) {
        return fBaseViewpoint->setSides(sides);
    }
    if (sides.size() != fSides.size()) {
        throw_error(kBadAxis);
    }
    Sides previous = fSides;
    auto walk = SidesSetVisitor(sides);
    visitTree(walk);
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
    dirty_viewpoint();
    // Filter validation joins here once filters exist; every axis may have changed.
    queue_every_axis_changed();
    queueEvent(CellChangeEvent());
    queueEvent(ViewpointChangeEvent());
}

// --- reorientation

bool ViewpointCommon::parse_sides_xml(PovaString const& text, Sides& sides,
                                      std::vector<Constraint>& constraints,
                                      std::vector<AxisType>& types, std::vector<bool>& excludeNulls,
                                      LONG& numViewAxes, LONG& numPagedAxes,
                                      LONG& newDimensionAxis) {
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
    NodeListIterator attributes({root});
    numViewAxes = fNumViewAxes;
    numPagedAxes = fNumPagedAxes;
    newDimensionAxis = fNewDimensionAxis;
    attributes.read("ViewAxes", numViewAxes);
    attributes.read("PagedAxes", numPagedAxes);
    attributes.read("NewDimensionAxis", newDimensionAxis);
    if (numViewAxes < 0 || numPagedAxes < 0 || numViewAxes + numPagedAxes < 1) {
        return false;
    }
    auto const cube = support::adopt(getCube());
    LONG const count = cube ? cube->countDimensions() : 0;
    auto const axes = static_cast<std::size_t>(numViewAxes + numPagedAxes);
    sides.clear();
    constraints.clear();
    types.clear();
    excludeNulls.clear();
    std::set<ZELT_o::Dimension*> placed;
    for (XmlNode const& child : root.childNodes()) {
        if (!child.isElement() || child.name() != "Side" || sides.size() >= axes) {
            continue;
        }
        bool const view = static_cast<LONG>(sides.size()) < numViewAxes;
        std::vector<ZELT_o::Dimension*> side;
        for (XmlNode const& entry : child.childNodes()) {
            PovaString uniqueName;
            if (!entry.isElement() || entry.name() != "Dimension" ||
                !entry.getAttribute("UniqueName", uniqueName) || !cube) {
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
        PovaString typeText;
        values.read("AxisType", typeText);
        AxisType type = axisTypeFromText(typeText);
        if (type == kNoAxisType) {
            type = view ? kView : kSlice;
        }
        sides.push_back(std::move(side));
        constraints.emplace_back(view ? 1 : 0, maximum < 0 || maximum > count ? count : maximum);
        types.push_back(type);
        excludeNulls.push_back(filterNulls == "true");
    }
    while (sides.size() < axes) {
        bool const view = static_cast<LONG>(sides.size()) < numViewAxes;
        sides.emplace_back();
        constraints.emplace_back(view ? 1 : 0, count);
        types.push_back(view ? kView : kSlice);
        excludeNulls.push_back(false);
    }
    return true;
}

bool ViewpointCommon::doReorient(PovaString xml) {
    if (forwards_layout()) {
        return fBaseViewpoint->doReorient(xml);
    }
    auto walk = ViewpointReorientVisitor(xml);
    visitTree(walk);
    fChangedSinceLastPersist = true;
    sendEvents();
    raise_if_layout_rejected();
    return true;
}

void ViewpointCommon::notifyViewpointReorient(PovaString xml) {
    Sides sides;
    std::vector<Constraint> constraints;
    std::vector<AxisType> types;
    std::vector<bool> excludeNulls;
    LONG numViewAxes = 0;
    LONG numPagedAxes = 0;
    LONG newDimensionAxis = -1;
    if (!parse_sides_xml(xml, sides, constraints, types, excludeNulls, numViewAxes, numPagedAxes,
                         newDimensionAxis)) {
        fTrace->write(__LINE__, "ViewpointCommon::notifyViewpointReorient",
                      "ViewpointCommon(%03d) %x Failed to parse orientation XML string",
                      getInstance(), traceAddress());
        return;
    }
    fNumViewAxes = numViewAxes;
    fNumPagedAxes = numPagedAxes;
    fSides = std::move(sides);
    fSideConstraints = std::move(constraints);
    fAxisTypes = std::move(types);
    fExcludeNulls = std::move(excludeNulls);
    fNewDimensionAxis = newDimensionAxis;
    add_additional_dimensions();
    if (fMoveUndo) {
        fMoveUndo = false;
    } else {
        fDimensionMoveUndoStack.push_back(
            std::make_unique<DimensionMoveOp>(0, 0, 0, 0, DimensionMoveOp::DMT_REORIENT));
    }
    dirty_viewpoint();
    queue_every_axis_changed();
    queueEvent(CellChangeEvent());
    queueEvent(ViewpointChangeEvent());
    check_derived_viewpoint();
}

void ViewpointCommon::doingUndoViewpointReorient() {
    if (forwards_layout()) {
        fBaseViewpoint->doingUndoViewpointReorient();
        return;
    }
    auto walk = UndoViewpointReorientVisitor();
    visitTree(walk);
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
            // The specifications it invalidated become valid again once they exist.
            fDimensionMoveUndoStack.pop_back();
        }
    }
    fMoveUndo = true;
}

// --- axis types and exclude-NULLs

bool ViewpointCommon::change_axis_type(LONG axis, AxisType type) {
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
    if (type == kExcluded && fAxisTypes[axis] != kExcluded && valid_axis(axis)) {
        fDimsAwaitingDefault.insert(fSides[axis].begin(), fSides[axis].end());
    }
    fAxisTypes[axis] = type;
    return true;
}

void ViewpointCommon::doChangeAxisType(LONG axis, AxisType type) {
    if (forwards_layout()) {
        fBaseViewpoint->doChangeAxisType(axis, type);
        return;
    }
    auto walk = AxisTypeChangedVisitor(axis, type);
    visitTree(walk);
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
    if (forwards_layout()) {
        fBaseViewpoint->setAxisExcludeNULLs(axis, exclude);
        return;
    }
    if (axis < 0 || static_cast<std::size_t>(axis) >= fExcludeNulls.size()) {
        throw_error(kBadAxis);
    }
    auto walk = ExcludeNullsVisitor(axis, exclude);
    visitTree(walk);
    fChangedSinceLastPersist = true;
    sendEvents();
    raise_if_layout_rejected();
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
