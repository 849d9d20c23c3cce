// The sample cube: its shape, its determinism, and totals that agree across levels.
#include "ResultReader.h"

#include <memcube/SalesCube.h>
#include <pova/Level.h>

#include <gtest/gtest.h>

#include <numeric>

namespace {

using namespace memcube_test;

TEST(SalesCube, HasTheDocumentedShapeAndFigures) {
    auto sales = memcube::makeSalesCube();
    EXPECT_TRUE(sales->getName() == "Sales" && sales->countFacts() == 100000);
    std::vector<ZELT_o::Dimension*> dimensions;
    sales->getDimensions(dimensions);
    EXPECT_EQ(namesOf(dimensions),
              (std::vector<std::string>{"[Time]", "[Product]", "[Region]", "[Measures]"}));
    EXPECT_EQ(nameOf(sales->findMember("[Time].[2024].[Q1].[Jan]")->getParent()),
              "[Time].[2024].[Q1]");
    // Pinned figures, Sales (the default measure) and Units: a change of the generator shows.
    double const total = *cellsOf(*sales, {}).at(0);
    EXPECT_NEAR(total, 68358167.59, 0.01);
    Cells const units = cellsOf(*sales, layoutOf(*sales, {}, {"[Measures].[Units]"}));
    EXPECT_EQ(units, Cells{417424});
    auto again = memcube::makeSalesCube();
    EXPECT_EQ(cellsOf(*again, layoutOf(*again, {}, {"[Measures].[Units]"})), units);

    // Each level has its documented size and adds up to the total, as do months by cities.
    auto level = [&](char const* dimension, std::size_t depth) {
        std::vector<ZELT_o::Level*> levels;
        sales->findDimension(dimension)->getDefaultHierarchy()->getLevels(levels);
        return membersOf(*support::adopt(levels.at(depth)->getMemberSet()));
    };
    auto sum = [](Cells const& cells) {
        return std::accumulate(cells.begin(), cells.end(), 0.0, [](double total, auto const& cell) {
            return total + cell.value_or(0);
        });
    };
    std::tuple<char const*, std::size_t, std::size_t> const sizes[] = {
        {"Time", 1, 3},     {"Time", 2, 12},    {"Time", 3, 36},  {"Product", 1, 4},
        {"Product", 2, 12}, {"Product", 3, 48}, {"Region", 1, 5}, {"Region", 2, 20}};
    for (auto [dimension, depth, size] : sizes) {
        memcube::Layout layout;
        layout.axes = {{{level(dimension, depth)}}};
        EXPECT_EQ(layout.axes[0].nests[0].size(), size) << dimension << " " << depth;
        EXPECT_NEAR(sum(cellsOf(*sales, layout)), total, 1e-6 * total) << dimension << depth;
    }
    EXPECT_EQ(level("Measures", 0).size(), 2u);
    memcube::Layout grid;
    grid.axes = {{{level("Time", 3)}}, {{level("Region", 2)}}};
    Cells const cells = cellsOf(*sales, grid);
    EXPECT_EQ(cells.size(), 36u * 20u);
    EXPECT_NEAR(sum(cells), total, 1e-6 * total);
}

}  // namespace
