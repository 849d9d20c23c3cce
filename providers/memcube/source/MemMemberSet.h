// memcube::MemMemberSet: a fixed, ordered list of members of one MemHierarchy. Every member is
// a MemMember of that hierarchy (its makers see to it), so a set's size and hierarchy say all
// a layout check needs to know of it.
#pragma once

#include <pova/MemberSet.h>

#include <vector>

namespace memcube {

class MemHierarchy;

class MemMemberSet final : public ZELT_o::MemberSet {
public:
    MemMemberSet(MemHierarchy* hierarchy, LONG kind, std::vector<ZELT_o::Member*> members,
                 ZELT_o::Member* defaultMember);

    // --- ZELT_o::DimensionPart
    ZELT_o::Dimension* getDimension() const override;

    // --- ZELT_o::Queryable
    // The set's members on one axis, every other dimension at its default member.
    ZELT_o::ViewResultSet* query(std::vector<ZELT_o::PropertySpecification>* properties) override;

    // --- ZELT_o::MemberSet
    ZELT_o::Hierarchy* getHierarchy() const override;
    LONG getKind() const override { return fKind; }
    LONG getCount() const override { return static_cast<LONG>(fMembers.size()); }
    ZELT_o::Member* getMember(LONG i) const override;
    void getMembers(std::vector<ZELT_o::Member*>& members) const override;
    void addListener(Listener* listener) override;
    void removeListener(Listener* listener) override;
    void addUndoListener(UndoListener* listener) override;
    void removeUndoListener(UndoListener* listener) override;
    // Writes the attributes "Hierarchy" and "Kind" and one "Member" child per member with its
    // "UniqueName"; the set's "Hierarchy" stands for all of them.
    void save(XmlSupport& xml, XmlNode element) const override;

    // --- memcube
    MemHierarchy* hierarchy() const { return fHierarchy; }
    // The member the set was made with as its default (may be null).
    ZELT_o::Member* getDefaultMember() const { return fDefaultMember; }

private:
    ~MemMemberSet() override;

    MemHierarchy* fHierarchy;  // Borrowed from the cube.
    LONG fKind;
    std::vector<ZELT_o::Member*> fMembers;
    ZELT_o::Member* fDefaultMember;
    // Not counted: listeners remove themselves. The set never changes, so nobody is called.
    std::vector<Listener*> fListeners;
    std::vector<UndoListener*> fUndoListeners;
};

}  // namespace memcube
