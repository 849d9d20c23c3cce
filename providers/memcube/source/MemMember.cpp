#include "MemMember.h"

#include "MemHierarchy.h"
#include "MemLevel.h"

#include <basekit/XmlSupport.h>
#include <pova/support/InstanceCounter.h>

#include <algorithm>

namespace memcube {

namespace {
support::InstanceCounter gInstances;
constexpr char const* kUniqueNameAttribute = "UniqueName";
constexpr char const* kHierarchyAttribute = "Hierarchy";
}  // namespace

MemMember::MemMember(MemHierarchy* hierarchy, MemLevel* level, MemMember* parent, PovaString name,
                     LONG type)
    : ZELT_o::Member("MemMember", gInstances.next()),
      fHierarchy(hierarchy),
      fLevel(level),
      fParent(parent),
      fName(std::move(name)),
      fType(type) {}

MemMember::~MemMember() = default;

ZELT_o::Dimension* MemMember::getDimension() const {
    return fHierarchy->getDimension();
}

ZELT_o::Hierarchy* MemMember::getHierarchy() const {
    return fHierarchy;
}

ZELT_o::Level* MemMember::getLevel() const {
    return fLevel;
}

void MemMember::getChildren(std::vector<ZELT_o::Member*>& children) const {
    children.assign(fChildren.begin(), fChildren.end());
}

void MemMember::addListener(Listener* listener) {
    if (listener != nullptr &&
        std::find(fListeners.begin(), fListeners.end(), listener) == fListeners.end()) {
        fListeners.push_back(listener);
    }
}

void MemMember::removeListener(Listener* listener) {
    std::erase(fListeners, listener);
}

void MemMember::save(XmlSupport& /*xml*/, XmlNode element) const {
    XmlSupport::write_to(element, kUniqueNameAttribute, fUniqueName);
    XmlSupport::write_to(element, kHierarchyAttribute, fHierarchy->getUniqueName());
}

}  // namespace memcube
