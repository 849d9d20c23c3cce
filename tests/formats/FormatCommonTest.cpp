#include <basekit/BaseError.h>
#include <basekit/NodeListIterator.h>
#include <basekit/XmlSupport.h>
#include <pova/Cube.h>
#include <pova/Dimension.h>
#include <pova/common/ExpressionBase.h>
#include <pova/common/FormatCommon.h>
#include <pova/support/Ref.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using common::ExpressionBase;
using common::FormatCommon;
using ZELT_o::Expression;
using ZELT_o::Style;
using NumberFormat = ZELT_o::Style::NumberFormat;

// Number formats name only the fields they change; the rest keep their defaults.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif

namespace {

// A dimension that accepts one name; everything else answers trivially.
class TestDimension : public ZELT_o::Dimension {
public:
    TestDimension(PovaString uniqueName, PovaString accepted)
        : ZELT_o::Dimension("TestDimension", 0),
          fUniqueName(std::move(uniqueName)),
          fAccepted(std::move(accepted)) {}

    PovaString getName() const override { return fUniqueName; }
    PovaString getUniqueName() const override { return fUniqueName; }
    PovaString getCaption() const override { return fUniqueName; }
    ZELT_o::Cube* getCube() const override { return nullptr; }
    LONG getOrdinal() const override { return 0; }
    bool isMeasures() const override { return false; }
    void getHierarchies(std::vector<ZELT_o::Hierarchy*>&) const override {}
    ZELT_o::Hierarchy* getDefaultHierarchy() const override { return nullptr; }
    ZELT_o::Hierarchy* findHierarchy(PovaString const&) const override { return nullptr; }
    bool acceptsName(PovaString const& name) const override { return name == fAccepted; }

private:
    PovaString fUniqueName;
    PovaString fAccepted;
};

// A cube that finds its dimensions by unique name; everything else answers trivially.
class TestCube : public ZELT_o::Cube {
public:
    TestCube() : ZELT_o::Cube("TestCube", 0) {}

    ZELT_o::Dimension* addDimension(PovaString uniqueName, PovaString accepted) {
        fDimensions.push_back(support::adopt(new TestDimension(uniqueName, accepted)));
        return fDimensions.back().get();
    }

    PovaString getName() const override { return "TestCube"; }
    PovaString getUniqueName() const override { return "[TestCube]"; }
    PovaString getCaption() const override { return "TestCube"; }
    void favoritesChanged() override {}
    PovaString getProviderName() const override { return "test"; }
    void registerViewpoint(ZELT_o::Viewpoint*) override {}
    void unregisterViewpoint(ZELT_o::Viewpoint*) override {}
    bool addCubeListener(Listener*) override { return false; }
    void removeCubeListener(Listener*) override {}
    void addListener(ZELT_o::CubeListener*) override {}
    void removeListener(ZELT_o::CubeListener*) override {}
    LONG countDimensions() const override { return 0; }
    ZELT_o::Dimension* getDimension(LONG) const override { return nullptr; }
    void getDimensions(std::vector<ZELT_o::Dimension*>&) const override {}
    ZELT_o::Dimension* findDimension(PovaString const& uniqueName) const override {
        auto const it = std::find_if(fDimensions.begin(), fDimensions.end(), [&](auto const& d) {
            return d->getUniqueName() == uniqueName;
        });
        return it == fDimensions.end() ? nullptr : it->get();
    }
    ZELT_o::Document* getDocument() const override { return nullptr; }
    bool getDefaultExcludeEmpty() const override { return false; }
    LONG classifyName(PovaString&) const override { return 0; }
    void getParameters(std::vector<ZELT_o::Parameter*>&) const override {}
    bool hasCalculations() const override { return false; }
    ZELT_o::Calculation* createCalculation() override { return nullptr; }
    ZELT_o::Calculation* findCalculation(PovaString const&) const override { return nullptr; }
    void saveCalculations(XmlSupport&, XmlNode) const override {}

private:
    std::vector<support::Ref<TestDimension>> fDimensions;
};

std::string saveToText(FormatCommon const& format) {
    XmlSupport xml;
    xml.createDocument();
    format.save(xml, 3, xml.createElement("FormatSpecification"));
    std::string text = xml.xml().string();
    text.pop_back();  // the line feed
    return text;
}

void loadFromText(FormatCommon& format, std::string const& text, ZELT_o::Cube* cube) {
    XmlSupport xml;
    ASSERT_TRUE(xml.readXml(PovaString(text))) << text;
    NodeListIterator iterator({xml.documentElement()});
    format.load(iterator, cube);
}

// The result code `run` throws, or S_OK.
HRESULT resultOf(std::function<void()> const& run) {
    try {
        run();
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
        fTime = fCube->addDimension("[Time]", "[Time].[2008]");
        fRegion = fCube->addDimension("[Region]", "[Region].[North]");
    }

    // A format with every field that is saved away from its default.
    void fill(FormatCommon& format) {
        format.setName("Highlight");
        format.setUserInfo("shown in red");
        format.getDimensions() = {fTime, fRegion};
        format.getDimensionNames() = {"[Time]", "[Region]"};
        format.getNameList() = {"[Time].[2008]", "[Region].[North]"};
        format.setExpression(makeCondition().get());
        Style* style = format.getStyle();
        style->setFGColour(0x0000FF);
        style->setBGColour(0xFFFFFF);
        style->setFontFamily("Courier New");
        style->setFontSize(CY{125000});
        style->setItalic(Style::kVisibilityOn);
        style->setBold(Style::kVisibilityOff);
        style->setStrikeThrough(Style::kVisibilityOn);
        style->setUnderline(Style::kUnderlineSingle);
        // Every field away from its default, in declaration order.
        *style->createFormatObject(nullptr) = {
            2, 5, 3, "\xe2\x82\xac", false, ".", true, 1, true, ",", "%", true, true, "mine"};
    }

    support::Ref<TestCube> fCube;
    ZELT_o::Dimension* fTime = nullptr;
    ZELT_o::Dimension* fRegion = nullptr;
};

TEST_F(FormatCommonTest, DefaultsAndReferences) {
    auto condition = makeCondition();
    support::Ref<Style> style;
    {
        FormatCommon format;
        EXPECT_FALSE(format.getInUse());
        EXPECT_EQ(format.getParentIndex(), -1);
        EXPECT_EQ(format.getExpression(), nullptr);
        EXPECT_EQ(format.getStyle()->getParent(), &format);
        format.setExpression(condition.get());
        format.setExpression(nullptr);
        EXPECT_EQ(condition->getRefCount(), 1);
        format.setExpression(condition.get());
        format.setExpression(condition.get());
        EXPECT_EQ(condition->getRefCount(), 2);
        style = support::retain(format.getStyle());
    }
    EXPECT_EQ(condition->getRefCount(), 1);
    EXPECT_EQ(style->getRefCount(), 1);
}

TEST_F(FormatCommonTest, CopyAndCloneCopyEveryField) {
    FormatCommon original;
    fill(original);
    original.setInUse(true);
    original.setIndex(6);
    original.setParentIndex(2);
    original.getChildCommands() = {9};
    original.getExpression()->SetParent(&original);
    auto check = [&](FormatCommon const& copy) {
        // Saved, they are the same format: every field the XML holds is copied.
        EXPECT_EQ(saveToText(copy), saveToText(original));
        EXPECT_TRUE(copy.getInUse());
        EXPECT_EQ(copy.getIndex(), 6);
        EXPECT_EQ(copy.getParentIndex(), 2);
        EXPECT_EQ(copy.getChildCommands(), std::vector<LONG>{9});
        // A style and an expression of its own; the style belongs to the copy.
        EXPECT_NE(copy.getStyle(), original.getStyle());
        EXPECT_EQ(copy.getStyle()->getParent(), &copy);
        EXPECT_NE(copy.getStyle()->getFormatObject(), original.getStyle()->getFormatObject());
        EXPECT_NE(copy.getExpression(), original.getExpression());
        EXPECT_EQ(copy.getExpression()->GetParent(), &copy);
        EXPECT_TRUE(copy.getDimensions() == original.getDimensions() &&
                    copy.getDimensionNames() == original.getDimensionNames() &&
                    copy.getNameList() == original.getNameList() &&
                    copy.getUserInfo() == original.getUserInfo());
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
    EXPECT_EQ(original.getExpression()->getRefCount(), 1);
    FormatCommon& self = assigned;
    assigned = self;
    check(assigned);
}

TEST_F(FormatCommonTest, ValidateAsksEachDimensionForItsName) {
    FormatCommon format;
    EXPECT_TRUE(format.validate());
    format.getDimensions() = {fTime, fRegion};
    format.getNameList() = {"[Time].[2008]", "[Region].[North]"};
    EXPECT_TRUE(format.validate());
    format.getNameList()[1] = "[Region].[South]";
    EXPECT_FALSE(format.validate());
    // Position matters: each name goes to the dimension at its position.
    format.getNameList() = {"[Region].[North]", "[Time].[2008]"};
    EXPECT_FALSE(format.validate());
}

TEST_F(FormatCommonTest, SavesAttributesVectorsAndTheNumberFormat) {
    // Unset colours and size are written as -1; without names only the dimension vectors.
    FormatCommon format;
    EXPECT_EQ(saveToText(format),
              R"(<FormatSpecification Index="3" AttrName="" BGColor="-1" FGColor="-1" )"
              R"(FontFamily="None" Size="-1" Italic="-1" Bold="-1" StrikeThru="-1" Underline="1" )"
              R"(UserInfo=""><Vector UniqueName="DimVec"/><Vector UniqueName="DimNames"/>)"
              R"(</FormatSpecification>)");
    fill(format);
    auto const condition = support::retain(format.getExpression());
    format.setExpression(nullptr);
    format.getStyle()->setNumberFormat("stale");
    EXPECT_EQ(
        saveToText(format),
        R"(<FormatSpecification Index="3" AttrName="Highlight" BGColor="16777215" FGColor="255" )"
        R"(FontFamily="Courier New" Size="12.5" Italic="1" Bold="0" StrikeThru="1" )"
        R"(Underline="2" UserInfo="shown in red"><Vector UniqueName="DimVec">)"
        R"(<Dimension UniqueName="[Time]"/><Dimension UniqueName="[Region]"/></Vector>)"
        R"(<Vector UniqueName="DimNames"><Dimension UniqueName="[Time]"/>)"
        R"(<Dimension UniqueName="[Region]"/></Vector><Vector UniqueName="NameVec">)"
        R"(<UniqueName SpecName="[Time].[2008]"/><UniqueName SpecName="[Region].[North]"/>)"
        R"(</Vector><NumberFormat FormatString="%+#,###.###,,E+000)"
        "\xe2\x82\xac;%(#,###.###,,E+000)\xe2\x82\xac"
        R"(" NumberFormatType="2" ScaleFactor="5" DecimalPlaces="3" CurrencySymbol=")"
        "\xe2\x82\xac"
        R"(" CurrencyIsPrefix="false" ThousandSeparator="." StripTrailingZeros="true" )"
        R"(NegativeStyle="1" HasPlus="true" DecimalPointCharacter="," PercentSymbol="%" )"
        R"(PercentIsPrefix="true" Scientific="true" UserInfo="mine"/></FormatSpecification>)");
    // Saving rebuilt the style's string.
    EXPECT_EQ(format.getStyle()->getNumberFormat().string(),
              "%+#,###.###,,E+000\xe2\x82\xac;%(#,###.###,,E+000)\xe2\x82\xac");
    // The condition comes first, saving itself as the one child of its vector.
    format.setExpression(condition.get());
    EXPECT_NE(saveToText(format).find(R"(UserInfo="shown in red"><Vector )"
                                      R"(UniqueName="ExpressionVector"><Expression Index="0" )"),
              std::string::npos);
}

// Save, load, save again gives the same XML. The XML holds every field that loading sets, so
// the same text means the same format.
TEST_F(FormatCommonTest, SaveLoadSaveGivesTheSameXml) {
    FormatCommon everything;
    fill(everything);
    FormatCommon const plain;
    for (int round = 0; round < 3; ++round) {
        std::string const first = saveToText(round < 2 ? everything : plain);
        // A condition loads into the expression the format has, or into a new one.
        FormatCommon loaded;
        auto existing = support::adopt<Expression>(new ExpressionBase());
        loaded.setExpression(round == 0 ? existing.get() : nullptr);
        loadFromText(loaded, first, fCube.get());
        EXPECT_EQ(saveToText(loaded), first);
        EXPECT_EQ(loaded.getIndex(), -1);  // the loading viewpoint gives the id
        EXPECT_EQ(loaded.getExpression() != nullptr, round < 2);
        EXPECT_EQ(loaded.getExpression() == existing.get(), round == 0);
        EXPECT_EQ(loaded.getStyle()->getFormatObject() != nullptr, round < 2);
    }
}

TEST_F(FormatCommonTest, LoadKeepsWhatIsAbsentAndSkipsWhatIsUnknown) {
    FormatCommon format;
    format.setName("kept");
    format.getStyle()->setFontFamily("Arial");
    // A number format with some fields: the others keep their defaults, and the string is
    // rebuilt from the fields, not read.
    loadFromText(format,
                 "<F Bold='1' Size='nonsense'><Vector UniqueName='DimVec'>"
                 "<Dimension UniqueName='[Time]'/><Dimension UniqueName='[Nowhere]'/>"
                 "<Dimension UniqueName='[Region]'/></Vector><Vector UniqueName='Elsewhere'>"
                 "<Anything/></Vector><Other/><NumberFormat FormatString='ignored' "
                 "DecimalPlaces='2' HasPlus='true' CurrencySymbol='$'/></F>",
                 fCube.get());
    EXPECT_EQ(format.getName(), PovaString("kept"));
    EXPECT_EQ(format.getStyle()->getFontFamily(), PovaString("Arial"));
    EXPECT_EQ(format.getStyle()->getBold(), Style::kVisibilityOn);
    EXPECT_EQ(format.getStyle()->getFontSize().int64, -10000);
    EXPECT_EQ(format.getDimensions(), (std::vector<ZELT_o::Dimension*>{fTime, fRegion}));
    ASSERT_NE(format.getStyle()->getFormatObject(), nullptr);
    EXPECT_EQ(*format.getStyle()->getFormatObject(),
              (NumberFormat{.decimalPlaces = 2, .currencySymbol = "$", .hasPlus = true}));
    EXPECT_EQ(format.getStyle()->getNumberFormat(), PovaString("$+####.00;$-####.00"));

    // A size beyond any currency amount is not taken either; without a cube no dimension is;
    // a number format element without fields (or with an empty string) has the defaults.
    for (char const* xml : {"<F Size='1e30'><Vector UniqueName='DimVec'><Dimension "
                            "UniqueName='[Time]'/></Vector><NumberFormat/></F>",
                            "<F><NumberFormat FormatString=''/></F>"}) {
        FormatCommon other;
        loadFromText(other, xml, nullptr);
        EXPECT_EQ(other.getStyle()->getFontSize().int64, -10000);
        EXPECT_TRUE(other.getDimensions().empty());
        ASSERT_NE(other.getStyle()->getFormatObject(), nullptr);
        EXPECT_EQ(*other.getStyle()->getFormatObject(), NumberFormat());
    }
}

TEST_F(FormatCommonTest, MalformedXmlFails) {
    struct {
        char const* xml;
        HRESULT result;
    } const cases[] = {
        // Only a format string: it would have to be parsed, which is not supported.
        {"<F><NumberFormat FormatString='#,###.00'/></F>", E_NOTIMPL},
        {"<F>text</F>", E_FAIL},
        {"<F><Vector UniqueName='DimNames'>text</Vector></F>", E_FAIL},
        {"<F><Vector UniqueName='NameVec'><UniqueName SpecName='a'/><!--x--></Vector></F>", E_FAIL},
        {"<F><Vector UniqueName='ExpressionVector'>text</Vector></F>", E_FAIL},
        {"<F><Vector UniqueName='ExpressionVector'/></F>", E_UNEXPECTED},
        {"<F><Vector UniqueName='ExpressionVector'><Expression ExpressionType='141'/>"
         "<Expression ExpressionType='141'/></Vector></F>",
         E_UNEXPECTED},
    };
    for (auto const& c : cases) {
        FormatCommon format;
        EXPECT_EQ(resultOf([&] { loadFromText(format, c.xml, fCube.get()); }), c.result) << c.xml;
    }
    FormatCommon format;
    NodeListIterator nothing;
    EXPECT_EQ(resultOf([&] { format.load(nothing, fCube.get()); }), E_UNEXPECTED);
}

}  // namespace
