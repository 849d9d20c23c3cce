#include "ExpressionTestCube.h"

#include <regex>
#include <string>

namespace expression_test {

void TestParameterValue::getValue(ZELT_o::Member** member) const {
    *member = support::retain(fMember.get()).detach();
}

void TestParameter::getValue(ZELT_o::ParameterValue** value) const {
    *value = support::retain(fValue.get()).detach();
}

void TestParameter::getDefaultValue(ZELT_o::ParameterValue** value) const {
    *value = support::retain(fDefault.get()).detach();
}

TestParameter* TestCube::addParameter(PovaString const& uniqueName, LONG type,
                                      support::Ref<ZELT_o::ParameterValue> value) {
    fParameters.push_back(support::adopt(new TestParameter(uniqueName, type)));
    fParameters.back()->fValue = std::move(value);
    return fParameters.back().get();
}

LONG TestCube::classifyName(PovaString& name) const {
    static std::pair<char const*, LONG> const known[] = {
        {"[Time].[2024]", 1},  {"[Product].[Bikes].[Road}Bikes]", 1},
        {"Bikes", 1},          {"[Time].[Calendar]", 3},
        {"[Top Products]", 6}, {"Sales", 5}};
    for (auto const& [spelling, nameClass] : known) {
        if (name.strcmp(spelling, true) == 0) {
            name = spelling;
            return nameClass;
        }
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
