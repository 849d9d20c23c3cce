#include "ExpressionTestCube.h"

#include <string>

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

LONG ShapeCube::classifyName(PovaString& name) const {
    if (LONG const known = TestCube::classifyName(name); known != 0) {
        return known;
    }
    std::string const text = name.string();
    auto const bracketed = [](std::string const& part) {
        return part.size() >= 2 && part.front() == '[' && part.back() == ']';
    };
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t const close = text.find("].", start);
        std::size_t const end = close == std::string::npos ? text.size() : close + 1;
        parts.push_back(text.substr(start, end - start));
        if (close == std::string::npos) {
            break;
        }
        start = close + 2;
    }
    for (std::string const& part : parts) {
        if (!bracketed(part)) {
            return 0;
        }
    }
    std::string const& last = parts.back();
    if (parts.size() >= 2 && parts.front() == "[Measures]") {
        return 5;
    }
    if (parts.size() == 1) {
        return last.rfind("[Named Set", 0) == 0 ? 6 : 4;
    }
    for (char const* level : {"[Year]", "[Quarter]", "[Month]", "[Category]", "[Country]"}) {
        if (last == level) {
            return 2;
        }
    }
    return last == "[Hierarchy]" ? 3 : 1;
}

namespace {

void add_sales_content(TestCube* cube) {
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
}

}  // namespace

support::Ref<TestCube> makeSalesCube() {
    auto cube = support::adopt(new TestCube());
    add_sales_content(cube.get());
    return cube;
}

support::Ref<TestCube> makeShapeCube() {
    support::Ref<TestCube> cube = support::adopt<TestCube>(new ShapeCube());
    add_sales_content(cube.get());
    return cube;
}

}  // namespace expression_test
