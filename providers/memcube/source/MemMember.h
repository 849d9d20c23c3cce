// memcube::MemMember: a member of a MemHierarchy. Besides the tree it knows the range of
// leaves below it (leaves are numbered in depth-first order, so every member covers one
// contiguous range), which is what the query engine filters facts with.
#pragma once

#include <pova/Member.h>

#include <vector>

namespace memcube {

class MemHierarchy;
class MemLevel;

class MemMember final : public ZELT_o::Member {
public:
    MemMember(MemHierarchy* hierarchy, MemLevel* level, MemMember* parent, PovaString name,
              LONG type);

    // --- ZELT_o::DimensionPart
    ZELT_o::Dimension* getDimension() const override;

    // --- ZELT_o::Member
    PovaString getName() const override { return fName; }
    PovaString getUniqueName() const override { return fUniqueName; }
    PovaString getCaption() const override { return fName; }
    LONG getMemberType() const override { return fType; }
    ZELT_o::Hierarchy* getHierarchy() const override;
    ZELT_o::Level* getLevel() const override;
    ZELT_o::Member* getParent() const override { return fParent; }
    void getChildren(std::vector<ZELT_o::Member*>& children) const override;
    void addListener(Listener* listener) override;
    void removeListener(Listener* listener) override;
    // Writes the attributes "UniqueName" and "Hierarchy" (the hierarchy's unique name).
    void save(XmlSupport& xml, XmlNode element) const override;

    // --- memcube
    MemHierarchy* hierarchy() const { return fHierarchy; }
    MemLevel* level() const { return fLevel; }
    MemMember* parent() const { return fParent; }
    std::vector<MemMember*> const& children() const { return fChildren; }
    void addChild(MemMember* child) { fChildren.push_back(child); }
    void setUniqueName(PovaString uniqueName) { fUniqueName = std::move(uniqueName); }
    bool isLeaf() const { return fChildren.empty(); }
    // Leaves first .. end - 1 lie under this member.
    LONG firstLeaf() const { return fFirstLeaf; }
    LONG endLeaf() const { return fEndLeaf; }
    void setLeafRange(LONG first, LONG end) {
        fFirstLeaf = first;
        fEndLeaf = end;
    }
    // The measure's column in the fact table; -1 for other members.
    LONG measureIndex() const { return fMeasureIndex; }
    void setMeasureIndex(LONG index) { fMeasureIndex = index; }
    // A measure's number format string; "" for none and for other members.
    PovaString const& formatString() const { return fFormatString; }
    void setFormatString(PovaString format) { fFormatString = std::move(format); }

private:
    ~MemMember() override;

    MemHierarchy* fHierarchy;  // Owns this member.
    MemLevel* fLevel;
    MemMember* fParent;
    std::vector<MemMember*> fChildren;
    PovaString fName;
    PovaString fUniqueName;
    LONG fType;
    LONG fFirstLeaf = 0;
    LONG fEndLeaf = 0;
    LONG fMeasureIndex = -1;
    PovaString fFormatString;
    // Not counted: listeners remove themselves.
    std::vector<Listener*> fListeners;
};

}  // namespace memcube
