#include "MemMemberSet.h"

#include "MemHierarchy.h"

#include <basekit/XmlSupport.h>
#include <memcube/MemCube.h>
#include <pova/Member.h>
#include <pova/support/InstanceCounter.h>

#include <algorithm>

namespace memcube {

namespace {

support::InstanceCounter gInstances;
// Made once: a saved viewpoint writes them for every member of every set.
constexpr char const* kHierarchyAttribute = "Hierarchy";
constexpr char const* kKindAttribute = "Kind";
PovaString const kMemberElement("Member");
constexpr char const* kUniqueNameAttribute = "UniqueName";

template <class T>
void add_unique(std::vector<T*>& list, T* item) {
    if (item != nullptr && std::find(list.begin(), list.end(), item) == list.end()) {
        list.push_back(item);
    }
}

}  // namespace

MemMemberSet::MemMemberSet(MemHierarchy* hierarchy, LONG kind, std::vector<ZELT_o::Member*> members,
                           ZELT_o::Member* defaultMember)
    : ZELT_o::MemberSet("MemMemberSet", gInstances.next()),
      fHierarchy(hierarchy),
      fKind(kind),
      fMembers(std::move(members)),
      fDefaultMember(defaultMember) {}

MemMemberSet::~MemMemberSet() = default;

ZELT_o::Dimension* MemMemberSet::getDimension() const {
    return fHierarchy->getDimension();
}

ZELT_o::ViewResultSet* MemMemberSet::query(
    std::vector<ZELT_o::PropertySpecification>* /*properties*/) {
    Layout layout;
    layout.axes.push_back(Layout::Axis{{fMembers}, false});
    return fHierarchy->cube()->evaluate(layout).detach();
}

ZELT_o::Hierarchy* MemMemberSet::getHierarchy() const {
    return fHierarchy;
}

ZELT_o::Member* MemMemberSet::getMember(LONG i) const {
    if (i < 0 || i >= getCount()) {
        return nullptr;
    }
    return fMembers[static_cast<std::size_t>(i)];
}

void MemMemberSet::getMembers(std::vector<ZELT_o::Member*>& members) const {
    members = fMembers;
}

void MemMemberSet::addListener(Listener* listener) {
    add_unique(fListeners, listener);
}

void MemMemberSet::removeListener(Listener* listener) {
    std::erase(fListeners, listener);
}

void MemMemberSet::addUndoListener(UndoListener* listener) {
    add_unique(fUndoListeners, listener);
}

void MemMemberSet::removeUndoListener(UndoListener* listener) {
    std::erase(fUndoListeners, listener);
}

void MemMemberSet::save(XmlSupport& /*xml*/, XmlNode element) const {
    XmlSupport::write_to(element, kHierarchyAttribute, fHierarchy->getUniqueName());
    XmlSupport::write_to(element, kKindAttribute, fKind);
    for (ZELT_o::Member* member : fMembers) {
        XmlSupport::write_to(XmlSupport::addAChild(element, kMemberElement), kUniqueNameAttribute,
                             member->getUniqueName());
    }
}

}  // namespace memcube
