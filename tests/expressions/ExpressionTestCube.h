// Small stand-ins for the provider objects the expression code talks to: a cube that
// classifies names and offers parameters, and parameters and values that hold what a test
// gives them.
#pragma once

#include <basekit/PovaString.h>
#include <pova/Cube.h>
#include <pova/Member.h>
#include <pova/Parameter.h>
#include <pova/ParameterValue.h>
#include <pova/support/Ref.h>

#include <cstdlib>
#include <vector>

namespace expression_test {

// A value of `kind` that `text` gives: a string holds the text, a number (as integer and
// double) the number it spells, a member `member`.
class TestParameterValue : public ZELT_o::ParameterValue {
public:
    static support::Ref<ZELT_o::ParameterValue> make(ParamValueType kind, PovaString text = {},
                                                     ZELT_o::Member* member = nullptr) {
        return support::adopt(new TestParameterValue(kind, text, member));
    }

    ParamValueType getValueType() const override { return fKind; }
    void getValue(PovaString& value) const override { value = fText; }
    void getValue(LONG& value) const override { value = static_cast<LONG>(fNumber); }
    void getValue(double& value) const override { value = fNumber; }
    void getValue(ZELT_o::Member** member) const override;

private:
    TestParameterValue(ParamValueType kind, PovaString const& text, ZELT_o::Member* member)
        : ZELT_o::ParameterValue("TestParameterValue", 0),
          fKind(kind),
          fText(kind == kString ? text : PovaString()),
          fNumber(kind == kInteger || kind == kDouble ? std::atof(text.string().c_str()) : 0),
          fMember(support::retain(kind == kMember ? member : nullptr)) {}

    ParamValueType fKind;
    PovaString fText;
    double fNumber;
    support::Ref<ZELT_o::Member> fMember;
};

class TestParameter : public ZELT_o::Parameter {
public:
    TestParameter(PovaString uniqueName, LONG type)
        : ZELT_o::Parameter("TestParameter", 0), fUniqueName(std::move(uniqueName)), fType(type) {}

    support::Ref<ZELT_o::ParameterValue> fValue;
    support::Ref<ZELT_o::ParameterValue> fDefault;

    void getUniqueName(PovaString& name) const override { name = fUniqueName; }
    void getValue(ZELT_o::ParameterValue** value) const override;
    void getDefaultValue(ZELT_o::ParameterValue** value) const override;
    void getType(ParameterType* type) const override { *type = static_cast<ParameterType>(fType); }

private:
    PovaString fUniqueName;
    LONG fType;
};

// A cube that knows a few names of a sales cube (in any case, giving their own spelling) and
// classifies any other bracketed name by its shape ("[Measures].[x]" a measure, "[x].[Year]" a
// level and so on), in the classes 1 member, 2 level, 3 hierarchy, 4 dimension, 5 measure and
// 6 set. It offers the parameters it holds.
class TestCube : public ZELT_o::Cube {
public:
    TestCube() : ZELT_o::Cube("TestCube", 0) {}

    // Adds a parameter of that type holding `value` (and holds it); returns it.
    TestParameter* addParameter(PovaString const& uniqueName, LONG type,
                                support::Ref<ZELT_o::ParameterValue> value = nullptr);

    PovaString getName() const override { return "TestCube"; }
    PovaString getUniqueName() const override { return "[TestCube]"; }
    PovaString getCaption() const override { return "TestCube"; }
    void favoritesChanged() override {}
    PovaString getProviderName() const override { return "test"; }
    void registerViewpoint(ZELT_o::Viewpoint* /*viewpoint*/) override {}
    void unregisterViewpoint(ZELT_o::Viewpoint* /*viewpoint*/) override {}
    bool addCubeListener(Listener* /*listener*/) override { return false; }
    void removeCubeListener(Listener* /*listener*/) override {}
    void addListener(ZELT_o::CubeListener* /*listener*/) override {}
    void removeListener(ZELT_o::CubeListener* /*listener*/) override {}
    LONG countDimensions() const override { return 0; }
    ZELT_o::Dimension* getDimension(LONG /*ordinal*/) const override { return nullptr; }
    void getDimensions(std::vector<ZELT_o::Dimension*>& /*dimensions*/) const override {}
    ZELT_o::Dimension* findDimension(PovaString const& /*name*/) const override { return nullptr; }
    ZELT_o::Document* getDocument() const override { return nullptr; }
    bool getDefaultExcludeEmpty() const override { return false; }
    LONG classifyName(PovaString& name) const override;
    void getParameters(std::vector<ZELT_o::Parameter*>& parameters) const override;
    bool hasCalculations() const override { return false; }
    ZELT_o::Calculation* createCalculation() override { return nullptr; }
    ZELT_o::Calculation* findCalculation(PovaString const& /*name*/) const override {
        return nullptr;
    }
    void saveCalculations(XmlSupport& /*xml*/, XmlNode /*element*/) const override {}

private:
    std::vector<support::Ref<TestParameter>> fParameters;
};

// The cube most tests use: parameters of every type.
support::Ref<TestCube> makeSalesCube();

}  // namespace expression_test
