// A 2x2x2 cube whose facts are powers of two, so that every sum names the facts under it:
//
//   a1 b1 c1   1        a2 b1 c1   8
//   a1 b1 c2   2        a2 b2 c2  16 + 32 (two facts, one coordinate)
//   a1 b2 c1   4        (a1 b2 c2 and a2 b1 c2 have no fact)
#include "ResultReader.h"

#include <basekit/BaseError.h>
#include <memcube/CubeBuilder.h>
#include <pova/Dimension.h>
#include <pova/Hierarchy.h>

#include <gtest/gtest.h>

namespace {

using memcube::Layout;
using memcube_test::readAxis;
using memcube_test::readCells;
using memcube_test::Tuple;
using Cells = std::vector<std::optional<double>>;
constexpr std::nullopt_t kEmpty = std::nullopt;

class HandCheckedCube : public ::testing::Test {
protected:
    HandCheckedCube()
        : fCube(memcube::CubeBuilder("Tiny")
                    .dimension("A", {"a1", "a2"})
                    .dimension("B", {"b1", "b2"})
                    .dimension("C", {"c1", "c2"})
                    .measures({"Value", "Count"})
                    .fact({"a1", "b1", "c1"}, {1, 1})
                    .fact({"a1", "b1", "c2"}, {2, 1})
                    .fact({"a1", "b2", "c1"}, {4, 1})
                    .fact({"a2", "b1", "c1"}, {8, 1})
                    .fact({"a2", "b2", "c2"}, {16, 1})
                    .fact({"a2", "b2", "c2"}, {32, 1})
                    .build()) {}

    ZELT_o::Member* m(char const* name) {
        ZELT_o::Member* member = fCube->findMember(name);
        EXPECT_NE(member, nullptr) << name;
        return member;
    }

    support::Ref<ZELT_o::ViewResultSet> run(Layout const& layout) {
        return fCube->evaluate(layout);
    }

    support::Ref<memcube::MemCube> fCube;
};

TEST_F(HandCheckedCube, TwoAxesWithADefaultDimensionSumOverIt) {
    Layout layout;
    layout.axes = {{{{m("a1"), m("a2")}}}, {{{m("b1"), m("b2")}}}};
    auto result = run(layout);
    ASSERT_EQ(result->getAxisCount(), 2);
    EXPECT_EQ(result->getAxisLength(0), 2);
    EXPECT_EQ(result->getAxisLength(1), 2);
    EXPECT_EQ(result->getItemCount(), 4);
    EXPECT_EQ(readAxis(*result, 0), (std::vector<Tuple>{{"[A].[a1]"}, {"[A].[a2]"}}));
    EXPECT_EQ(readAxis(*result, 1), (std::vector<Tuple>{{"[B].[b1]"}, {"[B].[b2]"}}));
    // Axis 0 varies fastest: a1b1, a2b1, a1b2, a2b2, each over c1 and c2.
    EXPECT_EQ(readCells(*result), (Cells{3, 8, 4, 48}));
    EXPECT_DOUBLE_EQ(result->getMinimum(), 3);
    EXPECT_DOUBLE_EQ(result->getMaximum(), 48);
}

TEST_F(HandCheckedCube, SlicesRestrictAndEmptyCellsStayEmpty) {
    Layout layout;
    layout.axes = {{{{m("a1"), m("a2")}}}, {{{m("b1"), m("b2")}}}};
    layout.slices = {m("c1")};
    EXPECT_EQ(readCells(*run(layout)), (Cells{1, 8, 4, kEmpty}));
    layout.slices = {m("c2")};
    EXPECT_EQ(readCells(*run(layout)), (Cells{2, kEmpty, kEmpty, 48}));
    // The All member of a slice is no restriction.
    layout.slices = {m("[C].[All C]")};
    EXPECT_EQ(readCells(*run(layout)), (Cells{3, 8, 4, 48}));
}

TEST_F(HandCheckedCube, MeasuresChooseTheColumnSummed) {
    Layout layout;
    layout.axes = {{{{m("a1"), m("a2")}}}};
    layout.slices = {m("[Measures].[Count]")};
    EXPECT_EQ(readCells(*run(layout)), (Cells{3, 3}));

    // Measures nested inside A: a1-Value, a1-Count, a2-Value, a2-Count.
    layout.axes = {{{{m("a1"), m("a2")}, {m("Value"), m("Count")}}}};
    layout.slices = {m("b2")};
    auto result = run(layout);
    EXPECT_EQ(readAxis(*result, 0), (std::vector<Tuple>{{"[A].[a1]", "[Measures].[Value]"},
                                                        {"[A].[a1]", "[Measures].[Count]"},
                                                        {"[A].[a2]", "[Measures].[Value]"},
                                                        {"[A].[a2]", "[Measures].[Count]"}}));
    EXPECT_EQ(readCells(*result), (Cells{4, 1, 48, 2}));
}

TEST_F(HandCheckedCube, NestedDimensionsAndThreeAxes) {
    // A outer, C inner on axis 0; B on axis 1.
    Layout nested;
    nested.axes = {{{{m("a1"), m("a2")}, {m("c1"), m("c2")}}}, {{{m("b1"), m("b2")}}}};
    auto result = run(nested);
    EXPECT_EQ(result->getAxisLength(0), 4);
    EXPECT_EQ(readCells(*result), (Cells{1, 2, 8, kEmpty, 4, kEmpty, kEmpty, 48}));

    // One dimension per axis, all three: axis 0 fastest, then 1, then 2.
    Layout cube;
    cube.axes = {{{{m("a1"), m("a2")}}}, {{{m("b1"), m("b2")}}}, {{{m("c1"), m("c2")}}}};
    result = run(cube);
    EXPECT_EQ(result->getItemCount(), 8);
    EXPECT_EQ(readCells(*result), (Cells{1, 8, 4, kEmpty, 2, kEmpty, kEmpty, 48}));
}

TEST_F(HandCheckedCube, OverlappingMembersEachGetTheirFacts) {
    Layout layout;
    layout.axes = {{{{m("[A].[All A]"), m("a2"), m("a1"), m("a2")}}}};
    layout.slices = {m("b1")};
    EXPECT_EQ(readCells(*run(layout)), (Cells{11, 8, 3, 8}));
}

TEST_F(HandCheckedCube, NoAxesGiveOneCellOfTheDefaults) {
    auto result = run(Layout{});
    EXPECT_EQ(result->getAxisCount(), 0);
    EXPECT_EQ(result->getItemCount(), 1);
    EXPECT_EQ(readCells(*result), (Cells{63}));

    // An axis with no dimensions has one tuple of no members.
    Layout layout;
    layout.axes = {{}, {{{m("c1"), m("c2")}}}};
    result = run(layout);
    EXPECT_EQ(result->getAxisLength(0), 1);
    EXPECT_EQ(readAxis(*result, 0), (std::vector<Tuple>{{}}));
    EXPECT_EQ(readCells(*result), (Cells{13, 50}));
}

TEST_F(HandCheckedCube, EmptyTuplesAreDroppedOnlyWhereAsked) {
    Layout layout;
    layout.axes = {{{{m("a1"), m("a2")}}}, {{{m("b1"), m("b2")}}}};
    layout.slices = {m("c2")};
    // Every row and column has a value: nothing goes.
    layout.axes[0].excludeEmpty = true;
    layout.axes[1].excludeEmpty = true;
    EXPECT_EQ(readCells(*run(layout)), (Cells{2, kEmpty, kEmpty, 48}));

    // Against b2 alone, a1 has nothing under c2.
    layout.axes[1].nests = {{m("b2")}};
    auto result = run(layout);
    EXPECT_EQ(readAxis(*result, 0), (std::vector<Tuple>{{"[A].[a2]"}}));
    EXPECT_EQ(readCells(*result), (Cells{48}));

    // Unfiltered, the empty tuple stays.
    layout.axes[0].excludeEmpty = false;
    EXPECT_EQ(readCells(*run(layout)), (Cells{kEmpty, 48}));

    // A filtered axis with no value at all becomes empty, and so does the grid.
    layout.axes[0].excludeEmpty = true;
    layout.axes[1].excludeEmpty = false;
    layout.slices = {m("c2"), m("[Measures].[Count]")};
    layout.axes[0].nests = {{m("a1")}};
    result = run(layout);
    EXPECT_EQ(result->getAxisLength(0), 0);
    EXPECT_EQ(result->getAxisLength(1), 1);
    EXPECT_EQ(result->getItemCount(), 0);
    EXPECT_EQ(result->getMinimum(), 0);
    EXPECT_EQ(result->getMaximum(), 0);
}

TEST_F(HandCheckedCube, BadLayoutsAreRefused) {
    auto other = memcube::CubeBuilder("Other").dimension("A", {"a1"}).measures({"V"}).build();
    auto expect_invalid = [&](Layout const& layout) {
        try {
            run(layout);
            ADD_FAILURE() << "accepted";
        } catch (ResultError const& error) {
            EXPECT_EQ(error.result(), E_INVALIDARG);
        }
    };
    Layout foreign;
    foreign.slices = {other->findMember("a1")};
    expect_invalid(foreign);
    Layout twice;
    twice.axes = {{{{m("a1")}}}};
    twice.slices = {m("a2")};
    expect_invalid(twice);
    Layout mixed;
    mixed.axes = {{{{m("a1"), m("b1")}}}};
    expect_invalid(mixed);
    Layout null;
    null.slices = {nullptr};
    expect_invalid(null);
}

}  // namespace
