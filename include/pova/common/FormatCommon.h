/// @class common::FormatCommon
/// A format: the dimensions (and specification names) it applies to, an
/// optional condition expression and its own style, saved as and loaded from XML.
///
/// Not counted: the creator owns it. It owns one reference to its style (made by the
/// constructor, with this format as its parent) and to its expression; copies get a copy of
/// each. The dimensions are borrowed from the cube.
#pragma once

#include <pova/Expression.h>
#include <pova/Format.h>
#include <pova/common/StyleCommon.h>
#include <pova/pova_export.h>
#include <pova/support/Ref.h>

#include <memory>
#include <vector>

namespace common {

class POVA_API FormatCommon : public ZELT_o::Format {
public:
    FormatCommon();
    ///@{
    /// Copies every field; the style and the expression are copied too (a new style whose parent
    /// is the new format, a clone of the expression).
    FormatCommon(FormatCommon const& other);
    FormatCommon& operator=(FormatCommon const& other);
    ///@}
    ~FormatCommon() override;

    bool getInUse() const override { return fInUse; }
    void setInUse(bool inUse) override { fInUse = inUse; }
    LONG getParentIndex() const override { return fParentIndex; }
    void setParentIndex(LONG index) override { fParentIndex = index; }
    LONG getIndex() const override { return fIndex; }
    void setIndex(LONG index) override { fIndex = index; }
    PovaString getName() const override { return fName; }
    void setName(PovaString const& name) override { fName = name; }
    PovaString getUserInfo() const override { return fUserInfo; }
    void setUserInfo(PovaString const& info) override { fUserInfo = info; }
    std::vector<PovaString>& getNameList() override { return fNameList; }
    std::vector<PovaString> const& getNameList() const override { return fNameList; }
    std::vector<ZELT_o::Dimension*>& getDimensions() override { return fDimensions; }
    std::vector<ZELT_o::Dimension*> const& getDimensions() const override { return fDimensions; }
    std::vector<PovaString>& getDimensionNames() override { return fDimensionNames; }
    std::vector<PovaString> const& getDimensionNames() const override { return fDimensionNames; }
    std::vector<LONG>& getChildCommands() override { return fChildCommands; }
    std::vector<LONG> const& getChildCommands() const override { return fChildCommands; }
    ZELT_o::Style* getStyle() override { return fStyle.get(); }
    ZELT_o::Style const* getStyle() const override { return fStyle.get(); }
    ZELT_o::Expression* getExpression() const override { return fExpression.get(); }
    void setExpression(ZELT_o::Expression* expression) override;
    std::unique_ptr<ZELT_o::Format> clone() const override;
    bool validate() const override;
    /// Fails with ResultError when the expression cannot be saved.
    void save(XmlSupport& xml, LONG const& index, XmlNode element) const override;
    /// Attributes that are absent keep their current values. Fails with ResultError: E_FAIL for
    /// a child node that is not an element, E_UNEXPECTED for a missing element or an
    /// "ExpressionVector" without exactly one child, E_NOTIMPL for a number format given only
    /// as a format string; the expression's own errors pass through.
    void load(NodeListIterator& iterator, ZELT_o::Cube* cube) override;

private:
    void copy_from(FormatCommon const& other);
    void load_attributes(NodeListIterator const& iterator);
    void load_vector(XmlNode vector, ZELT_o::Cube* cube);
    void load_number_format(XmlNode element);
    void save_number_format(XmlNode element) const;

    support::Ref<StyleCommon> fStyle;
    bool fInUse = false;
    LONG fParentIndex = -1;
    LONG fIndex = -1;
    PovaString fName;
    PovaString fUserInfo;
    std::vector<LONG> fChildCommands;
    std::vector<PovaString> fNameList;
    std::vector<ZELT_o::Dimension*> fDimensions;  // Borrowed.
    support::Ref<ZELT_o::Expression> fExpression;
    std::vector<PovaString> fDimensionNames;
};

}  // namespace common
