// memcube::MemLevel: a level of a MemHierarchy and the members on it, in hierarchy order.
#pragma once

#include <pova/Level.h>

#include <vector>

namespace memcube {

class MemHierarchy;
class MemMember;

class MemLevel final : public ZELT_o::Level {
public:
    MemLevel(MemHierarchy* hierarchy, PovaString name, LONG depth);

    // --- support::NamedPart
    PovaString getName() const override { return fName; }
    PovaString getUniqueName() const override { return fUniqueName; }
    PovaString getCaption() const override { return fName; }

    // --- ZELT_o::Level
    ZELT_o::Hierarchy* getHierarchy() const override;
    LONG getDepth() const override { return fDepth; }
    // Every member of the level, kind 0.
    ZELT_o::MemberSet* getMemberSet() override;

    // --- memcube
    std::vector<MemMember*> const& members() const { return fMembers; }
    void setMembers(std::vector<MemMember*> members) { fMembers = std::move(members); }
    void setUniqueName(PovaString uniqueName) { fUniqueName = std::move(uniqueName); }

private:
    ~MemLevel() override;

    MemHierarchy* fHierarchy;  // Owns this level.
    PovaString fName;
    PovaString fUniqueName;
    LONG fDepth;
    std::vector<MemMember*> fMembers;
};

}  // namespace memcube
