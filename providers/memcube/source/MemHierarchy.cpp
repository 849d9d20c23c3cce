#include "MemHierarchy.h"

#include "MemCalculation.h"
#include "MemDimension.h"
#include "MemLevel.h"
#include "MemMember.h"
#include "MemMemberSet.h"
#include "UniqueNames.h"

#include <basekit/StringConverters.h>
#include <memcube/MemCube.h>
#include <pova/support/InstanceCounter.h>

#include <algorithm>

namespace memcube {

namespace {
support::InstanceCounter gInstances;
// Made once: a saved viewpoint has each of them many times over.
constexpr char const* kHierarchyAttribute = "Hierarchy";
constexpr char const* kKindAttribute = "Kind";
constexpr char const* kUniqueNameAttribute = "UniqueName";
}  // namespace

MemHierarchy::MemHierarchy(MemDimension* dimension, PovaString name, PovaString uniqueName)
    : ZELT_o::Hierarchy("MemHierarchy", gInstances.next()),
      fDimension(dimension),
      fName(std::move(name)),
      fUniqueName(std::move(uniqueName)),
      fUniqueKey(lookupKey(fUniqueName)) {}

MemHierarchy::~MemHierarchy() = default;

ZELT_o::Dimension* MemHierarchy::getDimension() const {
    return fDimension;
}

MemCube* MemHierarchy::cube() const {
    return fDimension->cube();
}

void MemHierarchy::getLevels(std::vector<ZELT_o::Level*>& levels) const {
    levels.clear();
    for (auto const& level : fLevels) {
        levels.push_back(level.get());
    }
}

ZELT_o::Member* MemHierarchy::getDefaultMember() const {
    return fDefaultMember;
}

ZELT_o::Member* MemHierarchy::findMember(PovaString const& name) const {
    if (MemMember* member = findMemberByUniqueName(name)) {
        return member;
    }
    return findMemberByName(name);
}

MemMember* MemHierarchy::findMemberByUniqueName(PovaString const& uniqueName) const {
    if (auto exact = fByExactUniqueName.find(uniqueName); exact != fByExactUniqueName.end()) {
        return exact->second;
    }
    auto found = fByUniqueName.find(lookupKey(uniqueName));
    return found != fByUniqueName.end() ? found->second : nullptr;
}

MemMember* MemHierarchy::findMemberByName(PovaString const& name) const {
    auto found = fByName.find(lookupKey(stripBrackets(name)));
    return found != fByName.end() ? found->second : nullptr;
}

bool MemHierarchy::isNameShared(PovaString const& name) const {
    return fSharedNames.contains(lookupKey(stripBrackets(name)));
}

MemLevel* MemHierarchy::findLevel(PovaString const& name, bool unique) const {
    PovaString const key = lookupKey(unique ? name : stripBrackets(name));
    for (auto const& level : fLevels) {
        if (lookupKey(unique ? level->getUniqueName() : level->getName()) == key) {
            return level.get();
        }
    }
    return nullptr;
}

bool MemHierarchy::acceptsName(PovaString const& name) const {
    return findMember(name) != nullptr || findLevel(name, true) != nullptr ||
           findLevel(name, false) != nullptr || findCalculation(name) != nullptr;
}

ZELT_o::MemberSet* MemHierarchy::createMemberSet(LONG kind, ZELT_o::Member* defaultMember) {
    std::vector<ZELT_o::Member*> members;
    if (kind != 8) {
        // The members one level below the All member; a hierarchy without one starts there.
        std::size_t const level = fDimension->isMeasures() ? 0 : 1;
        if (level < fLevels.size()) {
            auto const& onLevel = fLevels[level]->members();
            members.assign(onLevel.begin(), onLevel.end());
        }
    }
    return new MemMemberSet(this, kind, std::move(members), defaultMember);
}

bool MemHierarchy::is_saved_here(XmlNode element) const {
    PovaString hierarchy;
    return element.getAttribute(kHierarchyAttribute, hierarchy) &&
           (hierarchy == fUniqueName || lookupKey(hierarchy) == fUniqueKey);
}

ZELT_o::MemberSet* MemHierarchy::loadMemberSet(XmlNode element) {
    PovaString kindText;
    LONG kind = 0;
    if (!is_saved_here(element) || !element.getAttribute(kKindAttribute, kindText) ||
        !StringConverters::convertStringToInteger(kindText, kind)) {
        return nullptr;
    }
    std::vector<ZELT_o::Member*> members;
    bool saved = false;
    for (XmlNode child = element.firstChild(); child; child = child.nextSibling()) {
        if (!child.isElement("Member")) {
            continue;
        }
        saved = true;
        PovaString uniqueName;
        if (!child.getAttribute(kUniqueNameAttribute, uniqueName)) {
            continue;
        }
        if (MemMember* member = findMemberByUniqueName(uniqueName)) {
            members.push_back(member);
        }
    }
    if (saved && members.empty()) {
        return nullptr;
    }
    return new MemMemberSet(this, kind, std::move(members), fDefaultMember);
}

ZELT_o::Member* MemHierarchy::loadMember(XmlNode element) {
    PovaString uniqueName;
    if (!is_saved_here(element) || !element.getAttribute(kUniqueNameAttribute, uniqueName)) {
        return nullptr;
    }
    return findMemberByUniqueName(uniqueName);
}

void MemHierarchy::addListener(Listener* listener) {
    if (listener != nullptr &&
        std::find(fListeners.begin(), fListeners.end(), listener) == fListeners.end()) {
        fListeners.push_back(listener);
    }
}

void MemHierarchy::removeListener(Listener* listener) {
    std::erase(fListeners, listener);
}

void MemHierarchy::getCalculations(std::vector<ZELT_o::Calculation*>& calculations) const {
    calculations.clear();
    for (auto const& calculation : fCalculations) {
        calculations.push_back(calculation.get());
    }
}

MemCalculation* MemHierarchy::find_calculation(PovaString const& uniqueName,
                                               std::size_t* position) const {
    PovaString const key = lookupKey(uniqueName);
    for (std::size_t i = 0; i < fCalculations.size(); ++i) {
        if (lookupKey(fCalculations[i]->getUniqueName()) == key) {
            if (position != nullptr) {
                *position = i;
            }
            return fCalculations[i].get();
        }
    }
    return nullptr;
}

ZELT_o::Calculation* MemHierarchy::findCalculation(PovaString const& uniqueName) const {
    return find_calculation(uniqueName, nullptr);
}

LONG MemHierarchy::addCalculation(ZELT_o::Calculation* calculation) {
    auto* added = dynamic_cast<MemCalculation*>(calculation);
    if (added == nullptr) {
        return -1;
    }
    if (added->getHierarchy() == nullptr) {
        added->setHierarchy(this);
    }
    if (added->getHierarchy() != this || find_calculation(added->getUniqueName(), nullptr)) {
        return -1;
    }
    fCalculations.push_back(support::retain(added));
    cube()->notifyCalculationAdded(added);
    calculations_changed();
    return added->getId();
}

LONG MemHierarchy::replaceCalculation(ZELT_o::Calculation* before, ZELT_o::Calculation* after) {
    auto* replacement = dynamic_cast<MemCalculation*>(after);
    std::size_t position = 0;
    if (before == nullptr || replacement == nullptr ||
        find_calculation(before->getUniqueName(), &position) == nullptr) {
        return -1;
    }
    if (replacement->getHierarchy() == nullptr) {
        replacement->setHierarchy(this);
    }
    if (replacement->getHierarchy() != this) {
        return -1;
    }
    // The old calculation stays alive until the listeners have heard of the change.
    support::Ref<MemCalculation> old =
        std::exchange(fCalculations[position], support::retain(replacement));
    cube()->notifyCalculationChanged(old.get(), replacement);
    calculations_changed();
    return replacement->getId();
}

bool MemHierarchy::removeCalculation(PovaString const& uniqueName) {
    std::size_t position = 0;
    if (find_calculation(uniqueName, &position) == nullptr) {
        return false;
    }
    support::Ref<MemCalculation> removed = std::move(fCalculations[position]);
    fCalculations.erase(fCalculations.begin() + static_cast<std::ptrdiff_t>(position));
    cube()->notifyCalculationRemoved(removed.get());
    calculations_changed();
    return true;
}

void MemHierarchy::removeAllCalculations() {
    if (fCalculations.empty()) {
        return;
    }
    std::vector<support::Ref<MemCalculation>> removed = std::move(fCalculations);
    fCalculations.clear();
    for (auto const& calculation : removed) {
        cube()->notifyCalculationRemoved(calculation.get());
    }
    calculations_changed();
}

bool MemHierarchy::swapCalculations(LONG first, LONG second) {
    auto const count = static_cast<LONG>(fCalculations.size());
    if (first < 0 || second < 0 || first >= count || second >= count) {
        return false;
    }
    std::swap(fCalculations[static_cast<std::size_t>(first)],
              fCalculations[static_cast<std::size_t>(second)]);
    calculations_changed();
    return true;
}

bool MemHierarchy::renameCalculation(PovaString const& uniqueName, PovaString const& name) {
    MemCalculation* calculation = find_calculation(uniqueName, nullptr);
    if (calculation == nullptr) {
        return false;
    }
    MemCalculation* holder = find_calculation(qualify(fUniqueName, name), nullptr);
    if (holder != nullptr && holder != calculation) {
        return false;
    }
    calculation->setName(name);
    cube()->notifyCalculationChanged(calculation, calculation);
    calculations_changed();
    return true;
}

bool MemHierarchy::setCalculationCaption(PovaString const& uniqueName, PovaString const& caption) {
    MemCalculation* calculation = find_calculation(uniqueName, nullptr);
    if (calculation == nullptr) {
        return false;
    }
    calculation->setCaption(caption);
    cube()->notifyCalculationChanged(calculation, calculation);
    calculations_changed();
    return true;
}

void MemHierarchy::calculations_changed() {
    // A listener may remove itself while it is told.
    std::vector<Listener*> const listeners = fListeners;
    for (Listener* listener : listeners) {
        listener->calculationsChanged(this);
    }
}

MemLevel* MemHierarchy::addLevel(PovaString const& name) {
    auto level = support::adopt(new MemLevel(this, name, static_cast<LONG>(fLevels.size())));
    level->setUniqueName(qualify(fUniqueName, name));
    fLevels.push_back(level);
    return level.get();
}

MemMember* MemHierarchy::addMember(MemLevel* level, MemMember* parent, PovaString const& name,
                                   LONG type) {
    auto member = support::adopt(new MemMember(this, level, parent, name, type));
    if (parent != nullptr) {
        parent->addChild(member.get());
    } else {
        fRoots.push_back(member.get());
    }
    fMembers.push_back(member);
    return member.get();
}

void MemHierarchy::finish() {
    fMemberOrder.clear();
    fByUniqueName.clear();
    fByExactUniqueName.clear();
    fByName.clear();
    fSharedNames.clear();
    fLeafCount = 0;
    std::vector<std::vector<MemMember*>> perLevel(fLevels.size());

    // Depth-first, children in the order they were added: a member's leaves are contiguous.
    auto visit = [&](auto& self, MemMember* member) -> void {
        // The All member is not part of the unique names below it.
        PovaString const& parentName =
            member->parent() == nullptr || member->parent()->getMemberType() == ZELT_o::Member::kAll
                ? fUniqueName
                : member->parent()->getUniqueName();
        member->setUniqueName(qualify(parentName, member->getName()));
        fMemberOrder.push_back(member);
        perLevel[static_cast<std::size_t>(member->level()->getDepth())].push_back(member);
        LONG const first = fLeafCount;
        for (MemMember* child : member->children()) {
            self(self, child);
        }
        if (member->isLeaf()) {
            ++fLeafCount;
        }
        member->setLeafRange(first, fLeafCount);
    };
    for (MemMember* root : fRoots) {
        visit(visit, root);
    }
    for (std::size_t i = 0; i < fLevels.size(); ++i) {
        fLevels[i]->setMembers(std::move(perLevel[i]));
    }
    for (MemMember* member : fMemberOrder) {
        // A member whose name folds like an earlier one's is found under that one's key only.
        if (fByUniqueName.emplace(lookupKey(member->getUniqueName()), member).second) {
            fByExactUniqueName.emplace(member->getUniqueName(), member);
        }
        PovaString key = lookupKey(member->getName());
        if (!fByName.emplace(key, member).second) {
            fSharedNames.insert(std::move(key));
        }
    }
    fDefaultMember = fRoots.empty() ? nullptr : fRoots.front();
}

void MemHierarchy::mapLeaves(std::vector<std::int32_t> factLeaves) {
    fFactLeaves = std::move(factLeaves);
    fOwnLeaves.assign(fFactLeaves.size(), 0);
    for (std::size_t leaf = 0; leaf < fFactLeaves.size(); ++leaf) {
        fOwnLeaves[static_cast<std::size_t>(fFactLeaves[leaf])] = static_cast<std::int32_t>(leaf);
    }
}

}  // namespace memcube
