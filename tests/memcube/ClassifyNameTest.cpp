// Name classification for the expression lexer: the class and the canonical text.
#include "SmallCubes.h"

#include <pova/Calculation.h>
#include <pova/Dimension.h>
#include <pova/Hierarchy.h>
#include <pova/Parameter.h>

#include <gtest/gtest.h>

namespace {

struct Case {
    char const* text;
    LONG nameClass;
    char const* canonical;  // Null: the text is left as it was.
};

constexpr Case kCases[] = {
    // Members, by unique name or by name; the first in cube order wins.
    {"[Time].[2023].[Q1]", 1, "[Time].[2023].[Q1]"},
    {"[time].[2023].[q1]", 1, "[Time].[2023].[Q1]"},
    {"Q1", 1, "[Time].[2023].[Q1]"},
    {"[Q2]", 1, "[Time].[2023].[Q2]"},
    {"  Feb  ", 1, "[Time].[2023].[Q1].[Feb]"},
    {"[Time].[All Time]", 1, "[Time].[All Time]"},
    {"All Store", 1, "[Store].[All Store]"},
    // Levels.
    {"[Time].[Quarter]", 2, "[Time].[Quarter]"},
    {"Month", 2, "[Time].[Month]"},
    {"[Time].[(All)]", 2, "[Time].[(All)]"},
    // Dimensions (each hierarchy shares its dimension's name).
    {"[Time]", 4, "[Time]"},
    {"store", 4, "[Store]"},
    {"[Measures]", 4, "[Measures]"},
    // Measures.
    {"[Measures].[Amount]", 5, "[Measures].[Amount]"},
    {"amount", 5, "[Measures].[Amount]"},
    // Named sets.
    {"[Best Stores]", 6, "[Best Stores]"},
    {"best stores", 6, "[Best Stores]"},
    // Calculated members count as members, or as measures on Measures.
    {"[Time].[Growth]", 1, "[Time].[Growth]"},
    {"growth", 1, "[Time].[Growth]"},
    {"[Measures].[Share]", 5, "[Measures].[Share]"},
    // Unknown.
    {"[Time].[1999]", 0, nullptr},
    {"Nope", 0, nullptr},
    {"[Time].[2023", 0, nullptr},
    {"", 0, nullptr},
};

void addCalculation(memcube::MemCube& cube, char const* dimension, char const* name) {
    auto calculation = support::adopt(cube.createCalculation());
    calculation->setName(name);
    cube.findDimension(dimension)->getDefaultHierarchy()->addCalculation(calculation.get());
}

TEST(ClassifyName, EveryClassWithItsCanonicalText) {
    auto cube = memcube_test::makeCalendarCube();
    cube->addNamedSet("Best Stores");
    addCalculation(*cube, "Time", "Growth");
    addCalculation(*cube, "Measures", "Share");
    for (Case const& c : kCases) {
        PovaString name(c.text);
        EXPECT_EQ(cube->classifyName(name), c.nameClass) << c.text;
        EXPECT_EQ(name.string(), c.canonical != nullptr ? c.canonical : c.text) << c.text;
    }
}

TEST(ClassifyName, BracketsInsideNamesAreDoubled) {
    auto cube = memcube::CubeBuilder("Odd").dimension("D", {"a]b", "[x]"}).measures({"V"}).build();
    EXPECT_EQ(cube->findMember("a]b")->getUniqueName(), "[D].[a]]b]");
    PovaString name("[a]]b]");
    EXPECT_EQ(cube->classifyName(name), 1);
    EXPECT_EQ(name, "[D].[a]]b]");
    name = "[D].[[x]]]";
    EXPECT_EQ(cube->classifyName(name), 1);
    name = "[x]";
    EXPECT_EQ(cube->classifyName(name), 0) << "a single bracketed part means the name x";
}

// A parameter that counts the live instances of its class.
class CountedParameter : public ZELT_o::Parameter {
public:
    static inline int sLive = 0;
    explicit CountedParameter(char const* name)
        : ZELT_o::Parameter("CountedParameter", 0), fName(name) {
        ++sLive;
    }
    void getUniqueName(PovaString& name) const override { name = fName; }
    void getValue(ZELT_o::ParameterValue** value) const override { *value = nullptr; }
    void getDefaultValue(ZELT_o::ParameterValue** value) const override { *value = nullptr; }
    void getType(ParameterType* type) const override { *type = PT_MEMBER; }

private:
    ~CountedParameter() override { --sLive; }
    PovaString fName;
};

TEST(ClassifyName, ParametersAreTheOnesAttachedAndLiveAsLongAsTheCube) {
    auto cube = memcube_test::makeCalendarCube();
    std::vector<ZELT_o::Parameter*> parameters{nullptr};
    cube->getParameters(parameters);
    EXPECT_TRUE(parameters.empty());

    int const before = CountedParameter::sLive;
    auto first = support::adopt<ZELT_o::Parameter>(new CountedParameter("First"));
    auto second = support::adopt<ZELT_o::Parameter>(new CountedParameter("Second"));
    cube->addParameter(first.get());
    cube->addParameter(second.get());
    cube->addParameter(nullptr);
    cube->getParameters(parameters);
    EXPECT_EQ(parameters, (std::vector<ZELT_o::Parameter*>{first.get(), second.get()}));
    first.reset();
    second.reset();
    EXPECT_EQ(CountedParameter::sLive, before + 2) << "the cube holds them";
    cube.reset();
    EXPECT_EQ(CountedParameter::sLive, before);
}

}  // namespace
