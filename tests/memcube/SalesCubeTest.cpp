// The sample cube: its shape, its determinism, and totals that agree across levels.
#include "ResultReader.h"

#include <memcube/SalesCube.h>
#include <pova/Dimension.h>
#include <pova/Hierarchy.h>
#include <pova/Level.h>
#include <pova/MemberSet.h>

#include <gtest/gtest.h>

#include <numeric>

namespace {

using memcube::Layout;
using memcube_test::readCells;

// Built once: the tests only read it.
memcube::MemCube& sales() {
    static support::Ref<memcube::MemCube> cube = memcube::makeSalesCube();
    return *cube;
}

std::vector<ZELT_o::Member*> levelMembers(char const* dimension, LONG depth) {
    ZELT_o::Hierarchy* hierarchy = sales().findDimension(dimension)->getDefaultHierarchy();
    std::vector<ZELT_o::Level*> levels;
    hierarchy->getLevels(levels);
    auto set = support::adopt(levels.at(static_cast<std::size_t>(depth))->getMemberSet());
    std::vector<ZELT_o::Member*> members;
    set->getMembers(members);
    return members;
}

double sum(std::vector<std::optional<double>> const& cells) {
    double total = 0;
    for (auto const& cell : cells) {
        total += cell.value_or(0);
    }
    return total;
}

TEST(SalesCube, HasTheDocumentedShape) {
    memcube::MemCube& cube = sales();
    EXPECT_EQ(cube.getName(), "Sales");
    EXPECT_EQ(cube.countFacts(), 100000);
    std::vector<std::string> names;
    for (LONG i = 0; i < cube.countDimensions(); ++i) {
        names.push_back(cube.getDimension(i)->getName().string());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Time", "Product", "Region", "Measures"}));
    EXPECT_EQ(levelMembers("Time", 1).size(), 3u);
    EXPECT_EQ(levelMembers("Time", 2).size(), 12u);
    EXPECT_EQ(levelMembers("Time", 3).size(), 36u);
    EXPECT_EQ(levelMembers("Product", 1).size(), 4u);
    EXPECT_EQ(levelMembers("Product", 2).size(), 12u);
    EXPECT_EQ(levelMembers("Product", 3).size(), 48u);
    EXPECT_EQ(levelMembers("Region", 1).size(), 5u);
    EXPECT_EQ(levelMembers("Region", 2).size(), 20u);
    EXPECT_EQ(levelMembers("Measures", 0).size(), 2u);
    ASSERT_NE(cube.findMember("[Time].[2024].[Q1].[Jan]"), nullptr);
    EXPECT_EQ(cube.findMember("[Time].[2024].[Q1].[Jan]")->getParent()->getUniqueName(),
              "[Time].[2024].[Q1]");
}

TEST(SalesCube, IsTheSameOnEveryBuild) {
    // Pinned figures: a change of the generator shows here.
    Layout layout;
    layout.slices = {sales().findMember("[Measures].[Units]")};
    auto units = readCells(*sales().evaluate(layout));
    layout.slices = {sales().findMember("[Measures].[Sales]")};
    auto money = readCells(*sales().evaluate(layout));
    ASSERT_EQ(units.size(), 1u);
    ASSERT_EQ(money.size(), 1u);
    EXPECT_DOUBLE_EQ(*units[0], 417424);
    EXPECT_NEAR(*money[0], 68358167.59, 0.01);

    auto again = memcube::makeSalesCube();
    layout.slices = {again->findMember("[Measures].[Units]")};
    EXPECT_EQ(readCells(*again->evaluate(layout)), units);
}

TEST(SalesCube, EveryLevelAddsUpToTheTotal) {
    Layout total;
    double const grand = *readCells(*sales().evaluate(total))[0];
    for (auto [dimension, depth] :
         {std::pair{"Time", 1}, {"Time", 3}, {"Product", 2}, {"Product", 3}, {"Region", 2}}) {
        Layout layout;
        layout.axes = {{{levelMembers(dimension, depth)}}};
        EXPECT_NEAR(sum(readCells(*sales().evaluate(layout))), grand, 1e-6 * grand)
            << dimension << " " << depth;
    }
    // A two-axis grid of months by cities, and its empty-cell-free variant.
    Layout grid;
    grid.axes = {{{levelMembers("Time", 3)}}, {{levelMembers("Region", 2)}}};
    auto cells = readCells(*sales().evaluate(grid));
    EXPECT_EQ(cells.size(), 36u * 20u);
    EXPECT_NEAR(sum(cells), grand, 1e-6 * grand);
}

}  // namespace
