/// @class common::FilterCommon
/// A filter or tuple filter with its lists and expressions, saved as and
/// loaded from XML. What the lists mean, validity and ownership are those of ZELT_o::Filter.
#pragma once

#include <pova/Expression.h>
#include <pova/Filter.h>
#include <pova/pova_export.h>
#include <pova/support/Ref.h>

#include <vector>

namespace common {

class POVA_API FilterCommon : public ZELT_o::Filter {
public:
    FilterCommon();

    LONG getExpressionType() const override { return fExpressionType; }
    void setExpressionType(LONG type) override { fExpressionType = type; }
    LONG getAxis() const override { return fAxis; }
    void setAxis(LONG axis) override { fAxis = axis; }
    bool isApplied() const override { return fApplied; }
    void setApplied(bool applied) override { fApplied = applied; }
    LONG getIndex() const override { return fIndex; }
    void setIndex(LONG index) override { fIndex = index; }
    PovaString getName() const override { return fName; }
    void setName(PovaString const& name) override { fName = name; }
    bool isValid() const override { return fValid; }
    void setValid(bool valid) override { fValid = valid; }
    std::vector<PovaString>& getNameVec() override { return fNameVec; }
    std::vector<PovaString> const& getNameVec() const override { return fNameVec; }
    std::vector<ZELT_o::Dimension*>& getDimVec() override { return fDimVec; }
    std::vector<ZELT_o::Dimension*> const& getDimVec() const override { return fDimVec; }
    std::vector<ZELT_o::Hierarchy*>& getHierVec() override { return fHierVec; }
    std::vector<ZELT_o::Hierarchy*> const& getHierVec() const override { return fHierVec; }
    std::vector<ZELT_o::Expression*> const& getExpressions() const override {
        return fExpressionPointers;
    }
    void addExpression(ZELT_o::Expression* expression) override;
    void clearExpressions() override;
    bool validate(ZELT_o::Viewpoint* viewpoint) const override;
    /// Fails with ResultError when an expression cannot be saved.
    void save(XmlSupport& xml, LONG const& index, XmlNode element) const override;
    /// Replaces the filter's content by the element's. A missing element is E_UNEXPECTED, and
    /// an expression's own errors pass through; on failure the filter is left as it was.
    void load(NodeListIterator& iterator, ZELT_o::Cube* cube) override;

    /// Parses `text` against `cube` (names must be the cube's) and makes it the filter's one
    /// expression. Text that does not parse raises the parser's error (0x02017068, or
    /// 0xC2018005 for an unknown parameter) and leaves the filter as it was.
    void setExpressionText(PovaString const& text, ZELT_o::Cube* cube);

protected:
    ~FilterCommon() override;

private:
    bool tuples_fit(ZELT_o::Viewpoint& viewpoint) const;

    LONG fExpressionType = kExpressionFilter;
    LONG fAxis = -1;
    bool fApplied = false;
    bool fValid = true;
    LONG fIndex = -1;
    PovaString fName;
    std::vector<PovaString> fNameVec;
    std::vector<ZELT_o::Dimension*> fDimVec;   // Borrowed.
    std::vector<ZELT_o::Hierarchy*> fHierVec;  // Borrowed.
    std::vector<support::Ref<ZELT_o::Expression>> fExpressions;
    // The same expressions, as getExpressions hands them out.
    std::vector<ZELT_o::Expression*> fExpressionPointers;
};

}  // namespace common
