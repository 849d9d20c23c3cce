// Active hierarchies, member sets, slices and selections, and the property lists that hold
// them: each dimension's member set, selection and slice are reserved dimension properties.
#include "ViewpointEvents.h"
#include "ViewpointVisitors.h"

#include <basekit/AssertionFailure.h>
#include <basekit/BaseError.h>
#include <basekit/PovaString.h>
#include <pova/Dimension.h>
#include <pova/Hierarchy.h>
#include <pova/Member.h>
#include <pova/MemberSet.h>
#include <pova/common/ViewpointCommon.h>

#include <algorithm>

namespace common {

namespace {

// Member-set kinds asked of a hierarchy: the active set and a selection.
constexpr LONG kActiveSetKind = 0;
constexpr LONG kSelectionKind = 8;

// Interned once: the names are looked up on every query of a layout.
PovaString const& fieldListName() {
    static PovaString const name(ZELT_o::Viewpoint::FIELDLIST);
    return name;
}
PovaString const& selectedFieldsName() {
    static PovaString const name(ZELT_o::Viewpoint::SELECTEDFIELDS);
    return name;
}
PovaString const& sectionFieldName() {
    static PovaString const name(ZELT_o::Viewpoint::SECTIONFIELD);
    return name;
}

// Objects handed to a setter must belong to the dimension they are set for.
void check_part_of(ZELT_o::DimensionPart const* part, ZELT_o::Dimension const& dimension) {
    if (part == nullptr || part->getDimension() != &dimension) {
        throwResult(E_INVALIDARG);
    }
}

support::Ref<ZELT_o::MemberSet> new_member_set(ZELT_o::Hierarchy& hierarchy, LONG kind) {
    auto set = support::adopt(hierarchy.createMemberSet(kind, hierarchy.getDefaultMember()));
    if (!set) {
        throwResult(E_FAIL);
    }
    return set;
}

}  // namespace

// --- the checks and forwarding every setter shares

ViewpointCommon* ViewpointCommon::dimension_state_owner(ZELT_o::Dimension const& dimension) {
    if (fBaseViewpoint && getDimensionLinkMode(&dimension) == ZELT_o::kLinkBase) {
        return fBaseViewpoint.get();
    }
    return nullptr;
}

bool ViewpointCommon::check_not_excluded(ZELT_o::Dimension const& dimension,
                                         char const* assertion) {
    LONG const axis = findDimensionAxis(&dimension);
    if (axis >= 0 && getAxisType(axis) == kExcluded) {
        AssertionFailure(assertion, __FILE__, __LINE__);
        return false;
    }
    return true;
}

void ViewpointCommon::set_dim_to_default_if_needed(ZELT_o::Dimension const& dimension) {
    if (fDimsAwaitingDefault.empty() || !take_dim_default_request(&dimension)) {
        return;
    }
    ZELT_o::Dimension* owned = fProperties[getDimIndex(&dimension)]->getDimension();
    set_active_hierarchy(*owned, owned->getDefaultHierarchy(), true);
}

// --- setters

void ViewpointCommon::setActiveHierarchy(ZELT_o::Dimension& dimension,
                                         ZELT_o::Hierarchy* hierarchy) {
    auto self = keep_alive();
    getDimIndex(&dimension);
    check_part_of(hierarchy, dimension);
    if (!check_not_excluded(dimension,
                            "!\"Can't set active hierarchy on an excluded dimension\"")) {
        return;
    }
    if (ViewpointCommon* owner = dimension_state_owner(dimension)) {
        owner->setActiveHierarchy(dimension, hierarchy);
        return;
    }
    set_active_hierarchy(dimension, hierarchy, false);
}

void ViewpointCommon::setActiveSet(ZELT_o::Dimension const& dimension, ZELT_o::MemberSet* set) {
    auto self = keep_alive();
    getDimIndex(&dimension);
    check_part_of(set, dimension);
    if (!check_not_excluded(dimension, "!\"Can't set active set on an excluded dimension\"")) {
        return;
    }
    if (ViewpointCommon* owner = dimension_state_owner(dimension)) {
        owner->setActiveSet(dimension, set);
        return;
    }
    set_active_set(dimension, set);
}

void ViewpointCommon::setActiveSlice(ZELT_o::Dimension& dimension, ZELT_o::Member* member,
                                     bool quiet) {
    auto self = keep_alive();
    getDimIndex(&dimension);
    check_part_of(member, dimension);
    if (!check_not_excluded(dimension, "!\"Can't set active slice on an excluded dimension\"")) {
        return;
    }
    if (ViewpointCommon* owner = dimension_state_owner(dimension)) {
        // The base tells this viewpoint through its walk, so it must not be quiet.
        owner->setActiveSlice(dimension, member, false);
        return;
    }
    set_active_slice(dimension, member, quiet);
}

void ViewpointCommon::setActiveSelection(ZELT_o::Dimension& dimension, ZELT_o::MemberSet* set) {
    auto self = keep_alive();
    getDimIndex(&dimension);
    check_part_of(set, dimension);
    if (!check_not_excluded(dimension,
                            "!\"Can't set active selection on an excluded dimension\"")) {
        return;
    }
    if (ViewpointCommon* owner = dimension_state_owner(dimension)) {
        owner->setActiveSelection(dimension, set);
        return;
    }
    set_active_selection(dimension, set);
}

void ViewpointCommon::set_active_hierarchy(ZELT_o::Dimension& dimension,
                                           ZELT_o::Hierarchy* hierarchy, bool force) {
    if (!force && getActiveHierarchy(dimension) == hierarchy) {
        return;
    }
    // Everything the provider makes is made before anything is stored.
    auto set = new_member_set(*hierarchy, kActiveSetKind);
    auto selection = new_member_set(*hierarchy, kSelectionKind);
    LONG const index = getDimIndex(&dimension);
    if (fActiveHierarchies.size() != fProperties.size() - 1) {
        fActiveHierarchies.resize(fProperties.size() - 1, nullptr);
    }
    fActiveHierarchies[static_cast<std::size_t>(index)] = hierarchy;
    replaceCurrentSet(dimension, set.get(), false);
    replaceCurrentSection(dimension, hierarchy->getDefaultMember(), false);
    replaceCurrentSelection(dimension, selection.get(), false);
    auto walk = ActiveHierarchyVisitor(dimension, hierarchy);
    visitTree(walk);
    sendEvents();
}

void ViewpointCommon::set_active_set(ZELT_o::Dimension const& dimension, ZELT_o::MemberSet* set) {
    replaceCurrentSet(dimension, set, true);
    auto walk = ActiveSetVisitor(*set);
    walk_tree(walk);
    fChangedSinceLastPersist = true;
    sendEvents();
}

void ViewpointCommon::set_active_selection(ZELT_o::Dimension& dimension, ZELT_o::MemberSet* set) {
    replaceCurrentSelection(dimension, set, true);
    auto walk = ActiveSelVisitor(*set);
    walk_tree(walk);
    fChangedSinceLastPersist = true;
    sendEvents();
}

void ViewpointCommon::set_active_slice(ZELT_o::Dimension& dimension, ZELT_o::Member* member,
                                       bool quiet) {
    replaceCurrentSection(dimension, member, true);
    if (quiet) {
        return;
    }
    auto walk = ActiveSliceVisitor(*member);
    walk_tree(walk);
    fChangedSinceLastPersist = true;
    sendEvents();
}

// --- storing without notification

void ViewpointCommon::replaceCurrentSet(ZELT_o::Dimension const& dimension, ZELT_o::MemberSet* set,
                                        bool notify) {
    store_dimension_property(getDimIndex(&dimension), Property(fieldListName(), set), true, notify);
}

void ViewpointCommon::replaceCurrentSelection(ZELT_o::Dimension& dimension, ZELT_o::MemberSet* set,
                                              bool notify) {
    store_dimension_property(getDimIndex(&dimension), Property(selectedFieldsName(), set), true,
                             notify);
}

void ViewpointCommon::replaceCurrentSection(ZELT_o::Dimension const& dimension,
                                            ZELT_o::Member* member, bool notify) {
    // A stand-in for the default member is stored as the default member itself.
    if (member != nullptr && member->getMemberType() == ZELT_o::Member::kDefault) {
        if (ZELT_o::Hierarchy* hierarchy = member->getHierarchy()) {
            member = hierarchy->getDefaultMember();
        } else {
            AssertionFailure("! \"Error getting default hierarchy from member\"", __FILE__,
                             __LINE__);
        }
    }
    store_dimension_property(getDimIndex(&dimension), Property(sectionFieldName(), member), true,
                             notify);
}

// --- reads

ZELT_o::Hierarchy* ViewpointCommon::getActiveHierarchy(ZELT_o::Dimension const& dimension) {
    set_dim_to_default_if_needed(dimension);
    if (ViewpointCommon* owner = dimension_state_owner(dimension)) {
        return owner->getActiveHierarchy(dimension);
    }
    LONG const index = getDimIndex(&dimension);
    if (fActiveHierarchies.empty()) {
        fActiveHierarchies.assign(fProperties.size() - 1, nullptr);
    }
    ZELT_o::Hierarchy*& entry = fActiveHierarchies[static_cast<std::size_t>(index)];
    if (entry == nullptr) {
        entry = dimension.getDefaultHierarchy();
    }
    return entry;
}

std::vector<ZELT_o::Hierarchy*> ViewpointCommon::getHierarchies(ZELT_o::Dimension& dimension) {
    getDimIndex(&dimension);
    std::vector<ZELT_o::Hierarchy*> hierarchies;
    if (fDerivedViewpoint) {
        fDerivedViewpoint->getHierarchies(dimension, hierarchies);
    } else {
        dimension.getHierarchies(hierarchies);
    }
    return hierarchies;
}

ZELT_o::MemberSet* ViewpointCommon::getCurrentSet(ZELT_o::Dimension const& dimension) {
    set_dim_to_default_if_needed(dimension);
    if (ViewpointCommon* owner = dimension_state_owner(dimension)) {
        return owner->getCurrentSet(dimension);
    }
    LONG const index = getDimIndex(&dimension);
    if (ZELT_o::MemberSet* bound = parameter_field_set(dimension)) {
        replaceCurrentSet(dimension, bound, false);
        return bound;
    }
    return stored_set(index, DimensionProperties::kFieldList, fieldListName(), kActiveSetKind);
}

ZELT_o::MemberSet* ViewpointCommon::getCurrentSelection(ZELT_o::Dimension& dimension) {
    set_dim_to_default_if_needed(dimension);
    if (ViewpointCommon* owner = dimension_state_owner(dimension)) {
        return owner->getCurrentSelection(dimension);
    }
    LONG const index = getDimIndex(&dimension);
    return stored_set(index, DimensionProperties::kSelectedFields, selectedFieldsName(),
                      kSelectionKind);
}

// The member set stored under a reserved name or, on first use, a new one of `kind` from the
// active hierarchy, stored under that name.
ZELT_o::MemberSet* ViewpointCommon::stored_set(LONG index, DimensionProperties::Reserved slot,
                                               PovaString const& name, LONG kind) {
    if (auto const* stored = fProperties[index]->get(slot)) {
        if (ZELT_o::MemberSet* set = stored->getMemberSet()) {
            return set;
        }
    }
    auto self = keep_alive();
    ZELT_o::Dimension& dimension = *fProperties[index]->getDimension();
    auto set = new_member_set(*getActiveHierarchy(dimension), kind);
    store_dimension_property(index, Property(name, set.get()), true, false);
    return set.get();
}

ZELT_o::Member* ViewpointCommon::getCurrentSection(ZELT_o::Dimension const& dimension) {
    set_dim_to_default_if_needed(dimension);
    if (ViewpointCommon* owner = dimension_state_owner(dimension)) {
        return owner->getCurrentSection(dimension);
    }
    LONG const index = getDimIndex(&dimension);
    if (ZELT_o::Member* bound = parameter_section_member(dimension)) {
        replaceCurrentSection(dimension, bound, false);
        return bound;
    }
    if (auto const* stored = fProperties[index]->get(DimensionProperties::kSectionField)) {
        if (ZELT_o::Member* member = stored->getMember()) {
            return member;
        }
    }
    return getActiveHierarchy(dimension)->getDefaultMember();
}

// Parameter links ("ParameterFieldLink", "ParameterSectionLink") are not built yet: no
// dimension is bound to a parameter, so the stored state always answers.
ZELT_o::MemberSet* ViewpointCommon::parameter_field_set(ZELT_o::Dimension const& /*dimension*/) {
    return nullptr;
}

ZELT_o::Member* ViewpointCommon::parameter_section_member(ZELT_o::Dimension const& /*dimension*/) {
    return nullptr;
}

// --- the member-set undo stack

void ViewpointCommon::suppressActiveSetChangeUndoStack(ZELT_o::MemberSet* set) {
    auto self = keep_alive();
    if (set == nullptr) {
        return;
    }
    if (ZELT_o::Dimension* dimension = set->getDimension()) {
        if (ViewpointCommon* owner = dimension_state_owner(*dimension)) {
            owner->suppressActiveSetChangeUndoStack(set);
            return;
        }
    }
    auto walk = ActiveSetChangeUndoVisitor(*set);
    visitTree(walk);
}

void ViewpointCommon::doingActiveSetChangeUndo(ZELT_o::MemberSet* set) {
    auto self = keep_alive();
    if (set == nullptr) {
        return;
    }
    ViewpointCommon* holder = this;
    if (ZELT_o::Dimension* dimension = set->getDimension()) {
        while (ViewpointCommon* owner = holder->dimension_state_owner(*dimension)) {
            holder = owner;
        }
    }
    holder->setChangeUndone(set);
}

void ViewpointCommon::setChangeUndone(ZELT_o::MemberSet* set) {
    if (set == nullptr) {
        return;
    }
    auto self = keep_alive();
    if (!fActiveSetUndoStack.empty() && fActiveSetUndoStack.back().set.get() == set) {
        for (ZELT_o::Filter* filter : fActiveSetUndoStack.back().filters) {
            filter->setValid(true);
        }
        fActiveSetUndoStack.pop_back();
    }
    auto walk = ActiveSetChangeUndoVisitor(*set);
    visitTree(walk);
    sendEvents();
}

}  // namespace common
