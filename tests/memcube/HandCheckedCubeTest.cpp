// Cubes built by hand: the builder's mistakes and shapes, and results checked by hand.
#include "ResultReader.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

using namespace memcube_test;
using memcube::CubeBuilder;
using Mistakes = std::vector<std::pair<char const*, std::function<void(CubeBuilder&)>>>;

// T: Year > Month, 2023 > Jan and 2024 > Jan; one measure.
CubeBuilder& withT(CubeBuilder& b) {
    return b.hierarchy("T", {"Year", "Month"}, {{"2023", "Jan"}, {"2024", "Jan"}}).measures({"V"});
}

TEST(CubeBuilder, MistakesAreReportedAsInvalidArguments) {
    // clang-format off
    Mistakes const mistakes = {
        {"no measures", [](auto& b) { b.measures({}); }},
        {"two measures of one name", [](auto& b) { b.measures({"V", "v"}); }},
        {"a path longer than the levels", [](auto& b) { b.hierarchy("T", {"Y"}, {{"1", "2"}}); }},
        {"an empty path", [](auto& b) { b.hierarchy("T", {"Y"}, {{}}); }},
        {"members without levels", [](auto& b) { b.hierarchy("T", {}, {{"1"}}); }},
        {"a fact before the measures", [](auto& b) { b.dimension("A", {"a"}).fact({"a"}, {}); }},
        {"a build without measures", [](auto& b) { b.dimension("A", {"a"}).build(); }},
        {"two dimensions of one name", [](auto& b) { withT(b).dimension("t", {"x"}); }},
        {"a dimension named Measures", [](auto& b) { withT(b).dimension("Measures", {"x"}); }},
        {"measures twice", [](auto& b) { withT(b).measures({"W"}); }},
        {"too few members", [](auto& b) { withT(b).fact({}, {1}); }},
        {"too many values", [](auto& b) { withT(b).fact({"[T].[2023].[Jan]"}, {1, 2}); }},
        {"a dimension after a fact",
         [](auto& b) { withT(b).fact({"[T].[2023].[Jan]"}, {1}).dimension("B", {"b"}); }},
        {"an unknown member", [](auto& b) { withT(b).fact({"Feb"}, {1}).build(); }},
        {"a member that is not a leaf", [](auto& b) { withT(b).fact({"2024"}, {1}).build(); }},
        {"an ambiguous name", [](auto& b) { withT(b).fact({"Jan"}, {1}).build(); }},
        {"a hierarchy of no dimension",
         [](auto& b) { withT(b).alternateHierarchy("Measures", "H", {"M"}, {}); }},
        {"a hierarchy named as its dimension",
         [](auto& b) { withT(b).alternateHierarchy("T", "t", {"M"}, {}); }},
        {"a hierarchy without a leaf",
         [](auto& b) { withT(b).alternateHierarchy("T", "H", {"M"}, {{"[T].[2023].[Jan]"}}).build(); }},
        {"a leaf with members below it", [](auto& b) {
             withT(b).alternateHierarchy("T", "H", {"M", "N"}, {{"[T].[2024].[Jan]"},
                                         {"Jan", "[T].[2023].[Jan]"}}).build(); }},
    };
    // clang-format on
    for (auto const& [what, make] : mistakes) {
        CubeBuilder builder("X");
        EXPECT_THROW(make(builder), std::invalid_argument) << what;
    }
}

TEST(CubeBuilder, RaggedPathsRepeatedMembersRebuildingAndMeasuresAlone) {
    CubeBuilder first("Ragged");
    first
        .hierarchy("T", {"Year", "Month"},
                   {{"2023", "Jan"}, {"2024"}, {"2023", "Jan"}, {"2023", "Feb"}})
        .measures({"V"})
        .fact({"[T].[2023].[Jan]"}, {1})
        .fact({"2024"}, {2})
        .fact({"feb"}, {4});
    CubeBuilder builder = std::move(first);
    for (auto const& cube : {builder.build(), builder.build()}) {
        std::vector<ZELT_o::Member*> months;
        cube->findMember("[T].[2023]")->getChildren(months);
        EXPECT_EQ(months.size(), 2u) << "Jan is made once";
        EXPECT_EQ(cellsOf(*cube, layoutOf(*cube, {{{"2023", "2024", "Jan"}}})), (Cells{5, 2, 1}));
    }
    auto flat =
        CubeBuilder("Flat").measures({"V", "W"}).fact({}, {1, 10}).fact({}, {2, 20}).build();
    EXPECT_EQ(cellsOf(*flat, layoutOf(*flat, {{{"V", "W"}}})), (Cells{3, 30}));
}

struct Grid {
    char const* what;
    std::vector<AxisNames> axes;
    std::vector<char const*> slices;
    std::vector<bool> excludeEmpty;  // Per axis, from axis 0; missing means false.
    Cells cells;
    std::vector<Tuple> axis0;  // Checked when given.
};

AxisNames const kA{{"a1", "a2"}}, kB{{"b1", "b2"}}, kC{{"c1", "c2"}}, kB2{{"b2"}};
// C nested inside A; the measures nested inside A.
AxisNames const kAC{{"a1", "a2"}, {"c1", "c2"}}, kAM{{"a1", "a2"}, {"Value", "Count"}};
std::vector<Tuple> const kAMTuples{{"[A].[a1]", "[Measures].[Value]"},
                                   {"[A].[a1]", "[Measures].[Count]"},
                                   {"[A].[a2]", "[Measures].[Value]"},
                                   {"[A].[a2]", "[Measures].[Count]"}};

Grid const kGrids[] = {
    // Axis 0 varies fastest: a1b1, a2b1, a1b2, a2b2, each summed over C.
    {"A by B", {kA, kB}, {}, {}, {3, 8, 4, 48}, {{"[A].[a1]"}, {"[A].[a2]"}}},
    {"a slice restricts", {kA, kB}, {"c1"}, {}, {1, 8, 4, kEmpty}, {}},
    {"cells without facts are empty", {kA, kB}, {"c2"}, {}, {2, kEmpty, kEmpty, 48}, {}},
    {"an All slice restricts nothing", {kA, kB}, {"[C].[All C]"}, {}, {3, 8, 4, 48}, {}},
    {"a measure slice chooses the column", {kA}, {"Count"}, {}, {3, 3}, {}},
    {"nested measures", {kAM}, {"b2"}, {}, {4, 1, 48, 2}, kAMTuples},
    {"nested dimensions", {kAC, kB}, {}, {}, {1, 2, 8, kEmpty, 4, kEmpty, kEmpty, 48}, {}},
    {"three axes", {kA, kB, kC}, {}, {}, {1, 8, 4, kEmpty, 2, kEmpty, kEmpty, 48}, {}},
    {"overlapping members", {{{"[A].[All A]", "a2", "a1", "a2"}}}, {"b1"}, {}, {11, 8, 3, 8}, {}},
    {"no axes: one cell of the defaults", {}, {}, {}, {63}, {}},
    {"an axis without dimensions has one empty tuple", {{}, kC}, {}, {}, {13, 50}, {{}}},
    {"no tuple is empty, none goes", {kA, kB}, {"c2"}, {true, true}, {2, kEmpty, kEmpty, 48}, {}},
    {"an empty tuple goes", {kA, kB2}, {"c2"}, {true, true}, {48}, {{"[A].[a2]"}}},
    {"unfiltered, it stays", {kA, kB2}, {"c2"}, {}, {kEmpty, 48}, {}},
    {"no value at all", {{{"a1"}}, kB2}, {"c2", "Count"}, {true}, {}, {}},
};

TEST(HandCheckedCube, GridsSumTheFactsUnderTheirCoordinates) {
    auto cube = makeTinyCube();
    for (Grid const& grid : kGrids) {
        memcube::Layout layout = layoutOf(*cube, grid.axes, grid.slices);
        for (std::size_t a = 0; a < grid.excludeEmpty.size(); ++a) {
            layout.axes[a].excludeEmpty = grid.excludeEmpty[a];
        }
        auto result = cube->evaluate(layout);
        EXPECT_EQ(readCells(*result), grid.cells) << grid.what;
        EXPECT_TRUE(grid.axis0.empty() || readAxis(*result, 0) == grid.axis0) << grid.what;
        // The range of the values, 0 to 0 without any.
        Cells values = grid.cells;
        std::erase(values, kEmpty);
        auto const [low, high] = std::minmax_element(values.begin(), values.end());
        EXPECT_EQ(result->getAxisCount(), static_cast<LONG>(grid.axes.size())) << grid.what;
        EXPECT_EQ(result->getAxisLength(result->getAxisCount()), 0);
        EXPECT_EQ(result->getMinimum(), values.empty() ? 0 : **low) << grid.what;
        EXPECT_EQ(result->getMaximum(), values.empty() ? 0 : **high) << grid.what;
    }
}

TEST(HandCheckedCube, BadLayoutsAreRefused) {
    auto cube = makeTinyCube();
    auto other = makeTinyCube();
    memcube::Layout foreign{{}, {other->findMember("a1")}};
    for (memcube::Layout const& layout :
         {foreign, layoutOf(*cube, {{{"a1"}}}, {"a2"}), layoutOf(*cube, {{{"a1", "b1"}}}),
          layoutOf(*cube, {}, {"no such member"})}) {
        EXPECT_FALSE(cube->canEvaluate(layout));
        EXPECT_EQ(refusalOf(*cube, layout), E_INVALIDARG);
    }
    EXPECT_TRUE(cube->canEvaluate(layoutOf(*cube, {kA})));
}

}  // namespace
