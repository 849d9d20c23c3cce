#include <basekit/BaseError.h>
#include <basekit/NodeListIterator.h>
#include <basekit/XmlSupport.h>
#include <pova/Cube.h>
#include <pova/Dimension.h>
#include <pova/common/ExpressionBase.h>
#include <pova/common/FormatCommon.h>

#include <cmath>
#include <utility>

#include "viewpoint/SpecificationXml.h"

namespace common {

namespace {

// Currency is a 64-bit count of ten-thousandths.
constexpr double kCurrencyScale = 10000.0;

float currency_to_float(CY value) {
    return static_cast<float>(static_cast<double>(value.int64) / kCurrencyScale);
}

// False (and `out` untouched) for a size that is no currency amount.
bool float_to_currency(float value, CY& out) {
    double const scaled = std::round(static_cast<double>(value) * kCurrencyScale);
    // 2^63: the first value beyond the range of a 64-bit integer.
    constexpr double kLimit = 9223372036854775808.0;
    if (!std::isfinite(scaled) || scaled >= kLimit || scaled < -kLimit) {
        return false;
    }
    out.int64 = static_cast<LONGLONG>(scaled);
    return true;
}

// The number format's fields with their XML names, in the order they are written.
template <class Visit>
void for_each_field(ZELT_o::Style::NumberFormat& f, Visit&& visit) {
    visit("NumberFormatType", f.numberFormatType);
    visit("ScaleFactor", f.scaleFactor);
    visit("DecimalPlaces", f.decimalPlaces);
    visit("CurrencySymbol", f.currencySymbol);
    visit("CurrencyIsPrefix", f.currencyIsPrefix);
    visit("ThousandSeparator", f.thousandSeparator);
    visit("StripTrailingZeros", f.stripTrailingZeros);
    visit("NegativeStyle", f.negativeStyle);
    visit("HasPlus", f.hasPlus);
    visit("DecimalPointCharacter", f.decimalPointCharacter);
    visit("PercentSymbol", f.percentSymbol);
    visit("PercentIsPrefix", f.percentIsPrefix);
    visit("Scientific", f.scientific);
    visit("UserInfo", f.userInfo);
}

}  // namespace

FormatCommon::FormatCommon() : fStyle(support::adopt(new StyleCommon())) {
    fStyle->setParent(this);
}

FormatCommon::FormatCommon(FormatCommon const& other) : ZELT_o::Format(other) {
    copy_from(other);
}

FormatCommon& FormatCommon::operator=(FormatCommon const& other) {
    if (this != &other) {
        copy_from(other);
    }
    return *this;
}

FormatCommon::~FormatCommon() = default;

void FormatCommon::copy_from(FormatCommon const& other) {
    auto style = support::adopt(new StyleCommon(*other.fStyle));
    style->setParent(this);
    support::Ref<ZELT_o::Expression> expression;
    if (other.fExpression) {
        expression = support::adopt(other.fExpression->clone());
        // The clone would still name the other format as its holder.
        if (expression->GetParent() == &other) {
            expression->SetParent(this);
        }
    }
    // Nothing above changed this format, so a failed copy leaves it as it was.
    fStyle = std::move(style);
    fExpression = std::move(expression);
    fInUse = other.fInUse;
    fParentIndex = other.fParentIndex;
    fIndex = other.fIndex;
    fName = other.fName;
    fUserInfo = other.fUserInfo;
    fChildCommands = other.fChildCommands;
    fNameList = other.fNameList;
    fDimensions = other.fDimensions;
    fDimensionNames = other.fDimensionNames;
}

void FormatCommon::setExpression(ZELT_o::Expression* expression) {
    fExpression = support::retain(expression);
}

std::unique_ptr<ZELT_o::Format> FormatCommon::clone() const {
    return std::make_unique<FormatCommon>(*this);
}

bool FormatCommon::validate() const {
    std::size_t const pairs = std::min(fDimensions.size(), fNameList.size());
    for (std::size_t i = 0; i < pairs; ++i) {
        if (fDimensions[i] == nullptr || !fDimensions[i]->acceptsName(fNameList[i])) {
            return false;
        }
    }
    return true;
}

void FormatCommon::save(XmlSupport& xml, LONG const& index, XmlNode element) const {
    XmlSupport::write_to(element, "Index", index);
    XmlSupport::write_to(element, "AttrName", fName);
    XmlSupport::write_to(element, "BGColor", static_cast<LONG>(fStyle->getBGColour()));
    XmlSupport::write_to(element, "FGColor", static_cast<LONG>(fStyle->getFGColour()));
    XmlSupport::write_to(element, "FontFamily", fStyle->getFontFamily());
    XmlSupport::write_to(element, "Size", currency_to_float(fStyle->getFontSize()));
    XmlSupport::write_to(element, "Italic", static_cast<LONG>(fStyle->getItalic()));
    XmlSupport::write_to(element, "Bold", static_cast<LONG>(fStyle->getBold()));
    XmlSupport::write_to(element, "StrikeThru", static_cast<LONG>(fStyle->getStrikeThrough()));
    XmlSupport::write_to(element, "Underline", static_cast<LONG>(fStyle->getUnderline()));
    XmlSupport::write_to(element, "UserInfo", fUserInfo);

    if (fExpression) {
        XmlNode const holder =
            XmlSupport::addAChild(spec_xml::addVector(element, "ExpressionVector"), "Expression");
        LONG const first = 0;
        fExpression->save(xml, first, holder);
    }

    XmlNode const dimensions = spec_xml::addVector(element, "DimVec");
    for (ZELT_o::Dimension const* dimension : fDimensions) {
        if (dimension != nullptr) {
            XmlSupport::write_to(XmlSupport::addAChild(dimensions, "Dimension"), "UniqueName",
                                 dimension->getUniqueName());
        }
    }
    XmlNode const names = spec_xml::addVector(element, "DimNames");
    for (PovaString const& name : fDimensionNames) {
        XmlSupport::write_to(XmlSupport::addAChild(names, "Dimension"), "UniqueName", name);
    }
    if (!fNameList.empty()) {
        XmlNode const specNames = spec_xml::addVector(element, "NameVec");
        for (PovaString const& name : fNameList) {
            XmlSupport::write_to(XmlSupport::addAChild(specNames, "UniqueName"), "SpecName", name);
        }
    }
    if (fStyle->getFormatObject() != nullptr) {
        save_number_format(XmlSupport::addAChild(element, "NumberFormat"));
    }
}

void FormatCommon::save_number_format(XmlNode element) const {
    fStyle->updateFormatString();
    XmlSupport::write_to(element, "FormatString", fStyle->getNumberFormat());
    for_each_field(*fStyle->getFormatObject(), [&](char const* name, auto& value) {
        XmlSupport::write_to(element, name, value);
    });
}

void FormatCommon::load(NodeListIterator& iterator, ZELT_o::Cube* cube) {
    XmlNode const element = iterator.iter();
    if (!element) {
        throw ResultError(E_UNEXPECTED);
    }
    load_attributes(iterator);
    for (XmlNode const& child : spec_xml::childElements(element)) {
        PovaString const name = child.name();
        if (name == "Vector") {
            load_vector(child, cube);
        } else if (name == "NumberFormat") {
            load_number_format(child);
        }
    }
}

void FormatCommon::load_attributes(NodeListIterator const& in) {
    // "Index" is the id the format had in the viewpoint that saved it; the loading viewpoint
    // gives it a new one.
    in.read("AttrName", fName);
    in.read("UserInfo", fUserInfo);
    if (LONG colour = 0; in.read("BGColor", colour)) {
        fStyle->setBGColour(static_cast<ULONG>(colour));
    }
    if (LONG colour = 0; in.read("FGColor", colour)) {
        fStyle->setFGColour(static_cast<ULONG>(colour));
    }
    if (PovaString family; in.read("FontFamily", family)) {
        fStyle->setFontFamily(family);
    }
    if (float size = 0; in.read("Size", size)) {
        if (CY currency{}; float_to_currency(size, currency)) {
            fStyle->setFontSize(currency);
        }
    }
    if (LONG value = 0; in.read("Italic", value)) {
        fStyle->setItalic(static_cast<ZELT_o::Style::Visibility>(value));
    }
    if (LONG value = 0; in.read("Bold", value)) {
        fStyle->setBold(static_cast<ZELT_o::Style::Visibility>(value));
    }
    if (LONG value = 0; in.read("StrikeThru", value)) {
        fStyle->setStrikeThrough(static_cast<ZELT_o::Style::Visibility>(value));
    }
    if (LONG value = 0; in.read("Underline", value)) {
        fStyle->setUnderline(static_cast<ZELT_o::Style::UnderlineStyle>(value));
    }
}

void FormatCommon::load_vector(XmlNode vector, ZELT_o::Cube* cube) {
    PovaString const kind = spec_xml::attribute(vector, "UniqueName");
    if (kind == "NameVec") {
        for (XmlNode const& name : spec_xml::childElements(vector)) {
            fNameList.push_back(spec_xml::attribute(name, "SpecName"));
        }
    } else if (kind == "DimVec") {
        for (XmlNode const& entry : spec_xml::childElements(vector)) {
            ZELT_o::Dimension* const dimension =
                cube != nullptr ? cube->findDimension(spec_xml::attribute(entry, "UniqueName"))
                                : nullptr;
            if (dimension != nullptr) {
                fDimensions.push_back(dimension);
            }
        }
    } else if (kind == "DimNames") {
        for (XmlNode const& entry : spec_xml::childElements(vector)) {
            fDimensionNames.push_back(spec_xml::attribute(entry, "UniqueName"));
        }
    } else if (kind == "ExpressionVector") {
        std::vector<XmlNode> const children = vector.childNodes();
        if (children.size() != 1) {
            throw ResultError(E_UNEXPECTED);
        }
        if (!children.front().isElement()) {
            throw ResultError(E_FAIL);
        }
        if (!fExpression) {
            fExpression = support::adopt<ZELT_o::Expression>(new ExpressionBase(nullptr));
        }
        NodeListIterator expression(children);
        fExpression->load(expression, cube);
    }
}

void FormatCommon::load_number_format(XmlNode element) {
    ZELT_o::Style::NumberFormat* const format = fStyle->createFormatObject(nullptr);
    NodeListIterator const in({element});
    bool any = false;
    for_each_field(*format, [&](char const* name, auto& value) { any |= in.read(name, value); });
    if (PovaString formatString;
        !any && in.read("FormatString", formatString) && !formatString.empty()) {
        StyleCommon::ReadFormatString(formatString, format);
    }
    fStyle->updateFormatString();
}

}  // namespace common
