// The default layout, the axis constraints and the queries on axes and dimensions.
#include <basekit/AssertionFailure.h>
#include <basekit/BaseError.h>
#include <pova/Dimension.h>
#include <pova/common/ViewpointCommon.h>

#include <numeric>

#include "foundation/TraceLog.h"
#include "viewpoint/Orientation.h"

namespace common {

namespace {
// Raised when an axis ordinal names no axis.
constexpr ZELT_o::MessageCode kBadAxis = 0x02017024u;
constexpr ZELT_o::MessageCode kLayoutRejected = 0xC201491Eu;
}  // namespace

// --- helpers

bool ViewpointCommon::forwards_layout() const {
    return fCopyParentOrientation && fBaseViewpoint;
}

ViewpointCommon* ViewpointCommon::layout_owner() {
    ViewpointCommon* owner = this;
    while (owner->forwards_layout()) {
        owner = owner->fBaseViewpoint.get();
    }
    return owner;
}

bool ViewpointCommon::valid_axis(LONG axis) const {
    return axis >= 0 && static_cast<std::size_t>(axis) < fSides.size();
}

std::vector<ZELT_o::Dimension*> ViewpointCommon::cube_dimensions() {
    std::vector<ZELT_o::Dimension*> dimensions;
    if (auto cube = support::adopt(getCube())) {
        cube->getDimensions(dimensions);
    }
    return dimensions;
}

LONG ViewpointCommon::cube_dimension_count() {
    auto cube = support::adopt(getCube());
    return cube ? cube->countDimensions() : 0;
}

LONG ViewpointCommon::cube_dimension_index(ZELT_o::Dimension const* dimension) {
    std::vector<ZELT_o::Dimension*> const dimensions = cube_dimensions();
    for (std::size_t i = 0; i < dimensions.size(); ++i) {
        if (dimensions[i] == dimension) {
            return static_cast<LONG>(i);
        }
    }
    return -1;
}

// The axes, their dimensions, constraints, types and exclude-NULLs flags.
void ViewpointCommon::copy_layout_from(ViewpointCommon const& base) {
    fNumViewAxes = base.fNumViewAxes;
    fNumPagedAxes = base.fNumPagedAxes;
    fSides = base.fSides;
    fSideConstraints = base.fSideConstraints;
    fAxisTypes = base.fAxisTypes;
    fExcludeNulls = base.fExcludeNulls;
}

// --- defaults

void ViewpointCommon::create_property_lists() {
    clear_property_lists();
    for (ZELT_o::Dimension* dimension : cube_dimensions()) {
        fProperties.push_back(std::make_unique<DimensionProperties>(dimension));
    }
    fProperties.push_back(std::make_unique<DimensionProperties>(nullptr));
}

void ViewpointCommon::initialize_all_to_default() {
    defaultProperties();
    auto const count = static_cast<std::size_t>(cube_dimension_count());
    if (fCube == nullptr && fBaseViewpoint) {
        ViewpointCommon const& base = *fBaseViewpoint;
        fCopyParentOrientation = true;
        copy_layout_from(base);
        fNewDimensionAxis = base.fNewDimensionAxis;
        fActiveHierarchies = base.fActiveHierarchies;
        fDimensionLinkModes.assign(count, ZELT_o::kLinkBase);
        if (!base.fExpression.empty()) {
            fExpression = base.fExpression;
            fInitFromExpression = base.fInitFromExpression;
        }
    } else {
        defaultOrder();
        fDimensionLinkModes.assign(count, ZELT_o::kLinkOwn);
        fCopyParentOrientation = false;
    }
}

void ViewpointCommon::initializeAxes(LONG numViewAxes, LONG numPagedAxes) {
    fSides.clear();
    fSideConstraints.clear();
    LONG const count = cube_dimension_count();
    fNumViewAxes = numViewAxes;
    fNumPagedAxes = numPagedAxes;
    auto const axes = static_cast<std::size_t>(std::max(0, numViewAxes + numPagedAxes));
    fSides.assign(axes, {});
    fSideConstraints.assign(axes, Constraint(0, count));
    fAxisTypes.assign(axes, kSlice);
    for (LONG i = 0; i < numViewAxes && static_cast<std::size_t>(i) < axes; ++i) {
        fSideConstraints[i] = Constraint(i < count ? 1 : 0, count);
        fAxisTypes[i] = kView;
    }
    bool excludeEmpty = false;
    if (auto cube = support::adopt(getCube())) {
        excludeEmpty = cube->getDefaultExcludeEmpty();
    }
    fExcludeNulls.assign(axes, excludeEmpty);
}

void ViewpointCommon::defaultOrder() {
    initializeAxes(fNumViewAxes, fNumPagedAxes);
    fActiveHierarchies.assign(static_cast<std::size_t>(cube_dimension_count()), nullptr);
    initializeOrientation(cube_dimensions());
}

void ViewpointCommon::initializeOrientation(std::vector<ZELT_o::Dimension*> const& dimensions) {
    if (fNumViewAxes + fNumPagedAxes < 1 || fSides.empty()) {
        POVA_CHECK(fNumViewAxes + fNumPagedAxes > 0);
        return;
    }
    std::size_t next = 0;
    for (LONG axis = 0; axis < fNumViewAxes && valid_axis(axis); ++axis) {
        while (static_cast<LONG>(fSides[axis].size()) < fSideConstraints[axis].first) {
            if (next >= dimensions.size()) {
                throwResult(E_UNEXPECTED);
            }
            fSides[axis].push_back(dimensions[next++]);
        }
    }
    LONG rest = 0;
    if (fNumPagedAxes > 0) {
        rest = fNumViewAxes;
    } else if (fNumViewAxes > 0) {
        rest = fNumViewAxes - 1;
    }
    rest = std::min<LONG>(rest, static_cast<LONG>(fSides.size()) - 1);
    for (; next < dimensions.size(); ++next) {
        fSides[rest].push_back(dimensions[next]);
    }
}

void ViewpointCommon::initialize_constraints() {
    LONG const count = cube_dimension_count();
    for (std::size_t axis = 0; axis < fSideConstraints.size(); ++axis) {
        Constraint& constraint = fSideConstraints[axis];
        if (constraint.second < 0 || constraint.second > count) {
            constraint.second = count;
        }
        constraint.first = static_cast<LONG>(axis) < fNumViewAxes ? 1 : 0;
    }
}

void ViewpointCommon::add_additional_dimensions() {
    if (fSides.empty()) {
        return;
    }
    LONG target = getNewDimensionAxis();
    if (!valid_axis(target)) {
        target = static_cast<LONG>(fSides.size()) - 1;
    }
    for (ZELT_o::Dimension* dimension : cube_dimensions()) {
        bool placed = false;
        for (auto const& side : fSides) {
            placed = placed || std::find(side.begin(), side.end(), dimension) != side.end();
        }
        if (!placed) {
            fSides[target].push_back(dimension);
        }
    }
}

void ViewpointCommon::apply_constraints_to_sides() {
    apply_maximums_to_sides();
    apply_minimums_to_sides();
}

void ViewpointCommon::apply_maximums_to_sides() {
    applyMaximums(fSides, fSideConstraints, cube_dimension_count());
}

void ViewpointCommon::apply_minimums_to_sides() {
    applyMinimums(fSides, fSideConstraints, fAxisTypes, fExcludeNulls, fNumViewAxes);
}

void applyMaximums(ViewpointCommon::Sides& sides,
                   std::vector<ViewpointCommon::Constraint>& constraints, LONG dimensionCount) {
    auto const axes = static_cast<LONG>(std::min(sides.size(), constraints.size()));
    for (LONG axis = 0; axis < axes; ++axis) {
        while (static_cast<LONG>(sides[axis].size()) > constraints[axis].second) {
            LONG target = -1;
            for (LONG j = axes - 1; j >= 0 && target < 0; --j) {
                if (static_cast<LONG>(sides[j].size()) < constraints[j].second) {
                    target = j;
                }
            }
            if (target < 0) {
                if (constraints[axes - 1].second >= dimensionCount) {
                    // Nothing can grow any more: more dimensions than the cube has.
                    throwResult(E_UNEXPECTED);
                }
                constraints[axes - 1].second = dimensionCount;
                continue;
            }
            sides[target].push_back(sides[axis].back());
            sides[axis].pop_back();
        }
    }
}

void applyMinimums(ViewpointCommon::Sides& sides,
                   std::vector<ViewpointCommon::Constraint>& constraints,
                   std::vector<ViewpointCommon::AxisType>& types, std::vector<bool>& excludeNulls,
                   LONG& numViewAxes) {
    LONG axis = 0;
    while (axis < static_cast<LONG>(std::min(sides.size(), constraints.size()))) {
        auto const axes = static_cast<LONG>(sides.size());
        if (static_cast<LONG>(sides[axis].size()) >= constraints[axis].first) {
            ++axis;
            continue;
        }
        LONG donor = -1;
        for (LONG j = axes - 1; j >= 0 && donor < 0; --j) {
            if (static_cast<LONG>(sides[j].size()) > constraints[j].first) {
                donor = j;
            }
        }
        if (donor >= 0) {
            sides[axis].push_back(sides[donor].back());
            sides[donor].pop_back();
            continue;
        }
        if (!sides[axis].empty()) {
            throwResult(E_UNEXPECTED);
        }
        sides.erase(sides.begin() + axis);
        constraints.erase(constraints.begin() + axis);
        if (static_cast<std::size_t>(axis) < types.size()) {
            types.erase(types.begin() + axis);
        }
        if (static_cast<std::size_t>(axis) < excludeNulls.size()) {
            excludeNulls.erase(excludeNulls.begin() + axis);
        }
        --numViewAxes;
        axis = 0;
    }
}

void ViewpointCommon::clearViewpoint() {
    // Sorts and filters name the cube's dimensions.
    drop_sorts();
    clear_filters();
    clear_property_lists();
    fActiveSetUndoStack.clear();
    release_derived_viewpoint();
    fSides.clear();
    fSideConstraints.clear();
    fAxisTypes.clear();
    fExcludeNulls.clear();
    fActiveHierarchies.clear();
    fDimensionLinkModes.clear();
    fDimsAwaitingDefault.clear();
}

void ViewpointCommon::setMaximumDimensions(
    LONG axis, LONG maximum,
    std::vector<std::pair<ZELT_o::DimensionPosition, ZELT_o::DimensionPosition>>& undoMoves) {
    auto self = keep_alive();
    if (forwards_layout()) {
        fBaseViewpoint->setMaximumDimensions(axis, maximum, undoMoves);
        return;
    }
    if (fSideConstraints.empty() || !valid_axis(axis) ||
        static_cast<std::size_t>(axis) >= fSideConstraints.size()) {
        throwResult(E_FAIL);
    }
    // Every move is planned and checked on a copy first, so that a refusal changes nothing.
    Sides sides = fSides;
    std::vector<Constraint> constraints = fSideConstraints;
    using Move = std::pair<ZELT_o::DimensionPosition, ZELT_o::DimensionPosition>;
    std::vector<Move> moves;
    auto plan = [&](ZELT_o::DimensionPosition from, ZELT_o::DimensionPosition to) {
        check_move(sides, constraints, from, to);
        ZELT_o::Dimension* dimension = sides[from.axis][from.position];
        sides[from.axis].erase(sides[from.axis].begin() + from.position);
        sides[to.axis].push_back(dimension);
        moves.emplace_back(from, to);
    };
    bool const undoing = !undoMoves.empty();
    if (undoing) {
        constraints[axis].second = maximum;
        for (auto it = undoMoves.rbegin(); it != undoMoves.rend(); ++it) {
            plan(it->second, it->first);
        }
    } else {
        LONG const count = cube_dimension_count();
        maximum = std::min(maximum, count);
        if (static_cast<LONG>(sides[axis].size()) > maximum) {
            LONG total = 0;
            for (std::size_t j = 0; j < constraints.size(); ++j) {
                total += static_cast<LONG>(j) == axis ? maximum : constraints[j].second;
            }
            if (total < count) {
                throwResult(E_FAIL);
            }
        }
        auto const axes = static_cast<LONG>(sides.size());
        while (static_cast<LONG>(sides[axis].size()) > maximum) {
            LONG target = -1;
            for (LONG j = axes - 1; j >= 0 && target < 0; --j) {
                if (j != axis && static_cast<LONG>(sides[j].size()) < constraints[j].second) {
                    target = j;
                }
            }
            if (target < 0) {
                throwResult(E_FAIL);
            }
            plan({axis, 0}, {target, static_cast<LONG>(sides[target].size())});
        }
    }
    // The moves are checked; a provider's refusal of one of them is raised once all are made.
    bool rejected = false;
    for (Move const& move : moves) {
        rejected = move_dimension(move.first, move.second) || rejected;
    }
    fSideConstraints[axis].second = maximum;
    if (undoing) {
        undoMoves.clear();
    } else {
        undoMoves.insert(undoMoves.end(), moves.begin(), moves.end());
    }
    sendEvents();
    if (rejected) {
        throw_error(kLayoutRejected);
    }
}

// --- queries

LONG ViewpointCommon::countAxes() {
    return layout_owner()->fNumViewAxes;
}

LONG ViewpointCommon::countPagedAxes() {
    return layout_owner()->fNumPagedAxes;
}

ZELT_o::Viewpoint::AxisType ViewpointCommon::getAxisType(LONG axis) {
    ViewpointCommon* owner = layout_owner();
    if (axis < 0 || axis >= owner->fNumViewAxes + owner->fNumPagedAxes ||
        static_cast<std::size_t>(axis) >= owner->fAxisTypes.size()) {
        fTrace->write(__LINE__, "ViewpointCommon::getAxisType",
                      "ViewpointCommon(%03d) %x getAxisType failed because of invalid axis ordinal",
                      getInstance(), traceAddress());
        return kNoAxisType;
    }
    return owner->fAxisTypes[axis];
}

std::vector<ZELT_o::Dimension*>& ViewpointCommon::getAxisDimensions(LONG axis) {
    ViewpointCommon* owner = layout_owner();
    if (!owner->valid_axis(axis)) {
        throw_error(kBadAxis);
    }
    return owner->fSides[axis];
}

LONG ViewpointCommon::minimumDimensions(LONG axis) {
    ViewpointCommon* owner = layout_owner();
    if (axis < 0 || static_cast<std::size_t>(axis) >= owner->fSideConstraints.size()) {
        return 0;
    }
    return owner->fSideConstraints[axis].first;
}

LONG ViewpointCommon::maximumDimensions(LONG axis) {
    ViewpointCommon* owner = layout_owner();
    if (axis < 0 || static_cast<std::size_t>(axis) >= owner->fSideConstraints.size()) {
        return 0;
    }
    return owner->fSideConstraints[axis].second;
}

bool ViewpointCommon::isAxisNULLFiltered(LONG axis) {
    ViewpointCommon* owner = layout_owner();
    if (axis < 0 || static_cast<std::size_t>(axis) >= owner->fExcludeNulls.size()) {
        return false;
    }
    return owner->fExcludeNulls[axis];
}

LONG ViewpointCommon::getNewDimensionAxis() {
    ViewpointCommon* owner = layout_owner();
    return owner->fNewDimensionAxis >= 0 ? owner->fNewDimensionAxis : countAxes();
}

void ViewpointCommon::setNewDimensionAxis(LONG axis) {
    layout_owner()->fNewDimensionAxis = axis;
}

void ViewpointCommon::setAxes(std::vector<std::vector<PovaString>> const& /*axes*/, bool /*flag*/) {
}

ViewpointCommon::Sides ViewpointCommon::getSides() {
    return layout_owner()->fSides;
}

void ViewpointCommon::setAxisLinkMode(ZELT_o::LinkMode mode) {
    if (mode == ZELT_o::kLinkOwn || !fBaseViewpoint) {
        fCopyParentOrientation = false;
        return;
    }
    copy_layout_from(*fBaseViewpoint->layout_owner());
    fCopyParentOrientation = true;
    dirty_viewpoint();
}

ZELT_o::LinkMode ViewpointCommon::getAxisLinkMode() {
    return forwards_layout() ? ZELT_o::kLinkBase : ZELT_o::kLinkOwn;
}

ZELT_o::Dimension* ViewpointCommon::getDimensionAt(ZELT_o::DimensionPosition position) {
    ViewpointCommon* owner = layout_owner();
    if (!owner->valid_axis(position.axis)) {
        return nullptr;
    }
    auto const& side = owner->fSides[position.axis];
    if (position.position < 0 || static_cast<std::size_t>(position.position) >= side.size()) {
        return nullptr;
    }
    return side[position.position];
}

ZELT_o::Dimension* ViewpointCommon::getDimensionAt(LONG n) {
    if (n < 0) {
        return nullptr;
    }
    auto index = static_cast<std::size_t>(n);
    for (auto const& side : layout_owner()->fSides) {
        if (index < side.size()) {
            return side[index];
        }
        index -= side.size();
    }
    return nullptr;
}

ZELT_o::DimensionPosition ViewpointCommon::getPosition(ZELT_o::Dimension* dimension) {
    Sides const& sides = layout_owner()->fSides;
    for (std::size_t axis = 0; axis < sides.size(); ++axis) {
        auto it = std::find(sides[axis].begin(), sides[axis].end(), dimension);
        if (it != sides[axis].end()) {
            return {static_cast<LONG>(axis), static_cast<LONG>(it - sides[axis].begin())};
        }
    }
    return {-1, -1};
}

LONG ViewpointCommon::findDimensionAxis(ZELT_o::Dimension const* dimension) {
    return getPosition(const_cast<ZELT_o::Dimension*>(dimension)).axis;
}

bool ViewpointCommon::findDimensionAxis(PovaString const& uniqueName, LONG& axis, LONG& position) {
    Sides const& sides = layout_owner()->fSides;
    for (std::size_t a = 0; a < sides.size(); ++a) {
        for (std::size_t p = 0; p < sides[a].size(); ++p) {
            if (sides[a][p]->getUniqueName() == uniqueName) {
                axis = static_cast<LONG>(a);
                position = static_cast<LONG>(p);
                return true;
            }
        }
    }
    return false;
}

LONG ViewpointCommon::getAxisByDimUniqueName(PovaString const& uniqueName) {
    LONG axis = -1;
    LONG position = -1;
    return findDimensionAxis(uniqueName, axis, position) ? axis : -1;
}

LONG ViewpointCommon::getDimIndex(ZELT_o::Dimension const* dimension) {
    for (std::size_t i = 0; i < fProperties.size(); ++i) {
        if (dimension != nullptr && fProperties[i]->getDimension() == dimension) {
            return static_cast<LONG>(i);
        }
    }
    throw_error(0xC2011209u);
}

DimensionProperties* ViewpointCommon::getDimensionProperties(LONG index) {
    if (index < 0 || static_cast<std::size_t>(index) >= fProperties.size()) {
        return nullptr;
    }
    return fProperties[index].get();
}

}  // namespace common
