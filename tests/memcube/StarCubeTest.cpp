// The star-schema sample: its generator pinned, the Star cube's shape and figures checked
// against the generator's facts, and results that do not depend on the thread count.
#include "ResultReader.h"

#include <memcube/StarCube.h>
#include <pova/Level.h>
#include <starschema/StarSchema.h>

#include <gtest/gtest.h>

#include <bit>
#include <map>
#include <set>
#include <stdexcept>

namespace {

using namespace memcube_test;
using starschema::kCustomer;
using starschema::kDate;
using starschema::kProduct;

std::vector<ZELT_o::Member*> levelMembers(memcube::MemCube& cube, char const* dimension,
                                          std::size_t depth) {
    std::vector<ZELT_o::Level*> levels;
    cube.findDimension(dimension)->getDefaultHierarchy()->getLevels(levels);
    return membersOf(*support::adopt(levels.at(depth)->getMemberSet()));
}

TEST(StarSchema, GeneratesPinnedFactsAndTables) {
    struct Golden {
        std::uint64_t index;
        std::array<std::int32_t, 3> keys;
        std::int64_t revenueCents;
        std::int32_t quantity;
    };
    Golden const goldens[] = {{0, {2258, 107, 26}, 7357511, 49},
                              {1, {444, 192, 245}, 8532311, 48},
                              {12345, {1452, 160, 638}, 828135, 6},
                              {9999999, {1882, 112, 933}, 7431265, 48}};
    for (Golden const& golden : goldens) {
        starschema::Fact const fact = starschema::fact(golden.index);
        EXPECT_EQ(fact.keys, golden.keys) << golden.index;
        EXPECT_EQ(fact.revenueCents, golden.revenueCents) << golden.index;
        EXPECT_EQ(fact.quantity, golden.quantity) << golden.index;
    }
    EXPECT_EQ(starschema::splitmix64(0), 0xE220A8397B1DCDAFULL);
    std::size_t const rows[] = {2557, 250, 1000};
    for (std::size_t d = 0; d < starschema::kDimensionCount; ++d) {
        starschema::DimensionTable const& table = starschema::dimensions()[d];
        EXPECT_EQ(table.rows.size(), rows[d]) << table.name;
        // A name stands for one member of the dimension, whatever its level.
        std::map<std::string, std::vector<std::string>> paths;
        for (auto const& row : table.rows) {
            ASSERT_EQ(row.size(), table.levels.size());
            for (std::size_t level = 0; level < row.size(); ++level) {
                std::vector<std::string> const path(row.begin(), row.begin() + level + 1);
                EXPECT_EQ(paths.try_emplace(row[level], path).first->second, path) << row[level];
            }
        }
    }
}

TEST(StarCube, HasTheSampleShapeAndItsFigures) {
    EXPECT_THROW(memcube::makeStarCube(0), std::invalid_argument);
    EXPECT_THROW(memcube::makeStarCube(starschema::kMaxFacts + 1), std::invalid_argument);
    constexpr std::size_t kFacts = 20000;
    auto cube = memcube::makeStarCube(kFacts);
    EXPECT_TRUE(cube->getName() == "Star" && cube->countFacts() == LONG{kFacts});
    std::vector<ZELT_o::Dimension*> dimensions;
    cube->getDimensions(dimensions);
    EXPECT_EQ(namesOf(dimensions),
              (std::vector<std::string>{"[Date]", "[Customer]", "[Product]", "[Measures]"}));
    EXPECT_EQ(nameOf(cube->findMember("Côte d'Ivoire 3")->getParent()),
              "[Customer].[Africa].[Côte d'Ivoire]");
    EXPECT_EQ(levelMembers(*cube, "Date", 4).size(), 2557u);
    EXPECT_TRUE(memcube::MemCube::measureFormat(cube->findMember("Revenue")) == "#,##0.00");
    EXPECT_TRUE(memcube::MemCube::measureFormat(cube->findMember("Quantity")) == "#,##0");

    // The figures straight from the generator: by year and quarter, and in Europe by year and
    // category.
    auto const& tables = starschema::dimensions();
    std::map<std::string, std::int64_t> cents;
    std::map<std::string, double> quantity;
    for (std::size_t i = 0; i < kFacts; ++i) {
        starschema::Fact const fact = starschema::fact(i);
        auto const& date = tables[kDate].rows[static_cast<std::size_t>(fact.keys[kDate])];
        cents[date[0]] += fact.revenueCents;
        quantity[date[0]] += fact.quantity;
        quantity[date[1]] += fact.quantity;
        if (tables[kCustomer].rows[static_cast<std::size_t>(fact.keys[kCustomer])][0] == "Europe") {
            auto const& product =
                tables[kProduct].rows[static_cast<std::size_t>(fact.keys[kProduct])];
            for (std::string const& key :
                 {date[0] + product[0], date[0] + "/E", date[1] + "/E", std::string("Europe")}) {
                quantity[key] += fact.quantity;
            }
        }
    }
    // Years with both measures nested.
    memcube::Layout byYear;
    byYear.axes = {{{levelMembers(*cube, "Date", 1), levelMembers(*cube, "Measures", 0)}}};
    Cells const yearCells = cellsOf(*cube, byYear);
    ASSERT_EQ(yearCells.size(), 14u);
    for (std::size_t year = 0; year < 7; ++year) {
        std::string const name = std::to_string(1992 + year);
        EXPECT_NEAR(yearCells[2 * year].value_or(0), static_cast<double>(cents[name]) / 100.0, 1e-6)
            << name;
        EXPECT_EQ(yearCells[2 * year + 1], quantity[name]) << name;
    }
    // Years by categories, Europe's customers only.
    memcube::Layout grid;
    grid.axes = {{{levelMembers(*cube, "Date", 1)}}, {{levelMembers(*cube, "Product", 1)}}};
    grid.slices = {cube->findMember("Europe"), cube->findMember("Quantity")};
    Cells const gridCells = cellsOf(*cube, grid);
    ASSERT_EQ(gridCells.size(), 35u);
    for (std::size_t cell = 0; cell < 35; ++cell) {
        std::string const key =
            std::to_string(1992 + cell % 7) + "MFGR#" + std::to_string(1 + cell / 7);
        EXPECT_EQ(gridCells[cell], quantity[key]) << key;
    }
    EXPECT_EQ(cellsOf(*cube, layoutOf(*cube, {}, {"Europe", "Quantity"})),
              Cells{quantity["Europe"]});
    // A year with one of its quarters: the facts under both count in each.
    EXPECT_EQ(
        cellsOf(*cube, layoutOf(*cube, {{{"[Date].[1995]", "1995-Q2"}, {"Quantity"}}}, {"Europe"})),
        (Cells{quantity["1995/E"], quantity["1995-Q2/E"]}));
}

// Generated facts land after the named ones; a path that is not a leaf's is refused. Cells
// whose facts cancel out hold 0, a fact of -0.0 counts, and a cell without facts stays empty.
TEST(StarCube, GeneratedFactsAndZeroSums) {
    auto builder = [](std::int32_t badPath, double second) {
        memcube::CubeBuilder cube("Zero");
        cube.hierarchy("A", {"Group", "Item"}, {{"g", "a1"}, {"g", "a2"}, {"g", "a3"}, {"h"}});
        cube.measures({"V"}).fact({"a1"}, {5});
        cube.generatedFacts(3, [badPath, second](std::size_t first, std::size_t end,
                                                 memcube::CubeBuilder::FactColumns const& columns) {
            double const values[] = {-5, second, 8};
            std::int32_t const paths[] = {0, 1, badPath};
            for (std::size_t i = first; i < end; ++i) {
                columns.paths[0][i - first] = paths[i];
                columns.values[0][i - first] = values[i];
            }
        });
        return cube;
    };
    EXPECT_THROW(builder(4, 1).build(), std::invalid_argument);
    EXPECT_THROW(builder(-1, 1).build(), std::invalid_argument);
    for (double second : {2.0, -0.0}) {
        auto cube = builder(3, second).build();
        Cells const cells = cellsOf(*cube, layoutOf(*cube, {{{"a1", "a2", "a3", "h"}}}));
        EXPECT_EQ(cells, (Cells{0.0, second, kEmpty, 8.0})) << second;
    }
}

// A fact source's cells land where it numbers them; a number outside the grid is refused, and
// the cube answers again after.
TEST(StarCube, AFactSourceCellOutsideTheGridIsRefused) {
    struct Source final : memcube::FactSource {
        std::int64_t cell = 0;
        void aggregate(memcube::MemCube const&, memcube::Layout const&,
                       memcube::CellSink& sink) override {
            sink.add(cell, 7);
        }
    };
    auto const source = std::make_shared<Source>();
    auto const built = memcube::CubeBuilder("S")
                           .dimension("A", {"a1", "a2"})
                           .measures({"V"})
                           .factSource(source)
                           .build();
    memcube::Layout const layout = layoutOf(*built, {{{"a1", "a2"}}});
    for (std::int64_t const cell : {std::int64_t{-1}, std::int64_t{2}, std::int64_t{1} << 40}) {
        source->cell = cell;
        try {
            built->evaluate(layout);
            ADD_FAILURE() << cell;
        } catch (ResultError const& error) {
            EXPECT_EQ(error.result(), E_UNEXPECTED) << cell;
        }
    }
    source->cell = 1;
    EXPECT_EQ(cellsOf(*built, layout), (Cells{kEmpty, 7.0}));
}

// The same query on 1, 2 and 8 threads: the same bits in every cell.
TEST(StarCubeThreads, CellsDoNotDependOnTheThreadCount) {
    auto cube = memcube::makeStarCube(300'000);
    auto const months = levelMembers(*cube, "Date", 3);
    memcube::Layout const layouts[] = {
        {},
        {{}, {cube->findMember("Europe")}},
        {{{{months}}, {{levelMembers(*cube, "Product", 1)}}}, {cube->findMember("Europe")}},
        {{{{levelMembers(*cube, "Date", 2)}}, {{levelMembers(*cube, "Product", 3)}}}, {}},
        {{{{months, levelMembers(*cube, "Measures", 0)}}}, {cube->findMember("MFGR#3")}},
        layoutOf(*cube, {{{"[Date].[1995]", "1995-Q2"}}}, {"Europe"}),
    };
    for (std::size_t i = 0; i < std::size(layouts); ++i) {
        std::vector<std::vector<std::uint64_t>> bits;
        for (unsigned threads : {1U, 2U, 8U}) {
            memcube::MemCube::setThreadCount(threads);
            auto& cells = bits.emplace_back();
            for (auto const& cell : cellsOf(*cube, layouts[i])) {
                cells.push_back(cell ? std::bit_cast<std::uint64_t>(*cell) : 1);
            }
        }
        memcube::MemCube::setThreadCount(0);
        EXPECT_EQ(bits[1], bits[0]) << "layout " << i;
        EXPECT_EQ(bits[2], bits[0]) << "layout " << i;
    }
}

// A load whose fill throws in one block on several threads stops, and build() raises that
// error with every thread joined.
TEST(StarCubeThreads, AThrowInOneBlockOfALoadComesOutOfBuild) {
    memcube::MemCube::setThreadCount(4);
    memcube::CubeBuilder builder("T");
    builder.dimension("A", {"a"}).measures({"V"});
    builder.generatedFacts(8 << 16, [](std::size_t first, std::size_t end,
                                       memcube::CubeBuilder::FactColumns const& columns) {
        if (first == 3 << 16) {
            throw std::runtime_error("block 3");
        }
        std::fill_n(columns.paths[0], end - first, 0);
        std::fill_n(columns.values[0], end - first, 1.0);
    });
    EXPECT_THROW(builder.build(), std::runtime_error);
    memcube::MemCube::setThreadCount(0);
}

}  // namespace
