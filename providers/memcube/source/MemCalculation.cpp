#include "MemCalculation.h"

#include "UniqueNames.h"

#include <basekit/NodeListIterator.h>
#include <basekit/XmlSupport.h>
#include <memcube/MemCube.h>
#include <pova/Dimension.h>
#include <pova/Hierarchy.h>
#include <pova/support/InstanceCounter.h>

namespace memcube {

namespace {

support::InstanceCounter gInstances;

ZELT_o::Hierarchy* find_hierarchy(MemCube const& cube, PovaString const& uniqueName) {
    for (LONG i = 0; i < cube.countDimensions(); ++i) {
        if (ZELT_o::Hierarchy* hierarchy = cube.getDimension(i)->findHierarchy(uniqueName)) {
            return hierarchy;
        }
    }
    return nullptr;
}

}  // namespace

MemCalculation::MemCalculation(MemCube* cube, LONG id)
    : ZELT_o::Calculation("MemCalculation", gInstances.next()), fCube(cube), fId(id) {}

MemCalculation::~MemCalculation() = default;

PovaString MemCalculation::getUniqueName() const {
    return fHierarchy != nullptr ? qualify(fHierarchy->getUniqueName(), fName) : bracket(fName);
}

void MemCalculation::copyFrom(ZELT_o::Calculation const& other) {
    fName = other.getName();
    fCaption = other.getCaption();
    fFormula = other.getFormula();
    fPriority = other.getPriority();
    fHierarchy = other.getHierarchy();
}

void MemCalculation::save(XmlSupport& /*xml*/, XmlNode element) const {
    XmlSupport::write_to(element, "Name", fName);
    XmlSupport::write_to(element, "Caption", fCaption);
    XmlSupport::write_to(element, "Formula", fFormula);
    XmlSupport::write_to(element, "Priority", fPriority);
    if (fHierarchy != nullptr) {
        XmlSupport::write_to(element, "Hierarchy", fHierarchy->getUniqueName());
    }
}

bool MemCalculation::load(XmlNode element) {
    NodeListIterator node({element});
    PovaString name;
    if (!node.read("Name", name)) {
        return false;
    }
    ZELT_o::Hierarchy* hierarchy = nullptr;
    PovaString hierarchyName;
    if (node.read("Hierarchy", hierarchyName)) {
        hierarchy = fCube != nullptr ? find_hierarchy(*fCube, hierarchyName) : nullptr;
        if (hierarchy == nullptr) {
            return false;
        }
    }
    PovaString caption;
    PovaString formula;
    LONG priority = 0;
    node.read("Caption", caption);
    node.read("Formula", formula);
    node.read("Priority", priority);
    fName = name;
    fCaption = caption;
    fFormula = formula;
    fPriority = priority;
    fHierarchy = hierarchy;
    return true;
}

}  // namespace memcube
