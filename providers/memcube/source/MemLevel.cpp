#include "MemLevel.h"

#include "MemHierarchy.h"
#include "MemMember.h"
#include "MemMemberSet.h"

#include <pova/support/InstanceCounter.h>

namespace memcube {

namespace {
support::InstanceCounter gInstances;
}  // namespace

MemLevel::MemLevel(MemHierarchy* hierarchy, PovaString name, LONG depth)
    : ZELT_o::Level("MemLevel", gInstances.next()),
      fHierarchy(hierarchy),
      fName(std::move(name)),
      fDepth(depth) {}

MemLevel::~MemLevel() = default;

ZELT_o::Hierarchy* MemLevel::getHierarchy() const {
    return fHierarchy;
}

ZELT_o::MemberSet* MemLevel::getMemberSet() {
    return new MemMemberSet(fHierarchy, 0, {fMembers.begin(), fMembers.end()}, nullptr);
}

}  // namespace memcube
