#include "ExpressionTestCube.h"

namespace expression_test {

TestMember::TestMember(PovaString uniqueName)
    : ZELT_o::Member("TestMember", 0), fUniqueName(std::move(uniqueName)) {}

TestParameterValue::TestParameterValue() : ZELT_o::ParameterValue("TestParameterValue", 0) {}

support::Ref<TestParameterValue> TestParameterValue::string(PovaString text) {
    auto value = support::adopt(new TestParameterValue());
    value->fKind = kString;
    value->fText = std::move(text);
    return value;
}

support::Ref<TestParameterValue> TestParameterValue::integer(LONG number) {
    auto value = support::adopt(new TestParameterValue());
    value->fKind = kInteger;
    value->fInteger = number;
    return value;
}

support::Ref<TestParameterValue> TestParameterValue::real(double number) {
    auto value = support::adopt(new TestParameterValue());
    value->fKind = kDouble;
    value->fDouble = number;
    return value;
}

support::Ref<TestParameterValue> TestParameterValue::member(ZELT_o::Member* member) {
    auto value = support::adopt(new TestParameterValue());
    value->fKind = kMember;
    value->fMember = support::retain(member);
    return value;
}

support::Ref<TestParameterValue> TestParameterValue::memberSet() {
    auto value = support::adopt(new TestParameterValue());
    value->fKind = kMemberSet;
    return value;
}

void TestParameterValue::getValue(ZELT_o::Member** member) const {
    *member = support::retain(fMember.get()).detach();
}

TestParameter::TestParameter(PovaString uniqueName, LONG type)
    : ZELT_o::Parameter("TestParameter", 0), fUniqueName(std::move(uniqueName)), fType(type) {}

void TestParameter::getValue(ZELT_o::ParameterValue** value) const {
    *value = support::retain(fValue.get()).detach();
}

void TestParameter::getDefaultValue(ZELT_o::ParameterValue** value) const {
    *value = support::retain(fDefault.get()).detach();
}

TestCube::TestCube() : ZELT_o::Cube("TestCube", 0) {}

void TestCube::addName(PovaString const& name, LONG nameClass) {
    PovaString key = name;
    key.toUpper();
    fNames[key] = Entry{name, nameClass};
}

TestParameter* TestCube::addParameter(PovaString const& uniqueName, LONG type) {
    fParameters.push_back(support::adopt(new TestParameter(uniqueName, type)));
    return fParameters.back().get();
}

LONG TestCube::classifyName(PovaString& name) const {
    PovaString key = name;
    key.toUpper();
    auto const it = fNames.find(key);
    if (it == fNames.end()) {
        return 0;
    }
    name = it->second.canonical;
    return it->second.nameClass;
}

void TestCube::getParameters(std::vector<ZELT_o::Parameter*>& parameters) const {
    for (auto const& parameter : fParameters) {
        parameters.push_back(parameter.get());
    }
}

support::Ref<TestCube> makeSalesCube() {
    auto cube = support::adopt(new TestCube());
    cube->addName("[Time].[2024]", 1);
    cube->addName("[Time].[2023]", 1);
    cube->addName("[Product].[Bikes]", 1);
    cube->addName("[Product].[Bikes].[Road}Bikes]", 1);
    cube->addName("[Region].[North]", 1);
    cube->addName("[Time].[Year]", 2);
    cube->addName("[Time].[Month]", 2);
    cube->addName("[Product].[Category]", 2);
    cube->addName("[Time].[Calendar]", 3);
    cube->addName("[Product]", 4);
    cube->addName("[Time]", 4);
    cube->addName("[Region]", 4);
    cube->addName("[Measures].[Sales]", 5);
    cube->addName("[Measures].[Cost]", 5);
    cube->addName("[Measures].[Units]", 5);
    cube->addName("[Top Products]", 6);
    cube->addName("Sales", 5);
    cube->addName("Cost", 5);
    cube->addName("Bikes", 1);
    cube->addParameter("Year", 6)->setValue(TestParameterValue::integer(2024));
    cube->addParameter("Threshold", 6)->setValue(TestParameterValue::real(1.5));
    cube->addParameter("Region", 4)->setValue(TestParameterValue::string("[Region].[North]"));
    cube->addParameter("Products", 5)->setValue(TestParameterValue::memberSet());
    cube->addParameter("Label", 2)->setValue(TestParameterValue::string("Total"));
    return cube;
}

}  // namespace expression_test
