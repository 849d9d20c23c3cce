#include "MemDimension.h"

#include "MemHierarchy.h"
#include "UniqueNames.h"

#include <memcube/MemCube.h>
#include <pova/support/InstanceCounter.h>

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
    if (fHierarchy) {
        hierarchies.push_back(fHierarchy.get());
    }
}

ZELT_o::Hierarchy* MemDimension::getDefaultHierarchy() const {
    return fHierarchy.get();
}

ZELT_o::Hierarchy* MemDimension::findHierarchy(PovaString const& name) const {
    if (!fHierarchy) {
        return nullptr;
    }
    PovaString const key = lookupKey(name);
    for (PovaString const& candidate :
         {fHierarchy->getUniqueName(), fHierarchy->getName(), fUniqueName, fName}) {
        if (lookupKey(candidate) == key || lookupKey(bracket(candidate)) == key) {
            return fHierarchy.get();
        }
    }
    return nullptr;
}

bool MemDimension::acceptsName(PovaString const& name) const {
    if (findHierarchy(name) != nullptr) {
        return true;
    }
    return fHierarchy && fHierarchy->acceptsName(name);
}

void MemDimension::setHierarchy(support::Ref<MemHierarchy> hierarchy) {
    fHierarchy = std::move(hierarchy);
}

}  // namespace memcube
