/// @class common::SortCommon
/// A sort: its direction, its place among the viewpoint's sorts, the
/// dimensions (and specification names) it applies to and the sorts that modify it, saved as
/// and loaded from XML.
///
/// Not counted: the creator owns it. The dimensions are borrowed from the cube; a dimension a
/// loaded sort names but the cube lacks is kept as null, so that fitsCube refuses the sort.
#pragma once

#include <pova/Sort.h>
#include <pova/pova_export.h>

#include <memory>
#include <vector>

namespace common {

class POVA_API SortCommon : public ZELT_o::Sort {
public:
    SortCommon() = default;
    /// A copy of every field (the dimensions stay borrowed).
    SortCommon(SortCommon const& other) = default;
    ~SortCommon() override;

    std::unique_ptr<ZELT_o::Sort> clone() const override;
    bool fitsCube() const override;
    bool isApplied() const override { return fApplied; }
    void setApplied(bool const& applied) override { fApplied = applied; }
    bool getIsReversing() const override { return fIsReversing; }
    void setIsReversing(bool const& reversing) override { fIsReversing = reversing; }
    bool getChangeHier() const override { return fChangeHier; }
    void setChangeHier(bool const& changeHier) override { fChangeHier = changeHier; }
    LONG getParentIndex() const override { return fParentIndex; }
    void setParentIndex(LONG const& index) override { fParentIndex = index; }
    LONG getIndex() const override { return fIndex; }
    void setIndex(LONG const& index) override { fIndex = index; }
    LONG getDirection() const override { return fDirection; }
    void setDirection(LONG const& direction) override { fDirection = direction; }
    PovaString getSortName() const override { return fSortName; }
    void setSortName(PovaString const& name) override { fSortName = name; }
    std::vector<PovaString>& getNameVec() override { return fNameVec; }
    std::vector<ZELT_o::Dimension*>& getDimVec() override { return fDimVec; }
    std::vector<LONG>& getModifiers() override { return fModifiers; }
    void save(XmlSupport& xml, LONG const& index, XmlNode element) const override;
    /// Attributes that are absent or do not convert keep their current values; the lists are
    /// added to. Fails with ResultError: E_UNEXPECTED without a current element, E_FAIL for a
    /// child of a "Vector" that is not an element.
    void load(NodeListIterator& iterator, ZELT_o::Cube* cube) override;

private:
    std::vector<LONG> fModifiers;
    bool fApplied = false;
    bool fIsReversing = false;
    bool fChangeHier = false;
    LONG fParentIndex = -1;
    LONG fIndex = 0;
    std::vector<PovaString> fNameVec;
    std::vector<ZELT_o::Dimension*> fDimVec;  // Borrowed.
    LONG fDirection = ZELT_o::Sort::kAscending;
    PovaString fSortName;
};

}  // namespace common
