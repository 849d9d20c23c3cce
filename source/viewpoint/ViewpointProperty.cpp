// Viewpoint::Property and the per-dimension property sets.
#include <pova/Member.h>
#include <pova/MemberSet.h>
#include <pova/ParameterLink.h>
#include <pova/Viewpoint.h>
#include <pova/common/DimensionProperties.h>

#include <algorithm>

namespace ZELT_o {

Viewpoint::Property::Property() {
    VariantInit(&fValue);
}

Viewpoint::Property::Property(PovaString name, VARIANT const& value) : fName(std::move(name)) {
    VariantInit(&fValue);
    VariantCopy(&fValue, &value);
}

Viewpoint::Property::Property(PovaString name, MemberSet* set) : fName(std::move(name)) {
    VariantInit(&fValue);
    hold_object(set, kMemberSet);
}

Viewpoint::Property::Property(PovaString name, Member* member) : fName(std::move(name)) {
    VariantInit(&fValue);
    hold_object(member, kMember);
}

Viewpoint::Property::Property(PovaString name, ParameterLink* link) : fName(std::move(name)) {
    VariantInit(&fValue);
    hold_object(link, kParameterLink);
}

Viewpoint::Property::Property(Property const& other) : fName(other.fName) {
    VariantInit(&fValue);
    if (other.fType == kValue) {
        VariantCopy(&fValue, &other.fValue);
    } else {
        hold_object(other.fValue.byref, other.fType);
    }
}

Viewpoint::Property::Property(Property&& other) noexcept
    : fName(std::move(other.fName)), fValue(other.fValue), fType(other.fType) {
    VariantInit(&other.fValue);
    other.fType = kValue;
}

Viewpoint::Property& Viewpoint::Property::operator=(Property&& other) noexcept {
    if (this != &other) {
        drop_object();
        fName = std::move(other.fName);
        fValue = other.fValue;
        fType = other.fType;
        VariantInit(&other.fValue);
        other.fType = kValue;
    }
    return *this;
}

Viewpoint::Property& Viewpoint::Property::operator=(Property const& other) {
    if (this != &other) {
        Property copy(other);
        drop_object();
        fName = std::move(copy.fName);
        fValue = copy.fValue;
        fType = copy.fType;
        VariantInit(&copy.fValue);
        copy.fType = kValue;
    }
    return *this;
}

Viewpoint::Property::~Property() {
    drop_object();
}

void Viewpoint::Property::setValue(VARIANT const& value) {
    drop_object();
    VariantCopy(&fValue, &value);
}

MemberSet* Viewpoint::Property::getMemberSet() const {
    return fType == kMemberSet ? static_cast<MemberSet*>(fValue.byref) : nullptr;
}

Member* Viewpoint::Property::getMember() const {
    return fType == kMember ? static_cast<Member*>(fValue.byref) : nullptr;
}

ParameterLink* Viewpoint::Property::getParameterLink() const {
    return fType == kParameterLink ? static_cast<ParameterLink*>(fValue.byref) : nullptr;
}

// Object kinds keep one reference on their object for as long as they hold it.
void Viewpoint::Property::hold_object(void* object, LONG type) {
    fType = type;
    fValue.vt = VT_BYREF | VT_VARIANT;
    fValue.byref = object;
    if (object == nullptr) {
        return;
    }
    switch (type) {
        case kMemberSet:
            static_cast<MemberSet*>(object)->addRef();
            break;
        case kMember:
            static_cast<Member*>(object)->addRef();
            break;
        case kParameterLink:
            static_cast<ParameterLink*>(object)->addRef();
            break;
        default:
            break;
    }
}

void Viewpoint::Property::drop_object() {
    if (fType != kValue && fValue.byref != nullptr) {
        switch (fType) {
            case kMemberSet:
                static_cast<MemberSet*>(fValue.byref)->release();
                break;
            case kMember:
                static_cast<Member*>(fValue.byref)->release();
                break;
            case kParameterLink:
                static_cast<ParameterLink*>(fValue.byref)->release();
                break;
            default:
                break;
        }
        VariantInit(&fValue);
    } else if (fType == kValue) {
        VariantClear(&fValue);
    }
    VariantInit(&fValue);
    fType = kValue;
}

}  // namespace ZELT_o

namespace common {

DimensionProperties::DimensionProperties(ZELT_o::Dimension* dimension) : fDimension(dimension) {
    if (dimension != nullptr) {
        fProperties.reserve(8);
    }
}

DimensionProperties::~DimensionProperties() = default;

DimensionProperties::DimensionProperty const* DimensionProperties::get(LONG index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= fProperties.size()) {
        return nullptr;
    }
    return &fProperties[index];
}

DimensionProperties::DimensionProperty const* DimensionProperties::get(
    PovaString const& name) const {
    auto it = std::lower_bound(fProperties.begin(), fProperties.end(), name,
                               [](DimensionProperty const& property, PovaString const& key) {
                                   return property.getName() < key;
                               });
    return it != fProperties.end() && it->getName() == name ? &*it : nullptr;
}

void DimensionProperties::set(ZELT_o::Viewpoint::Property const& property) {
    auto it = std::lower_bound(fProperties.begin(), fProperties.end(), property.getName(),
                               [](DimensionProperty const& entry, PovaString const& key) {
                                   return entry.getName() < key;
                               });
    if (it != fProperties.end() && it->getName() == property.getName()) {
        *it = DimensionProperty(property);
        return;
    }
    auto const position = static_cast<int>(it - fProperties.begin());
    fProperties.insert(it, DimensionProperty(property));
    // The entries after the new one moved by one; the new one may be a reserved name.
    for (int& index : fReserved) {
        if (index >= position) {
            ++index;
        }
    }
    for (std::size_t i = 0; i < fReserved.size(); ++i) {
        if (property.getName() == reserved_names()[i]) {
            fReserved[i] = position;
        }
    }
}

void DimensionProperties::clearProperties() {
    fProperties.clear();
    fReserved.fill(-1);
}

std::array<PovaString, 3> const& DimensionProperties::reserved_names() {
    static std::array<PovaString, 3> const names{
        PovaString(ZELT_o::Viewpoint::FIELDLIST),
        PovaString(ZELT_o::Viewpoint::SECTIONFIELD),
        PovaString(ZELT_o::Viewpoint::SELECTEDFIELDS),
    };
    return names;
}

}  // namespace common
