// Dimension properties: the named properties of each dimension and of the viewpoint itself,
// seen through the chain of base viewpoints. The reserved names hold a dimension's member set,
// selection, slice, parameter links and axis information.
#include "ViewpointEvents.h"

#include <basekit/BaseError.h>
#include <pova/Dimension.h>
#include <pova/Member.h>
#include <pova/MemberSet.h>
#include <pova/common/ViewpointCommon.h>

#include <algorithm>
#include <array>

namespace common {

namespace {

constexpr ZELT_o::MessageCode kPropertyIndexOutOfRange = 0xC2011205u;

enum class Reserved { kNone, kFieldList, kSelectedFields, kSectionField, kAxisInfo, kLink };

Reserved reserved_kind(PovaString const& name) {
    static std::array<std::pair<PovaString, Reserved>, 7> const names{{
        {ZELT_o::Viewpoint::FIELDLIST, Reserved::kFieldList},
        {ZELT_o::Viewpoint::SELECTEDFIELDS, Reserved::kSelectedFields},
        {ZELT_o::Viewpoint::SECTIONFIELD, Reserved::kSectionField},
        {ZELT_o::Viewpoint::AXISINFO, Reserved::kAxisInfo},
        {ZELT_o::Viewpoint::PARAMFIELDLINK, Reserved::kLink},
        {ZELT_o::Viewpoint::PARAMSECTIONLINK, Reserved::kLink},
        {ZELT_o::Viewpoint::PARAMSELECTIONLINK, Reserved::kLink},
    }};
    for (auto const& [reserved, kind] : names) {
        if (reserved == name) {
            return kind;
        }
    }
    return Reserved::kNone;
}

// The six names that hold a dimension's selections and their parameter links: a dimension
// that shares its base's state (link mode 2) keeps them in the base.
bool is_selection_name(PovaString const& name) {
    Reserved const kind = reserved_kind(name);
    return kind != Reserved::kNone && kind != Reserved::kAxisInfo;
}

// A reserved name holds one kind of value, of the dimension it is set for: anything else
// would leave the dimension's state unreadable.
void check_reserved_value(Reserved kind, ZELT_o::Viewpoint::Property const& property,
                          ZELT_o::Dimension const* dimension) {
    using Property = ZELT_o::Viewpoint::Property;
    ZELT_o::DimensionPart const* part = nullptr;
    switch (kind) {
        case Reserved::kNone:
            return;
        case Reserved::kFieldList:
        case Reserved::kSelectedFields:
            part = property.getMemberSet();
            break;
        case Reserved::kSectionField:
            part = property.getMember();
            break;
        case Reserved::kAxisInfo:
            if (dimension == nullptr || property.getType() != Property::kValue ||
                property.getValue().vt != VT_BSTR) {
                throwResult(E_INVALIDARG);
            }
            return;
        case Reserved::kLink:
            if (dimension == nullptr || property.getType() != Property::kParameterLink) {
                throwResult(E_INVALIDARG);
            }
            return;
    }
    if (dimension == nullptr || part == nullptr || part->getDimension() != dimension) {
        throwResult(E_INVALIDARG);
    }
}

}  // namespace

void ViewpointCommon::check_property_index(LONG index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= fProperties.size()) {
        throw_error(kPropertyIndexOutOfRange, PovaString::build("%d", index));
    }
}

std::vector<DimensionProperties const*> ViewpointCommon::property_chain(LONG index) const {
    std::vector<DimensionProperties const*> chain;
    for (ViewpointCommon const* v = this; v != nullptr; v = v->fBaseViewpoint.get()) {
        if (static_cast<std::size_t>(index) >= v->fProperties.size()) {
            break;
        }
        chain.push_back(v->fProperties[index].get());
    }
    return chain;
}

namespace {

// Visits the properties visible through `chain` (nearest first), each name once, from the
// nearest set that has it; stops when `visit` answers false.
template <class Visit>
void visit_visible(std::vector<DimensionProperties const*> const& chain, Visit visit) {
    for (std::size_t level = 0; level < chain.size(); ++level) {
        for (LONG i = 0; i < chain[level]->size(); ++i) {
            auto const* property = chain[level]->get(i);
            bool const hidden =
                std::any_of(chain.begin(), chain.begin() + static_cast<std::ptrdiff_t>(level),
                            [&](DimensionProperties const* nearer) {
                                return nearer->get(property->getName()) != nullptr;
                            });
            if (!hidden && !visit(*property)) {
                return;
            }
        }
    }
}

}  // namespace

LONG ViewpointCommon::countDimensionProperties(LONG index) {
    check_property_index(index);
    LONG count = 0;
    visit_visible(property_chain(index), [&](auto const&) {
        ++count;
        return true;
    });
    return count;
}

bool ViewpointCommon::readDimensionProperty(LONG index, LONG i, Property* out) {
    check_property_index(index);
    if (i < 0) {
        return false;
    }
    bool found = false;
    LONG position = 0;
    visit_visible(property_chain(index), [&](Property const& property) {
        if (position++ < i) {
            return true;
        }
        found = true;
        if (out != nullptr) {
            *out = property;
        }
        return false;
    });
    return found;
}

bool ViewpointCommon::readDimensionProperty(LONG index, PovaString const& name, Property* out,
                                            bool followLink) {
    check_property_index(index);
    ZELT_o::Dimension const* dimension = fProperties[index]->getDimension();
    bool const selection = is_selection_name(name);
    if (followLink && dimension != nullptr && selection) {
        if (ViewpointCommon* owner = dimension_state_owner(*dimension)) {
            return owner->readDimensionProperty(index, name, out, followLink);
        }
    }
    // What setDimensionProperty stores in a base is read back from there.
    std::vector<DimensionProperties const*> chain;
    if (followLink && !selection) {
        chain = property_chain(index);
    } else {
        chain.push_back(fProperties[index].get());
    }
    for (DimensionProperties const* list : chain) {
        if (auto const* property = list->get(name)) {
            if (out != nullptr) {
                *out = *property;
            }
            return true;
        }
    }
    return false;
}

LONG ViewpointCommon::countProperties() {
    return countDimensionProperties(static_cast<LONG>(fProperties.size()) - 1);
}

bool ViewpointCommon::readProperty(PovaString const& name, Property* out, bool followLink) {
    return readDimensionProperty(static_cast<LONG>(fProperties.size()) - 1, name, out, followLink);
}

bool ViewpointCommon::readProperty(LONG i, Property* out) {
    return readDimensionProperty(static_cast<LONG>(fProperties.size()) - 1, i, out);
}

void ViewpointCommon::setProperty(Property const& property, bool followLink, bool /*notify*/) {
    auto self = keep_alive();
    LONG const index = static_cast<LONG>(fProperties.size()) - 1;
    check_property_index(index);
    dirty_viewpoint();
    setDimensionProperty(index, property, followLink, true);
}

void ViewpointCommon::setDimensionProperty(LONG index, Property const& property, bool followLink,
                                           bool notify) {
    auto self = keep_alive();
    check_property_index(index);
    ZELT_o::Dimension* dimension = fProperties[index]->getDimension();
    Reserved const kind = reserved_kind(property.getName());
    check_reserved_value(kind, property, dimension);
    if (notify) {
        // The setters store the property themselves and tell everyone what it changed.
        switch (kind) {
            case Reserved::kFieldList:
                setActiveSet(*dimension, property.getMemberSet());
                return;
            case Reserved::kSelectedFields:
                setActiveSelection(*dimension, property.getMemberSet());
                return;
            case Reserved::kSectionField:
                setActiveSlice(*dimension, property.getMember(), false);
                return;
            case Reserved::kAxisInfo: {
                PovaString text;
                text.fillFromBSTR(property.getValue().bstrVal);
                setAxisInfo(*dimension, text);
                return;
            }
            case Reserved::kLink:
            case Reserved::kNone:
                break;
        }
    }
    store_dimension_property(index, property, followLink, notify);
}

void ViewpointCommon::store_dimension_property(LONG index, Property const& property,
                                               bool followLink, bool notify) {
    check_property_index(index);
    if (notify) {
        if (fInitFromExpression) {
            update_children_viewpoint_expression(false);
            fInitFromExpression = false;
        }
        dirty_viewpoint();
    }
    DimensionProperties& own = *fProperties[index];
    bool const selection = is_selection_name(property.getName());
    if (followLink && selection && own.getDimension() != nullptr) {
        if (ViewpointCommon* owner = dimension_state_owner(*own.getDimension())) {
            owner->store_dimension_property(index, property, followLink, notify);
            return;
        }
    }
    // A client value the base already defines is changed there; the selection names stay
    // with the viewpoint that holds the dimension's state.
    if (followLink && !selection && fBaseViewpoint && own.get(property.getName()) == nullptr &&
        index < fBaseViewpoint->countPropertyLists()) {
        fBaseViewpoint->store_dimension_property(index, property, followLink, notify);
        return;
    }
    // Listen to what the property now holds before letting go of what it held.
    auto const* previous = own.get(property.getName());
    support::Ref<ZELT_o::MemberSet> oldSet =
        support::retain(previous ? previous->getMemberSet() : nullptr);
    support::Ref<ZELT_o::Member> oldMember =
        support::retain(previous ? previous->getMember() : nullptr);
    own.set(property);
    if (ZELT_o::MemberSet* set = property.getMemberSet()) {
        set->addListener(this);
        set->addUndoListener(this);
    }
    if (ZELT_o::Member* member = property.getMember()) {
        member->addListener(this);
    }
    if (oldSet && !holds_object(oldSet.get())) {
        oldSet->removeListener(this);
        oldSet->removeUndoListener(this);
    }
    if (oldMember && !holds_object(oldMember.get())) {
        oldMember->removeListener(this);
    }
}

bool ViewpointCommon::holds_object(void const* object) const {
    for (auto const& list : fProperties) {
        for (LONG i = 0; i < list->size(); ++i) {
            auto const* property = list->get(i);
            if (property->getType() != Property::kValue && property->getValue().byref == object) {
                return true;
            }
        }
    }
    return false;
}

void ViewpointCommon::listen_to_properties(bool listen) {
    for (auto const& list : fProperties) {
        for (LONG i = 0; i < list->size(); ++i) {
            auto const* property = list->get(i);
            if (ZELT_o::MemberSet* set = property->getMemberSet()) {
                if (listen) {
                    set->addListener(this);
                    set->addUndoListener(this);
                } else {
                    set->removeListener(this);
                    set->removeUndoListener(this);
                }
            } else if (ZELT_o::Member* member = property->getMember()) {
                if (listen) {
                    member->addListener(this);
                } else {
                    member->removeListener(this);
                }
            }
        }
    }
}

void ViewpointCommon::clear_property_lists() {
    listen_to_properties(false);
    fProperties.clear();
}

std::unique_ptr<ViewpointProperties> ViewpointCommon::getProperties() {
    auto copy = std::make_unique<ViewpointProperties>();
    for (auto const& list : fProperties) {
        copy->add(*list);
    }
    return copy;
}

void ViewpointCommon::setProperties(ViewpointProperties const& properties) {
    auto self = keep_alive();
    if (static_cast<std::size_t>(properties.size()) != fProperties.size()) {
        throwResult(E_INVALIDARG);
    }
    for (LONG i = 0; i < properties.size(); ++i) {
        if (properties.at(i).getDimension() != fProperties[i]->getDimension()) {
            throwResult(E_INVALIDARG);
        }
    }
    // Built apart first, so that nothing changes if a copy fails.
    std::vector<std::unique_ptr<DimensionProperties>> lists;
    lists.reserve(fProperties.size());
    for (LONG i = 0; i < properties.size(); ++i) {
        lists.push_back(std::make_unique<DimensionProperties>(properties.at(i)));
    }
    listen_to_properties(false);
    fProperties.swap(lists);
    listen_to_properties(true);
    lists.clear();
    fChangedSinceLastPersist = true;
    dirty_viewpoint();
    queue_every_axis_changed();
    queueEvent(CellChangeEvent());
    queueEvent(ViewpointChangeEvent());
    sendEvents();
}

void ViewpointCommon::clearPropertyVector(ViewpointProperties* properties) {
    if (properties != nullptr) {
        properties->clear();
    }
}

void ViewpointCommon::defaultProperties() {
    create_property_lists();
    fActiveHierarchies.clear();
}

}  // namespace common
