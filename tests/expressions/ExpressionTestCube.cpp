#include "ExpressionTestCube.h"

#include <cstdlib>
#include <regex>
#include <string>

namespace expression_test {

support::Ref<ZELT_o::ParameterValue> TestParameterValue::make(ParamValueType kind, PovaString text,
                                                              ZELT_o::Member* member) {
    auto value = support::adopt(new TestParameterValue());
    value->fKind = kind;
    bool const number = kind == kInteger || kind == kDouble;
    value->fText = kind == kString ? text : PovaString();
    value->fNumber = number ? std::atof(text.string().c_str()) : 0;
    value->fMember = support::retain(kind == kMember ? member : nullptr);
    return value;
}

void TestParameterValue::getValue(ZELT_o::Member** member) const {
    *member = support::retain(fMember.get()).detach();
}

void TestParameter::getValue(ZELT_o::ParameterValue** value) const {
    *value = support::retain(fValue.get()).detach();
}

void TestParameter::getDefaultValue(ZELT_o::ParameterValue** value) const {
    *value = support::retain(fDefault.get()).detach();
}

void TestCube::addName(PovaString const& name, LONG nameClass) {
    PovaString key = name;
    fNames[key.toUpper()] = {name, nameClass};
}

TestParameter* TestCube::addParameter(PovaString const& uniqueName, LONG type,
                                      support::Ref<ZELT_o::ParameterValue> value) {
    fParameters.push_back(support::adopt(new TestParameter(uniqueName, type)));
    fParameters.back()->fValue = std::move(value);
    return fParameters.back().get();
}

LONG TestCube::classifyName(PovaString& name) const {
    PovaString key = name;
    if (auto const it = fNames.find(key.toUpper()); it != fNames.end()) {
        name = it->second.first;
        return it->second.second;
    }
    // Only bracketed names, "[a]" or "[a].[b]...", are names of this cube.
    static std::regex const bracketed(R"(\[[^\]]*\](\.\[[^\]]*\])*)");
    static std::regex const level(R"(.*\.\[(Year|Quarter|Month|Category|Country)\])");
    std::string const text = name.string();
    if (!std::regex_match(text, bracketed)) {
        return 0;
    }
    if (text.find("].[") == std::string::npos) {
        return text.rfind("[Named Set", 0) == 0 ? 6 : 4;
    }
    if (text.rfind("[Measures].", 0) == 0) {
        return 5;
    }
    if (std::regex_match(text, level)) {
        return 2;
    }
    return text.ends_with(".[Hierarchy]") ? 3 : 1;
}

void TestCube::getParameters(std::vector<ZELT_o::Parameter*>& parameters) const {
    for (auto const& parameter : fParameters) {
        parameters.push_back(parameter.get());
    }
}

support::Ref<TestCube> makeSalesCube() {
    using Value = TestParameterValue;
    auto cube = support::adopt(new TestCube());
    for (char const* member : {"[Time].[2024]", "[Product].[Bikes].[Road}Bikes]", "Bikes"}) {
        cube->addName(member, 1);
    }
    cube->addName("[Time].[Calendar]", 3);
    cube->addName("[Top Products]", 6);
    cube->addName("Sales", 5);
    cube->addParameter("Year", 6, Value::make(Value::kInteger, "2024"));
    cube->addParameter("Threshold", 6, Value::make(Value::kDouble, "1.5"));
    cube->addParameter("Region", 4, Value::make(Value::kString, "[Region].[North]"));
    cube->addParameter("Products", 5, Value::make(Value::kMemberSet));
    cube->addParameter("Label", 2, Value::make(Value::kString, "Total"));
    cube->addParameter("Member11", 11);
    cube->addParameter("Text3", 3);
    cube->addParameter("Flag", 0);
    cube->addParameter("Interval", 7);
    cube->addParameter("a>b", 6);
    return cube;
}

}  // namespace expression_test
