#include "ExpressionTestCube.h"

#include <cstdlib>
#include <regex>
#include <string>

namespace expression_test {

support::Ref<ZELT_o::ParameterValue> TestParameterValue::make(ParamValueType kind, PovaString text,
                                                              ZELT_o::Member* member) {
    auto value = support::adopt(new TestParameterValue());
    value->fKind = kind;
    value->fText = kind == kString ? text : PovaString();
    value->fNumber = kind == kInteger || kind == kDouble ? std::atof(text.string().c_str()) : 0;
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
    // Bracketed names, "[a]" or "[a].[b]...", by their shape: the first that matches.
    static std::pair<std::regex, LONG> const shapes[] = {
        {std::regex(R"(\[Named Set[^\]]*\])"), 6},
        {std::regex(R"(\[[^\]]*\])"), 4},
        {std::regex(R"(\[Measures\](\.\[[^\]]*\])+)"), 5},
        {std::regex(R"((\[[^\]]*\]\.)+\[(Year|Quarter|Month|Category|Country)\])"), 2},
        {std::regex(R"((\[[^\]]*\]\.)+\[Hierarchy\])"), 3},
        {std::regex(R"(\[[^\]]*\](\.\[[^\]]*\])+)"), 1}};
    for (auto const& [pattern, nameClass] : shapes) {
        if (std::regex_match(name.string(), pattern)) {
            return nameClass;
        }
    }
    return 0;
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
