#include "FormatTestDoubles.h"

#include <basekit/BaseError.h>
#include <basekit/NodeListIterator.h>
#include <basekit/XmlSupport.h>
#include <pova/common/ExpressionBase.h>
#include <pova/common/FormatCommon.h>
#include <pova/support/Ref.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using common::ExpressionBase;
using common::FormatCommon;
using formats_test::TestCube;
using ZELT_o::Expression;
using ZELT_o::Style;
using NumberFormat = ZELT_o::Style::NumberFormat;

namespace {

std::string saveToText(FormatCommon const& format, LONG index = 3) {
    XmlSupport xml;
    xml.createDocument();
    format.save(xml, index, xml.createElement("FormatSpecification"));
    return xml.xml().string();
}

void loadFromText(FormatCommon& format, std::string const& text, ZELT_o::Cube* cube) {
    XmlSupport xml;
    ASSERT_TRUE(xml.readXml(PovaString(text))) << text;
    NodeListIterator iterator({xml.documentElement()});
    format.load(iterator, cube);
}

HRESULT loadFailure(std::string const& text, ZELT_o::Cube* cube = nullptr) {
    FormatCommon format;
    try {
        loadFromText(format, text, cube);
    } catch (ResultError const& e) {
        return e.result();
    }
    return S_OK;
}

// [Sales] + 2, built node by node.
support::Ref<Expression> makeCondition() {
    auto root = support::adopt<Expression>(new ExpressionBase());
    root->setType(Expression::kAdd);
    Expression* name = root->AddNewChild();
    name->setType(Expression::kQuotedName);
    name->setStringValue(u"Sales");
    Expression* number = root->AddNewChild();
    number->setType(Expression::kNumber);
    number->getValue().vt = VT_R8;
    number->getValue().dblVal = 2;
    return root;
}

class FormatCommonTest : public ::testing::Test {
protected:
    FormatCommonTest() : fCube(support::adopt(new TestCube())) {
        fTime = fCube->addDimension("[Time]", {u"[Time].[2008]"});
        fRegion = fCube->addDimension("[Region]", {u"[Region].[North]"});
    }

    // A format with every field away from its default.
    void fill(FormatCommon& format) {
        format.setName("Highlight");
        format.setUserInfo("shown in red");
        format.getDimensions() = {fTime, fRegion};
        format.getDimensionNames() = {"[Time]", "[Region]"};
        format.getNameList() = {"[Time].[2008]", "[Region].[North]"};
        Style* style = format.getStyle();
        style->setFGColour(0x0000FF);
        style->setBGColour(0xFFFFFF);
        style->setFontFamily("Courier New");
        style->setFontSize(CY{125000});
        style->setItalic(Style::kVisibilityOn);
        style->setBold(Style::kVisibilityOff);
        style->setStrikeThrough(Style::kVisibilityOn);
        style->setUnderline(Style::kUnderlineSingle);
    }

    support::Ref<TestCube> fCube;
    ZELT_o::Dimension* fTime = nullptr;
    ZELT_o::Dimension* fRegion = nullptr;
};

TEST_F(FormatCommonTest, DefaultsAndItsOwnStyle) {
    FormatCommon format;
    EXPECT_FALSE(format.getInUse());
    EXPECT_EQ(format.getParentIndex(), -1);
    EXPECT_EQ(format.getIndex(), -1);
    EXPECT_TRUE(format.getName().empty());
    EXPECT_TRUE(format.getUserInfo().empty());
    EXPECT_EQ(format.getExpression(), nullptr);
    ASSERT_NE(format.getStyle(), nullptr);
    EXPECT_EQ(format.getStyle()->getParent(), &format);
}

TEST_F(FormatCommonTest, ReleasesStyleAndExpression) {
    auto condition = makeCondition();
    support::Ref<Style> style;
    {
        FormatCommon format;
        format.setExpression(condition.get());
        EXPECT_EQ(condition->getRefCount(), 2);
        format.setExpression(condition.get());
        EXPECT_EQ(condition->getRefCount(), 2);
        style = support::retain(format.getStyle());
        EXPECT_EQ(style->getRefCount(), 2);
    }
    EXPECT_EQ(condition->getRefCount(), 1);
    EXPECT_EQ(style->getRefCount(), 1);

    FormatCommon format;
    format.setExpression(condition.get());
    format.setExpression(nullptr);
    EXPECT_EQ(condition->getRefCount(), 1);
}

TEST_F(FormatCommonTest, CopyAndCloneCopyEveryField) {
    FormatCommon original;
    fill(original);
    original.setInUse(true);
    original.setIndex(6);
    original.setParentIndex(2);
    original.getChildCommands() = {9};
    auto condition = makeCondition();
    original.setExpression(condition.get());
    original.getStyle()->createFormatObject(nullptr)->decimalPlaces = 2;

    auto check = [&](FormatCommon const& copy) {
        EXPECT_TRUE(copy.getInUse());
        EXPECT_EQ(copy.getIndex(), 6);
        EXPECT_EQ(copy.getParentIndex(), 2);
        EXPECT_EQ(copy.getChildCommands(), std::vector<LONG>{9});
        EXPECT_EQ(copy.getName(), original.getName());
        EXPECT_EQ(copy.getUserInfo(), original.getUserInfo());
        EXPECT_EQ(copy.getDimensions(), original.getDimensions());
        EXPECT_EQ(copy.getDimensionNames(), original.getDimensionNames());
        EXPECT_EQ(copy.getNameList(), original.getNameList());
        // A style of its own that belongs to the copy.
        ASSERT_NE(copy.getStyle(), original.getStyle());
        EXPECT_EQ(copy.getStyle()->getParent(), &copy);
        EXPECT_EQ(copy.getStyle()->getFontFamily(), PovaString("Courier New"));
        ASSERT_NE(copy.getStyle()->getFormatObject(), nullptr);
        EXPECT_EQ(copy.getStyle()->getFormatObject()->decimalPlaces, 2);
        // An expression of its own with the same text.
        ASSERT_NE(copy.getExpression(), nullptr);
        EXPECT_NE(copy.getExpression(), condition.get());
        EXPECT_EQ(copy.getExpression()->getTextFromTree(), condition->getTextFromTree());
        // Saved, they are the same format.
        EXPECT_EQ(saveToText(copy), saveToText(original));
    };

    FormatCommon const copied(original);
    check(copied);

    std::unique_ptr<ZELT_o::Format> cloned = original.clone();
    ASSERT_NE(dynamic_cast<FormatCommon*>(cloned.get()), nullptr);
    check(static_cast<FormatCommon&>(*cloned));

    FormatCommon assigned;
    support::Ref<Style> replaced = support::retain(assigned.getStyle());
    assigned = original;
    check(assigned);
    EXPECT_EQ(replaced->getRefCount(), 1);  // the old style was released
    EXPECT_EQ(condition->getRefCount(), 2);

    FormatCommon& self = assigned;
    assigned = self;
    check(assigned);
}

TEST_F(FormatCommonTest, ValidateAsksEachDimensionForItsName) {
    FormatCommon format;
    format.getDimensions() = {fTime, fRegion};
    format.getNameList() = {"[Time].[2008]", "[Region].[North]"};
    EXPECT_TRUE(format.validate());

    format.getNameList()[1] = "[Region].[South]";
    EXPECT_FALSE(format.validate());

    // Position matters: each name goes to the dimension at its position.
    format.getNameList() = {"[Region].[North]", "[Time].[2008]"};
    EXPECT_FALSE(format.validate());

    FormatCommon empty;
    EXPECT_TRUE(empty.validate());
}

TEST_F(FormatCommonTest, SavesAttributesAndVectors) {
    FormatCommon format;
    fill(format);
    XmlSupport xml;
    xml.createDocument();
    XmlNode const element = xml.createElement("FormatSpecification");
    format.save(xml, 3, element);

    std::vector<std::string> names;
    for (auto const& [name, value] : element.attributes()) {
        names.push_back(name.string() + "=" + value.string());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Index=3", "AttrName=Highlight", "BGColor=16777215",
                                               "FGColor=255", "FontFamily=Courier New", "Size=12.5",
                                               "Italic=1", "Bold=0", "StrikeThru=1", "Underline=2",
                                               "UserInfo=shown in red"}));

    std::vector<std::string> vectors;
    for (XmlNode const& child : element.childNodes()) {
        PovaString kind;
        child.getAttribute("UniqueName", kind);
        vectors.push_back(child.name().string() + ":" + kind.string() + ":" +
                          std::to_string(child.childNodes().size()));
    }
    EXPECT_EQ(vectors, (std::vector<std::string>{"Vector:DimVec:2", "Vector:DimNames:2",
                                                 "Vector:NameVec:2"}));
    PovaString specName;
    element.childNodes()[2].firstChild().getAttribute("SpecName", specName);
    EXPECT_EQ(specName, PovaString("[Time].[2008]"));
}

TEST_F(FormatCommonTest, DefaultColoursAndSizeAreWrittenAsMinusOne) {
    FormatCommon format;
    XmlSupport xml;
    xml.createDocument();
    XmlNode const element = xml.createElement("FormatSpecification");
    format.save(xml, 0, element);
    PovaString value;
    ASSERT_TRUE(element.getAttribute("BGColor", value));
    EXPECT_EQ(value, PovaString("-1"));
    ASSERT_TRUE(element.getAttribute("Size", value));
    EXPECT_EQ(value, PovaString("-1"));
    // No number format, no expression, no names: only the two dimension vectors.
    EXPECT_EQ(element.childNodes().size(), 2u);
}

TEST_F(FormatCommonTest, SavesTheNumberFormatWithItsStringFirst) {
    FormatCommon format;
    NumberFormat* f = format.getStyle()->createFormatObject(nullptr);
    f->thousandSeparator = ",";
    f->decimalPlaces = 2;
    XmlSupport xml;
    xml.createDocument();
    XmlNode const element = xml.createElement("FormatSpecification");
    format.save(xml, 0, element);
    XmlNode const number = element.findChild("NumberFormat");
    ASSERT_TRUE(number);
    std::vector<std::string> names;
    for (auto const& [name, value] : number.attributes()) {
        names.push_back(name.string() + "=" + value.string());
    }
    EXPECT_EQ(names, (std::vector<std::string>{
                         "FormatString=#,###.00;-#,###.00", "NumberFormatType=0", "ScaleFactor=0",
                         "DecimalPlaces=2", "CurrencySymbol=", "CurrencyIsPrefix=true",
                         "ThousandSeparator=,", "StripTrailingZeros=false", "NegativeStyle=0",
                         "HasPlus=false", "DecimalPointCharacter=.", "PercentSymbol=",
                         "PercentIsPrefix=false", "Scientific=false", "UserInfo="}));
    // Saving rebuilt the style's string.
    EXPECT_EQ(format.getStyle()->getNumberFormat(), PovaString("#,###.00;-#,###.00"));
}

// Save, load, save again: the same XML, with and without expression and number format.
struct RoundTrip {
    char const* name;
    bool expression;
    bool numberFormat;
};

class FormatRoundTrip : public FormatCommonTest, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(FormatRoundTrip, SaveLoadSaveGivesTheSameXml) {
    FormatCommon original;
    fill(original);
    if (GetParam().expression) {
        auto condition = makeCondition();
        original.setExpression(condition.get());
    }
    if (GetParam().numberFormat) {
        NumberFormat* f = original.getStyle()->createFormatObject(nullptr);
        f->numberFormatType = Style::kNumberCurrency;
        f->scaleFactor = Style::kScaleMillions;
        f->decimalPlaces = 3;
        f->currencySymbol = "\xe2\x82\xac";
        f->currencyIsPrefix = false;
        f->thousandSeparator = ".";
        f->stripTrailingZeros = true;
        f->negativeStyle = Style::kNegativeParentheses;
        f->hasPlus = true;
        f->decimalPointCharacter = ",";
        f->percentSymbol = "%";
        f->percentIsPrefix = true;
        f->scientific = true;
        f->userInfo = "mine";
    }
    std::string const first = saveToText(original);

    FormatCommon loaded;
    loadFromText(loaded, first, fCube.get());
    EXPECT_EQ(saveToText(loaded), first);

    EXPECT_EQ(loaded.getName(), original.getName());
    EXPECT_EQ(loaded.getDimensions(), original.getDimensions());
    EXPECT_EQ(loaded.getDimensionNames(), original.getDimensionNames());
    EXPECT_EQ(loaded.getNameList(), original.getNameList());
    EXPECT_EQ(loaded.getStyle()->getFontSize().int64, 125000);
    EXPECT_EQ(loaded.getIndex(), -1);  // the loading viewpoint gives the id
    if (GetParam().expression) {
        ASSERT_NE(loaded.getExpression(), nullptr);
        EXPECT_EQ(loaded.getExpression()->getTextFromTree(),
                  original.getExpression()->getTextFromTree());
    } else {
        EXPECT_EQ(loaded.getExpression(), nullptr);
    }
    if (GetParam().numberFormat) {
        ASSERT_NE(loaded.getStyle()->getFormatObject(), nullptr);
        EXPECT_EQ(*loaded.getStyle()->getFormatObject(), *original.getStyle()->getFormatObject());
        EXPECT_EQ(loaded.getStyle()->getNumberFormat(), original.getStyle()->getNumberFormat());
    } else {
        EXPECT_EQ(loaded.getStyle()->getFormatObject(), nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatRoundTrip,
                         ::testing::Values(RoundTrip{"plain", false, false},
                                           RoundTrip{"expression", true, false},
                                           RoundTrip{"number_format", false, true},
                                           RoundTrip{"both", true, true}),
                         [](auto const& info) { return std::string(info.param.name); });

TEST_F(FormatCommonTest, LoadSkipsUnknownDimensionsAndIgnoresUnknownChildren) {
    FormatCommon format;
    loadFromText(format,
                 "<F><Vector UniqueName='DimVec'><Dimension UniqueName='[Time]'/>"
                 "<Dimension UniqueName='[Nowhere]'/><Dimension UniqueName='[Region]'/></Vector>"
                 "<Vector UniqueName='Elsewhere'><Anything/></Vector><Other/></F>",
                 fCube.get());
    EXPECT_EQ(format.getDimensions(), (std::vector<ZELT_o::Dimension*>{fTime, fRegion}));

    FormatCommon withoutCube;
    loadFromText(withoutCube,
                 "<F><Vector UniqueName='DimVec'><Dimension UniqueName='[Time]'/></Vector></F>",
                 nullptr);
    EXPECT_TRUE(withoutCube.getDimensions().empty());
}

TEST_F(FormatCommonTest, AbsentAttributesKeepTheirValues) {
    FormatCommon format;
    format.setName("kept");
    format.getStyle()->setFontFamily("Arial");
    loadFromText(format, "<F Bold='1' Size='nonsense'/>", fCube.get());
    EXPECT_EQ(format.getName(), PovaString("kept"));
    EXPECT_EQ(format.getStyle()->getFontFamily(), PovaString("Arial"));
    EXPECT_EQ(format.getStyle()->getBold(), Style::kVisibilityOn);
    EXPECT_EQ(format.getStyle()->getFontSize().int64, -10000);
    EXPECT_EQ(format.getStyle()->getFormatObject(), nullptr);

    // A size beyond any currency amount is not taken either.
    loadFromText(format, "<F Size='1e30'/>", fCube.get());
    EXPECT_EQ(format.getStyle()->getFontSize().int64, -10000);
}

TEST_F(FormatCommonTest, PartialNumberFormatKeepsTheOtherDefaults) {
    FormatCommon format;
    loadFromText(format,
                 "<F><NumberFormat FormatString='ignored' DecimalPlaces='2' HasPlus='true'"
                 " CurrencySymbol='$'/></F>",
                 fCube.get());
    NumberFormat const* f = format.getStyle()->getFormatObject();
    ASSERT_NE(f, nullptr);
    NumberFormat expected;
    expected.decimalPlaces = 2;
    expected.hasPlus = true;
    expected.currencySymbol = "$";
    EXPECT_EQ(*f, expected);
    EXPECT_EQ(format.getStyle()->getNumberFormat(), PovaString("$+####.00;$-####.00"));
}

TEST_F(FormatCommonTest, NumberFormatWithoutFields) {
    FormatCommon format;
    loadFromText(format, "<F><NumberFormat/></F>", fCube.get());
    ASSERT_NE(format.getStyle()->getFormatObject(), nullptr);
    EXPECT_EQ(*format.getStyle()->getFormatObject(), NumberFormat());

    FormatCommon emptyString;
    loadFromText(emptyString, "<F><NumberFormat FormatString=''/></F>", fCube.get());
    EXPECT_NE(emptyString.getStyle()->getFormatObject(), nullptr);

    // Only a format string: it would have to be parsed, which is not supported.
    EXPECT_EQ(loadFailure("<F><NumberFormat FormatString='#,###.00'/></F>"), E_NOTIMPL);
}

TEST_F(FormatCommonTest, LoadsTheConditionIntoAnExistingExpression) {
    FormatCommon saved;
    auto condition = makeCondition();
    saved.setExpression(condition.get());
    std::string const text = saveToText(saved);

    FormatCommon format;
    auto existing = support::adopt<Expression>(new ExpressionBase());
    format.setExpression(existing.get());
    loadFromText(format, text, fCube.get());
    EXPECT_EQ(format.getExpression(), existing.get());
    EXPECT_EQ(existing->getTextFromTree(), condition->getTextFromTree());
}

TEST_F(FormatCommonTest, MalformedXmlFails) {
    struct {
        char const* xml;
        HRESULT result;
    } const cases[] = {
        {"<F>text</F>", E_FAIL},
        {"<F><!-- a comment --></F>", E_FAIL},
        {"<F><Vector UniqueName='DimNames'>text</Vector></F>", E_FAIL},
        {"<F><Vector UniqueName='NameVec'><UniqueName SpecName='a'/><!--x--></Vector></F>", E_FAIL},
        {"<F><Vector UniqueName='ExpressionVector'>text</Vector></F>", E_FAIL},
        {"<F><Vector UniqueName='ExpressionVector'/></F>", E_UNEXPECTED},
        {"<F><Vector UniqueName='ExpressionVector'><Expression ExpressionType='141'/>"
         "<Expression ExpressionType='141'/></Vector></F>",
         E_UNEXPECTED},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(loadFailure(c.xml, fCube.get()), c.result) << c.xml;
    }

    FormatCommon format;
    NodeListIterator nothing;
    try {
        format.load(nothing, fCube.get());
        FAIL() << "no error";
    } catch (ResultError const& e) {
        EXPECT_EQ(e.result(), E_UNEXPECTED);
    }
}

}  // namespace
