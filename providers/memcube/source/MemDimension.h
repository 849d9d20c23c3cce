// memcube::MemDimension: a dimension of a MemCube, holding its hierarchies: the default one,
// named after the dimension, then any others over the same leaves.
#pragma once

#include <pova/Dimension.h>
#include <pova/support/Ref.h>

#include <vector>

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
    // By name or unique name of a hierarchy; the dimension's own names give the default one.
    ZELT_o::Hierarchy* findHierarchy(PovaString const& name) const override;
    bool acceptsName(PovaString const& name) const override;

    // --- memcube
    MemCube* cube() const { return fCube; }
    // The default hierarchy; null until the builder adds one.
    MemHierarchy* hierarchy() const {
        return fHierarchies.empty() ? nullptr : fHierarchies.front().get();
    }
    std::vector<support::Ref<MemHierarchy>> const& hierarchies() const { return fHierarchies; }
    // The first hierarchy added is the default.
    void addHierarchy(support::Ref<MemHierarchy> hierarchy);
    LONG factColumn() const { return fFactColumn; }

private:
    ~MemDimension() override;

    MemCube* fCube;  // Owns this dimension.
    LONG fOrdinal;
    PovaString fName;
    PovaString fUniqueName;
    bool fMeasures;
    LONG fFactColumn;
    std::vector<support::Ref<MemHierarchy>> fHierarchies;
};

}  // namespace memcube
