#include <memcube/MemCube.h>

#include "FactTable.h"
#include "MemCalculation.h"
#include "MemDimension.h"
#include "MemHierarchy.h"
#include "MemLevel.h"
#include "MemMember.h"
#include "MemMemberSet.h"
#include "MemResultSet.h"
#include "MemViewpoint.h"
#include "QueryEngine.h"
#include "UniqueNames.h"

#include <basekit/XmlSupport.h>
#include <pova/CubeListener.h>
#include <pova/Parameter.h>
#include <pova/support/InstanceCounter.h>

#include <algorithm>

namespace memcube {

namespace {

support::InstanceCounter gInstances;

template <class T>
bool add_unique(std::vector<T*>& list, T* item) {
    if (item == nullptr || std::find(list.begin(), list.end(), item) != list.end()) {
        return false;
    }
    list.push_back(item);
    return true;
}

LONG member_class(ZELT_o::Member const& member) {
    return member.getMemberType() == ZELT_o::Member::kMeasure ? 5 : 1;
}

}  // namespace

MemCube::MemCube(PovaString name)
    : ZELT_o::Cube("MemCube", gInstances.next()),
      fName(std::move(name)),
      fFacts(std::make_unique<FactTable>(0, 0)) {}

MemCube::~MemCube() {
    // Each listener is taken off the list before it is told, and the list is read afresh each
    // time: a listener told may remove (or release) another one, which then is not told.
    while (!fCubeListeners.empty()) {
        Listener* listener = fCubeListeners.front();
        fCubeListeners.erase(fCubeListeners.begin());
        listener->stopListening();
    }
}

PovaString MemCube::getUniqueName() const {
    return bracket(fName);
}

PovaString MemCube::getProviderName() const {
    return kProviderName;
}

void MemCube::registerViewpoint(ZELT_o::Viewpoint* viewpoint) {
    add_unique(fViewpoints, viewpoint);
}

void MemCube::unregisterViewpoint(ZELT_o::Viewpoint* viewpoint) {
    std::erase(fViewpoints, viewpoint);
}

bool MemCube::addCubeListener(Listener* listener) {
    return add_unique(fCubeListeners, listener);
}

void MemCube::removeCubeListener(Listener* listener) {
    std::erase(fCubeListeners, listener);
}

void MemCube::addListener(ZELT_o::CubeListener* listener) {
    add_unique(fListeners, listener);
}

void MemCube::removeListener(ZELT_o::CubeListener* listener) {
    std::erase(fListeners, listener);
}

LONG MemCube::countDimensions() const {
    return static_cast<LONG>(fDimensions.size());
}

ZELT_o::Dimension* MemCube::getDimension(LONG ordinal) const {
    return memDimension(ordinal);
}

MemDimension* MemCube::memDimension(LONG ordinal) const {
    if (ordinal < 0 || ordinal >= countDimensions()) {
        return nullptr;
    }
    return fDimensions[static_cast<std::size_t>(ordinal)].get();
}

void MemCube::getDimensions(std::vector<ZELT_o::Dimension*>& dimensions) const {
    dimensions.clear();
    for (auto const& dimension : fDimensions) {
        dimensions.push_back(dimension.get());
    }
}

ZELT_o::Dimension* MemCube::findDimension(PovaString const& uniqueName) const {
    // The first dimension in cube order that matches either way.
    std::size_t found = fDimensions.size();
    auto const byUnique = fDimensionsByUniqueKey.find(lookupKey(uniqueName));
    if (byUnique != fDimensionsByUniqueKey.end()) {
        found = byUnique->second;
    }
    auto const byName = fDimensionsByNameKey.find(lookupKey(stripBrackets(uniqueName)));
    if (byName != fDimensionsByNameKey.end()) {
        found = std::min(found, byName->second);
    }
    return found < fDimensions.size() ? fDimensions[found].get() : nullptr;
}

ZELT_o::Dimension* MemCube::getMeasures() const {
    for (auto const& dimension : fDimensions) {
        if (dimension->isMeasures()) {
            return dimension.get();
        }
    }
    return nullptr;
}

ZELT_o::Member* MemCube::findMember(PovaString const& name) const {
    for (auto const& dimension : fDimensions) {
        if (MemMember* member = dimension->hierarchy()->findMemberByUniqueName(name)) {
            return member;
        }
    }
    for (auto const& dimension : fDimensions) {
        if (MemMember* member = dimension->hierarchy()->findMemberByName(name)) {
            return member;
        }
    }
    return nullptr;
}

LONG MemCube::classifyName(PovaString& name) const {
    PovaString text = name;
    text.trim();
    PovaString const key = lookupKey(text);
    PovaString const plain = stripBrackets(text);
    PovaString const plainKey = lookupKey(plain);
    auto answer = [&name](PovaString const& canonical, LONG nameClass) {
        name = canonical;
        return nameClass;
    };

    // Unique names first: they are unambiguous.
    for (auto const& dimension : fDimensions) {
        MemHierarchy* hierarchy = dimension->hierarchy();
        if (MemMember* member = hierarchy->findMemberByUniqueName(text)) {
            return answer(member->getUniqueName(), member_class(*member));
        }
        if (MemLevel* level = hierarchy->findLevel(text, true)) {
            return answer(level->getUniqueName(), 2);
        }
        if (lookupKey(dimension->getUniqueName()) == key) {
            return answer(dimension->getUniqueName(), 4);
        }
        if (ZELT_o::Calculation* calculation = hierarchy->findCalculation(text)) {
            return answer(calculation->getUniqueName(), dimension->isMeasures() ? 5 : 1);
        }
    }
    for (PovaString const& set : fNamedSets) {
        if (lookupKey(bracket(set)) == key) {
            return answer(bracket(set), 6);
        }
    }

    // Then plain names, first match in cube order.
    for (auto const& dimension : fDimensions) {
        if (lookupKey(dimension->getName()) == plainKey) {
            return answer(dimension->getUniqueName(), 4);
        }
    }
    for (auto const& dimension : fDimensions) {
        if (MemLevel* level = dimension->hierarchy()->findLevel(text, false)) {
            return answer(level->getUniqueName(), 2);
        }
    }
    for (auto const& dimension : fDimensions) {
        if (MemMember* member = dimension->hierarchy()->findMemberByName(text)) {
            return answer(member->getUniqueName(), member_class(*member));
        }
    }
    for (auto const& dimension : fDimensions) {
        std::vector<ZELT_o::Calculation*> calculations;
        dimension->hierarchy()->getCalculations(calculations);
        for (ZELT_o::Calculation* calculation : calculations) {
            if (lookupKey(calculation->getName()) == plainKey) {
                return answer(calculation->getUniqueName(), dimension->isMeasures() ? 5 : 1);
            }
        }
    }
    for (PovaString const& set : fNamedSets) {
        if (lookupKey(set) == plainKey) {
            return answer(bracket(set), 6);
        }
    }
    return 0;
}

void MemCube::getParameters(std::vector<ZELT_o::Parameter*>& parameters) const {
    parameters.clear();
    for (auto const& parameter : fParameters) {
        parameters.push_back(parameter.get());
    }
}

void MemCube::addParameter(ZELT_o::Parameter* parameter) {
    if (parameter != nullptr) {
        fParameters.push_back(support::retain(parameter));
    }
}

void MemCube::addNamedSet(PovaString const& name) {
    fNamedSets.push_back(name);
}

bool MemCube::hasCalculations() const {
    std::vector<ZELT_o::Calculation*> calculations;
    for (auto const& dimension : fDimensions) {
        for (auto const& hierarchy : dimension->hierarchies()) {
            hierarchy->getCalculations(calculations);
            if (!calculations.empty()) {
                return true;
            }
        }
    }
    return false;
}

ZELT_o::Calculation* MemCube::createCalculation() {
    return new MemCalculation(this, nextCalculationId());
}

ZELT_o::Calculation* MemCube::findCalculation(PovaString const& uniqueName) const {
    for (auto const& dimension : fDimensions) {
        for (auto const& hierarchy : dimension->hierarchies()) {
            if (ZELT_o::Calculation* calculation = hierarchy->findCalculation(uniqueName)) {
                return calculation;
            }
        }
    }
    return nullptr;
}

void MemCube::saveCalculations(XmlSupport& xml, XmlNode element) const {
    std::vector<ZELT_o::Calculation*> calculations;
    for (auto const& dimension : fDimensions) {
        for (auto const& hierarchy : dimension->hierarchies()) {
            hierarchy->getCalculations(calculations);
            for (ZELT_o::Calculation* calculation : calculations) {
                calculation->save(xml, XmlSupport::addAChild(element, "CalculatedMember"));
            }
        }
    }
}

support::Ref<ZELT_o::ViewResultSet> MemCube::evaluate(Layout const& layout) {
    return QueryEngine(*this).evaluate(layout);
}

support::Ref<ZELT_o::ViewResultSet> MemCube::evaluate(Layout const& layout,
                                                      Narrowing const& narrowing, bool& narrowed) {
    return QueryEngine(*this).evaluate(layout, &narrowing, &narrowed);
}

bool MemCube::canEvaluate(Layout const& layout) {
    return QueryEngine(*this).fits(layout);
}

Layout MemCube::layoutOf(ZELT_o::Viewpoint& viewpoint) {
    return MemViewpoint::layoutOf(viewpoint);
}

bool MemCube::canEvaluate(ZELT_o::Viewpoint& viewpoint) {
    return MemViewpoint::canEvaluate(*this, viewpoint);
}

ZELT_o::MemberSet* MemCube::createMemberSet(ZELT_o::Hierarchy* hierarchy,
                                            std::vector<ZELT_o::Member*> const& members) {
    auto* owner = dynamic_cast<MemHierarchy*>(hierarchy);
    if (owner == nullptr || owner->cube() != this) {
        return nullptr;
    }
    // Only memcube's own members: a set's hierarchy then vouches for every member in it.
    for (ZELT_o::Member* member : members) {
        auto* memMember = dynamic_cast<MemMember*>(member);
        if (memMember == nullptr || memMember->hierarchy() != owner) {
            return nullptr;
        }
    }
    return new MemMemberSet(owner, 0, members, owner->getDefaultMember());
}

LONG MemCube::countFacts() const {
    return static_cast<LONG>(fFacts->size());
}

PovaString MemCube::measureFormat(ZELT_o::Member const* member) {
    auto const* measure = dynamic_cast<MemMember const*>(member);
    return measure != nullptr ? measure->formatString() : PovaString();
}

void MemCube::notifyCalculationAdded(ZELT_o::Calculation* calculation) {
    std::vector<ZELT_o::CubeListener*> const listeners = fListeners;
    for (ZELT_o::CubeListener* listener : listeners) {
        listener->calculationAdded(calculation);
    }
}

void MemCube::notifyCalculationRemoved(ZELT_o::Calculation* calculation) {
    std::vector<Listener*> const cubeListeners = fCubeListeners;
    for (Listener* listener : cubeListeners) {
        // What a listener answers about the sets and members using the calculation is only
        // of interest to the listener itself.
        ZELT_o::MemberSet* set = nullptr;
        ZELT_o::Member* member = nullptr;
        listener->calculationRemoved(calculation, &set, &member);
    }
    std::vector<ZELT_o::CubeListener*> const listeners = fListeners;
    for (ZELT_o::CubeListener* listener : listeners) {
        listener->calculationRemoved(calculation);
    }
}

void MemCube::notifyCalculationChanged(ZELT_o::Calculation* before, ZELT_o::Calculation* after) {
    std::vector<Listener*> const cubeListeners = fCubeListeners;
    for (Listener* listener : cubeListeners) {
        listener->calculationChanged(before, after);
    }
    std::vector<ZELT_o::CubeListener*> const listeners = fListeners;
    for (ZELT_o::CubeListener* listener : listeners) {
        listener->calculationChanged(before, after);
    }
}

void MemCube::add_dimension(support::Ref<MemDimension> dimension) {
    fDimensionsByUniqueKey.emplace(lookupKey(dimension->getUniqueName()), fDimensions.size());
    fDimensionsByNameKey.emplace(lookupKey(dimension->getName()), fDimensions.size());
    fDimensions.push_back(std::move(dimension));
}

void MemCube::set_facts(std::unique_ptr<FactTable> facts) {
    fFacts = std::move(facts);
}

}  // namespace memcube
