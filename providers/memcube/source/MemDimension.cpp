#include "MemDimension.h"

#include "MemHierarchy.h"
#include "UniqueNames.h"

#include <memcube/MemCube.h>
#include <pova/support/InstanceCounter.h>

#include <algorithm>

namespace memcube {

namespace {
support::InstanceCounter gInstances;
}  // namespace

MemDimension::MemDimension(MemCube* cube, LONG ordinal, PovaString name, bool measures,
                           LONG factColumn)
    : ZELT_o::Dimension("MemDimension", gInstances.next()),
      fCube(cube),
      fOrdinal(ordinal),
      fName(std::move(name)),
      fUniqueName(bracket(fName)),
      fMeasures(measures),
      fFactColumn(factColumn) {}

MemDimension::~MemDimension() = default;

ZELT_o::Cube* MemDimension::getCube() const {
    return fCube;
}

void MemDimension::getHierarchies(std::vector<ZELT_o::Hierarchy*>& hierarchies) const {
    hierarchies.clear();
    for (auto const& hierarchy : fHierarchies) {
        hierarchies.push_back(hierarchy.get());
    }
}

ZELT_o::Hierarchy* MemDimension::getDefaultHierarchy() const {
    return hierarchy();
}

ZELT_o::Hierarchy* MemDimension::findHierarchy(PovaString const& name) const {
    PovaString const key = lookupKey(name);
    auto matches = [&key](PovaString const& candidate) {
        return lookupKey(candidate) == key || lookupKey(bracket(candidate)) == key;
    };
    for (auto const& hierarchy : fHierarchies) {
        if (matches(hierarchy->getUniqueName()) || matches(hierarchy->getName())) {
            return hierarchy.get();
        }
    }
    return matches(fUniqueName) || matches(fName) ? hierarchy() : nullptr;
}

bool MemDimension::acceptsName(PovaString const& name) const {
    if (findHierarchy(name) != nullptr) {
        return true;
    }
    return std::any_of(fHierarchies.begin(), fHierarchies.end(),
                       [&name](auto const& hierarchy) { return hierarchy->acceptsName(name); });
}

void MemDimension::addHierarchy(support::Ref<MemHierarchy> hierarchy) {
    fHierarchies.push_back(std::move(hierarchy));
}

}  // namespace memcube
