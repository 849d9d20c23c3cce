// Small stand-ins for the provider objects the expression code talks to: a cube that
// classifies names from a table and offers parameters, and parameters, values and members
// that hold what a test gives them.
#pragma once

#include <basekit/PovaString.h>
#include <pova/Cube.h>
#include <pova/Member.h>
#include <pova/Parameter.h>
#include <pova/ParameterValue.h>
#include <pova/support/Ref.h>

#include <map>
#include <vector>

namespace expression_test {

class TestMember : public ZELT_o::Member {
public:
    explicit TestMember(PovaString uniqueName);

    PovaString getName() const override { return fUniqueName; }
    PovaString getUniqueName() const override { return fUniqueName; }
    PovaString getCaption() const override { return fUniqueName; }
    LONG getMemberType() const override { return kRegular; }
    ZELT_o::Hierarchy* getHierarchy() const override { return nullptr; }
    ZELT_o::Level* getLevel() const override { return nullptr; }
    ZELT_o::Member* getParent() const override { return nullptr; }
    void getChildren(std::vector<ZELT_o::Member*>& /*children*/) const override {}
    void addListener(Listener* /*listener*/) override {}
    void removeListener(Listener* /*listener*/) override {}
    void save(XmlSupport& /*xml*/, XmlNode /*element*/) const override {}
    ZELT_o::Dimension* getDimension() const override { return nullptr; }

private:
    PovaString fUniqueName;
};

class TestParameterValue : public ZELT_o::ParameterValue {
public:
    static support::Ref<TestParameterValue> string(PovaString text);
    static support::Ref<TestParameterValue> integer(LONG number);
    static support::Ref<TestParameterValue> real(double number);
    static support::Ref<TestParameterValue> member(ZELT_o::Member* member);
    static support::Ref<TestParameterValue> memberSet();

    ParamValueType getValueType() const override { return fKind; }
    void getValue(PovaString& value) const override { value = fText; }
    void getValue(LONG& value) const override { value = fInteger; }
    void getValue(double& value) const override { value = fDouble; }
    void getValue(ZELT_o::Member** member) const override;

private:
    TestParameterValue();

    ParamValueType fKind = kNone;
    PovaString fText;
    LONG fInteger = 0;
    double fDouble = 0;
    support::Ref<ZELT_o::Member> fMember;
};

class TestParameter : public ZELT_o::Parameter {
public:
    TestParameter(PovaString uniqueName, LONG type);

    void setValue(support::Ref<ZELT_o::ParameterValue> value) { fValue = std::move(value); }
    void setDefaultValue(support::Ref<ZELT_o::ParameterValue> value) {
        fDefault = std::move(value);
    }

    void getUniqueName(PovaString& name) const override { name = fUniqueName; }
    void getValue(ZELT_o::ParameterValue** value) const override;
    void getDefaultValue(ZELT_o::ParameterValue** value) const override;
    void getType(ParameterType* type) const override { *type = static_cast<ParameterType>(fType); }

private:
    PovaString fUniqueName;
    LONG fType;
    support::Ref<ZELT_o::ParameterValue> fValue;
    support::Ref<ZELT_o::ParameterValue> fDefault;
};

// A cube that classifies the names of its table (case-insensitively, giving the canonical
// spelling of the table) and offers the parameters it holds.
class TestCube : public ZELT_o::Cube {
public:
    TestCube();

    // Name classes: 1 member, 2 level, 3 hierarchy, 4 dimension, 5 measure, 6 set.
    void addName(PovaString const& name, LONG nameClass);
    // Adds a parameter of that type (and holds it); returns it.
    TestParameter* addParameter(PovaString const& uniqueName, LONG type);

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
    ZELT_o::Dimension* findDimension(PovaString const& /*uniqueName*/) const override {
        return nullptr;
    }
    ZELT_o::Document* getDocument() const override { return nullptr; }
    bool getDefaultExcludeEmpty() const override { return false; }
    LONG classifyName(PovaString& name) const override;
    void getParameters(std::vector<ZELT_o::Parameter*>& parameters) const override;
    bool hasCalculations() const override { return false; }
    ZELT_o::Calculation* createCalculation() override { return nullptr; }
    ZELT_o::Calculation* findCalculation(PovaString const& /*uniqueName*/) const override {
        return nullptr;
    }
    void saveCalculations(XmlSupport& /*xml*/, XmlNode /*element*/) const override {}

private:
    struct Entry {
        PovaString canonical;
        LONG nameClass;
    };
    // Keyed by the upper-case name.
    std::map<PovaString, Entry> fNames;
    std::vector<support::Ref<TestParameter>> fParameters;
};

// A cube that also knows every bracketed name by its shape: "[Measures].[x]" is a measure,
// a name ending in a level of Time, Product or Region ("[Year]", "[Quarter]", "[Month]",
// "[Category]", "[Country]") a level, "[Named Set ...]" a set, "[x].[Hierarchy]" a
// hierarchy, "[x]" a dimension, and any other dotted bracketed name a member.
class ShapeCube : public TestCube {
public:
    LONG classifyName(PovaString& name) const override;
};

// The cube most tests use: a few names of every class and one parameter of each type that can
// stand in an expression.
support::Ref<TestCube> makeSalesCube();
// The same with a ShapeCube.
support::Ref<TestCube> makeShapeCube();

}  // namespace expression_test
