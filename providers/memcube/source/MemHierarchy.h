// memcube::MemHierarchy: a hierarchy of a MemDimension. It owns the levels, the members (in
// depth-first order) and the calculations, and answers name lookups.
//
// Leaves are numbered depth-first, so that every member covers a range of them. The fact table
// numbers a dimension's leaves as its default hierarchy does; another hierarchy of the
// dimension holds the same leaves in its own order, and maps between the two numberings.
#pragma once

#include <pova/Hierarchy.h>
#include <pova/support/Ref.h>

#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace memcube {

class MemCalculation;
class MemCube;
class MemDimension;
class MemLevel;
class MemMember;

class MemHierarchy final : public ZELT_o::Hierarchy {
public:
    MemHierarchy(MemDimension* dimension, PovaString name, PovaString uniqueName);

    // --- support::NamedPart
    PovaString getName() const override { return fName; }
    PovaString getUniqueName() const override { return fUniqueName; }
    PovaString getCaption() const override { return fName; }

    // --- ZELT_o::DimensionPart
    ZELT_o::Dimension* getDimension() const override;

    // --- ZELT_o::Hierarchy
    void getLevels(std::vector<ZELT_o::Level*>& levels) const override;
    ZELT_o::Member* getDefaultMember() const override;
    ZELT_o::Member* findMember(PovaString const& name) const override;
    // Kind 8 (a selection) is empty; every other kind holds the members of the first level
    // below the All member (the measures for Measures).
    ZELT_o::MemberSet* createMemberSet(LONG kind, ZELT_o::Member* defaultMember) override;
    // Members are found by unique name only: a member renamed since the save is dropped rather
    // than taken for another of the same name. A set keeps its saved kind and order and gets
    // this hierarchy's default member; a set none of whose members is left is null.
    ZELT_o::MemberSet* loadMemberSet(XmlNode element) override;
    ZELT_o::Member* loadMember(XmlNode element) override;
    void addListener(Listener* listener) override;
    void removeListener(Listener* listener) override;
    void getCalculations(std::vector<ZELT_o::Calculation*>& calculations) const override;
    ZELT_o::Calculation* findCalculation(PovaString const& uniqueName) const override;
    // Takes a reference; answers the calculation's identity, or -1 when it is null, belongs to
    // another hierarchy, or its unique name is taken.
    LONG addCalculation(ZELT_o::Calculation* calculation) override;
    // Puts `after` in the place of the calculation with `before`'s unique name; answers
    // `after`'s identity, or -1 when `before` is not held.
    LONG replaceCalculation(ZELT_o::Calculation* before, ZELT_o::Calculation* after) override;
    bool removeCalculation(PovaString const& uniqueName) override;
    void removeAllCalculations() override;
    // Swaps the calculations at two positions.
    bool swapCalculations(LONG first, LONG second) override;
    bool renameCalculation(PovaString const& uniqueName, PovaString const& name) override;
    bool setCalculationCaption(PovaString const& uniqueName, PovaString const& caption) override;

    // --- building (CubeBuilder)
    MemLevel* addLevel(PovaString const& name);
    // A member on `level` below `parent` (null for a top member).
    MemMember* addMember(MemLevel* level, MemMember* parent, PovaString const& name, LONG type);
    // Orders the members depth-first, numbers the leaves, names everything and builds the
    // lookup tables. Called once, after the last member.
    void finish();
    // For a hierarchy other than the default: the fact leaf (the default hierarchy's number)
    // of each of its own leaves, a permutation of 0 .. leafCount() - 1.
    void mapLeaves(std::vector<std::int32_t> factLeaves);

    // --- memcube
    MemDimension* dimension() const { return fDimension; }
    MemCube* cube() const;
    std::vector<MemMember*> const& members() const { return fMemberOrder; }
    std::vector<MemMember*> const& roots() const { return fRoots; }
    LONG leafCount() const { return fLeafCount; }
    // The fact leaf of one of this hierarchy's leaves.
    std::int32_t factLeaf(std::int32_t leaf) const {
        return fFactLeaves.empty() ? leaf : fFactLeaves[static_cast<std::size_t>(leaf)];
    }
    // This hierarchy's leaf for each fact leaf; null when the numberings are the same.
    std::int32_t const* ownLeaves() const {
        return fOwnLeaves.empty() ? nullptr : fOwnLeaves.data();
    }
    MemMember* findMemberByUniqueName(PovaString const& uniqueName) const;
    MemMember* findMemberByName(PovaString const& name) const;
    // Whether more than one member has this name.
    bool isNameShared(PovaString const& name) const;
    MemLevel* findLevel(PovaString const& name, bool unique) const;
    bool acceptsName(PovaString const& name) const;

private:
    ~MemHierarchy() override;

    // Whether the element's "Hierarchy" names this hierarchy.
    bool is_saved_here(XmlNode element) const;
    MemCalculation* find_calculation(PovaString const& uniqueName, std::size_t* position) const;
    void calculations_changed();

    MemDimension* fDimension;  // Owns this hierarchy.
    PovaString fName;
    PovaString fUniqueName;
    PovaString fUniqueKey;  // lookupKey(fUniqueName)
    std::vector<support::Ref<MemLevel>> fLevels;
    std::vector<support::Ref<MemMember>> fMembers;  // In creation order.
    std::vector<MemMember*> fMemberOrder;           // Depth-first.
    std::vector<MemMember*> fRoots;
    MemMember* fDefaultMember = nullptr;
    LONG fLeafCount = 0;
    // Empty for the default hierarchy, whose numbering the facts use.
    std::vector<std::int32_t> fFactLeaves;
    std::vector<std::int32_t> fOwnLeaves;
    // Lookup keys (case folded) to the first member in depth-first order.
    std::unordered_map<PovaString, MemMember*> fByUniqueName;
    // The same members under their unique names as written: the names a saved document or a
    // query gives are found without folding case.
    std::unordered_map<PovaString, MemMember*> fByExactUniqueName;
    std::unordered_map<PovaString, MemMember*> fByName;
    std::unordered_set<PovaString> fSharedNames;
    std::vector<support::Ref<MemCalculation>> fCalculations;
    // Not counted: listeners remove themselves.
    std::vector<Listener*> fListeners;
};

}  // namespace memcube
