// memcube::MemDimension: a dimension of a MemCube, holding its one hierarchy.
#pragma once

#include <pova/Dimension.h>
#include <pova/support/Ref.h>

namespace memcube {

class MemCube;
class MemHierarchy;

class MemDimension final : public ZELT_o::Dimension {
public:
    // `factColumn` is the dimension's column in the fact table, -1 for Measures.
    MemDimension(MemCube* cube, LONG ordinal, PovaString name, bool measures, LONG factColumn);

    // --- support::NamedPart
    PovaString getName() const override { return fName; }
    PovaString getUniqueName() const override { return fUniqueName; }
    PovaString getCaption() const override { return fName; }

    // --- ZELT_o::Dimension
    ZELT_o::Cube* getCube() const override;
    LONG getOrdinal() const override { return fOrdinal; }
    bool isMeasures() const override { return fMeasures; }
    void getHierarchies(std::vector<ZELT_o::Hierarchy*>& hierarchies) const override;
    ZELT_o::Hierarchy* getDefaultHierarchy() const override;
    // By name or unique name of the hierarchy or of the dimension itself.
    ZELT_o::Hierarchy* findHierarchy(PovaString const& name) const override;
    bool acceptsName(PovaString const& name) const override;

    // --- memcube
    MemCube* cube() const { return fCube; }
    MemHierarchy* hierarchy() const { return fHierarchy.get(); }
    void setHierarchy(support::Ref<MemHierarchy> hierarchy);
    LONG factColumn() const { return fFactColumn; }

private:
    ~MemDimension() override;

    MemCube* fCube;  // Owns this dimension.
    LONG fOrdinal;
    PovaString fName;
    PovaString fUniqueName;
    bool fMeasures;
    LONG fFactColumn;
    support::Ref<MemHierarchy> fHierarchy;
};

}  // namespace memcube
