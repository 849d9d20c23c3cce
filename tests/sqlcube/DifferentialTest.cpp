// The sample's 100,000 facts in memory, in SQLite and in PostgreSQL: each viewpoint state must
// give the three the same headers and the same cells, to the cent.
#include "Backends.h"

#include <basekit/OleAuto.h>
#include <pova/Chunk.h>
#include <pova/ChunkHandler.h>
#include <pova/Command.h>
#include <pova/Expression.h>
#include <pova/Factories.h>
#include <pova/Filter.h>
#include <pova/Hierarchy.h>
#include <pova/Member.h>
#include <pova/MemberSet.h>
#include <pova/PropertySpecification.h>
#include <pova/Sort.h>
#include <pova/ViewResultSet.h>
#include <sqlcube/SampleLoader.h>
#include <sqlcube/SqlCube.h>
#include <starschema/StarSchema.h>

#include <cstdio>
#include <functional>

namespace {

using namespace ZELT_o;
constexpr std::size_t kFacts = 100'000;

support::Ref<memcube::MemCube> memory_cube() {
    std::vector<sqlcube::DimensionPaths> members;
    for (starschema::DimensionTable const& table : starschema::dimensions()) {
        members.push_back(table.rows);
    }
    auto builder = sqlcube::cubeBuilder(sqlcube::describeSample(), members);
    for (std::size_t i = 0; i < kFacts; ++i) {
        starschema::Fact const fact = starschema::fact(i);
        std::vector<std::string> leaves;
        for (std::size_t d = 0; d < starschema::kDimensionCount; ++d) {
            leaves.push_back(starschema::dimensions()[d].rows[fact.keys[d]].back());
        }
        builder.fact(leaves, {static_cast<double>(fact.revenueCents) / 100, 1.0 * fact.quantity});
    }
    return builder.build();
}

support::Ref<memcube::MemCube> sql_cube(sqlcube_test::Kind kind) {
    auto connection = sqlcube_test::freshDatabase(kind, "differential");
    sqlcube::createSampleDatabase(*connection, kFacts);
    return sqlcube::openCube(std::move(connection));
}

// Changes the layout of a fresh viewpoint as the client's commands do.
struct Steps {
    Viewpoint& vp;
    Cube& cube;

    Dimension& dim(char const* name) {
        return *cube.findDimension(PovaString(std::string("[") + name + "]"));
    }
    Member* member(char const* dimension, char const* name) {
        return vp.getActiveHierarchy(dim(dimension))->findMember(PovaString(name));
    }
    template <class Command = BasicViewpointCommand, class Fill>
    void run(Fill const& fill, Viewpoint::CommandType type = Viewpoint::CommandType::Basic) {
        auto command = support::adopt(vp.createCommand(type));
        fill(dynamic_cast<Command&>(*command));
        command->execute();
    }
    void members(char const* dimension, std::vector<char const*> const& names) {
        std::vector<Member*> chosen;
        for (char const* name : names) {
            chosen.push_back(member(dimension, name));
        }
        auto set = support::adopt(dynamic_cast<memcube::MemCube&>(cube).createMemberSet(
            vp.getActiveHierarchy(dim(dimension)), chosen));
        run([&](auto& c) { c.SetActiveMemberSet(&dim(dimension), set.get()); });
    }
    void slice(char const* dimension, char const* name) {
        run([&](auto& c) { c.SetActiveSlice(&dim(dimension), member(dimension, name)); });
    }
    void sort(LONG axis, bool descending) {
        run<SortViewpointCommand>(
            [&](auto& c) {
                c.getNewSort()->setDirection(descending ? Sort::kDescending : Sort::kAscending);
                c.getNewSort()->getDimVec() = vp.getAxisDimensions(axis);
                c.AddSort();
            },
            Viewpoint::CommandType::Sort);
    }
    void filter(LONG axis, char const* text) {
        Expression* made = nullptr;
        vp.CreateNewExpression(&made);
        auto const expression = support::adopt(made);
        expression->setTextAndCreateTree(PovaString(text), &cube, true);
        run<FilterViewpointCommand>(
            [&](auto& c) {
                Filter* filter = c.AddFilter();
                filter->getDimVec() = vp.getAxisDimensions(axis);
                filter->addExpression(expression.get());
            },
            Viewpoint::CommandType::Filter);
    }
};

struct Collector final : ChunkHandler {
    std::string text;
    bool handleChunk(Chunk* given, bool) override {
        auto const chunk = support::Ref<Chunk>::adopt(given);
        for (LONG i = 0; i < chunk->getValueCount(); ++i, text += "\n") {
            auto const* axis = dynamic_cast<AxisChunk const*>(chunk.get());
            for (LONG d = 0; axis != nullptr && d < axis->getDepth(); ++d) {
                text += axis->getMember(i, d)->getUniqueName().string() + " ";
            }
            basekit::Variant value;
            char cell[64] = "-";
            if (axis == nullptr && chunk->getValue(i, value.get()) && value.type() == VT_R8) {
                std::snprintf(cell, sizeof cell, "%.2f", value->dblVal);
            }
            text += axis == nullptr ? cell : "";
        }
        return true;
    }
};

// The headers (unique names, a line per tuple) and the cells (to the cent, "-" when empty), or
// the error.
std::string grid(Cube& cube, std::function<void(Steps&)> const& state) try {
    auto vp = support::adopt(createCommonViewpoint());
    vp->setCube(&cube, 2, 1);
    Steps steps{*vp, cube};
    state(steps);
    std::vector<PropertySpecification> properties;
    auto const result = support::adopt(vp->query(&properties));
    Collector collector;
    for (LONG a = 0; a < result->getAxisCount(); ++a, collector.text += "--\n") {
        if (result->getAxisLength(a) > 0) {
            result->requestAxisChunks(&collector, a, 0, result->getAxisLength(a) - 1);
        }
    }
    if (result->getItemCount() > 0) {
        result->requestCellChunks(&collector, 0, result->getItemCount() - 1);
    }
    vp->setCube(nullptr, 2, 1);
    return collector.text;
} catch (std::exception const& error) {
    return error.what();
}

// From the sample's default layout: Date on axis 0, Customer on axis 1, Product and Measures
// sliced on axis 2.
std::vector<std::pair<char const*, std::function<void(Steps&)>>> const kStates = {
    {"default", [](Steps&) {}},
    {"swapped", [](Steps& s) { s.run([](auto& c) { c.SwapDimensions(0, 0, 1, 0); }); }},
    {"product sliced", [](Steps& s) { s.slice("Product", "MFGR#2"); }},
    {"brand sliced", [](Steps& s) { s.slice("Product", "MFGR#305"); }},
    {"quantity sliced", [](Steps& s) { s.slice("Measures", "Quantity"); }},
    {"nested product", [](Steps& s) { s.run([](auto& c) { c.MoveDimensions(2, 0, 1, 1); }); }},
    {"nested measures", [](Steps& s) { s.run([](auto& c) { c.MoveDimensions(2, 1, 0, 1); }); }},
    {"measures outside", [](Steps& s) { s.run([](auto& c) { c.MoveDimensions(2, 1, 1, 0); }); }},
    {"measures alone", [](Steps& s) { s.run([](auto& c) { c.SwapDimensions(0, 0, 2, 1); }); }},
    {"hidden slices",
     [](Steps& s) { s.run([](auto& c) { c.ChangeAxisType(2, Viewpoint::kHidden); }); }},
    {"years chosen", [](Steps& s) { s.members("Date", {"1998", "1993", "1995"}); }},
    {"mixed levels",
     [](Steps& s) { s.members("Customer", {"All Customer", "Europe", "France", "France 1"}); }},
    {"a member twice", [](Steps& s) { s.members("Date", {"1994", "1994-Q2", "1994"}); }},
    {"days, empty lines",
     [](Steps& s) {
         s.members("Date", {"1995-03-01", "1995-03-02", "1997-12-31"});
         s.members("Customer", {"Kenya", "Peru", "China 4", "Iran 2", "Kenya 1"});
         s.run([](auto& c) { c.MoveDimensions(2, 0, 1, 1); });
         s.run([](auto& c) { c.SetExcludeNULLLines(1, true), c.SetExcludeNULLLines(0, true); });
     }},
    {"parts, empty lines",
     [](Steps& s) {
         s.members("Product", {"Part 101-01", "Part 101-02", "Part 410-05", "MFGR#2"});
         s.run([](auto& c) { c.SwapDimensions(1, 0, 2, 0), c.SetExcludeNULLLines(1, true); });
         s.slice("Customer", "Japan");
     }},
    {"rows descending", [](Steps& s) { s.sort(1, true); }},
    {"columns ascending", [](Steps& s) { s.sort(0, false); }},
    {"nested, sorted",
     [](Steps& s) {
         s.run([](auto& c) { c.MoveDimensions(2, 0, 1, 1); });
         s.sort(1, true);
     }},
    {"filtered rows", [](Steps& s) { s.filter(1, "[Measures].[Revenue] > 470000000"); }},
    {"filtered and sorted",
     [](Steps& s) {
         s.members("Customer", {"Africa", "Algeria", "Kenya", "Peru", "Japan", "Iran"});
         s.filter(1, "[Measures].[Revenue] > 70000000 AND [Measures].[Revenue] < 200000000");
         s.sort(1, false);
     }},
    {"top rows",
     [](Steps& s) {
         s.members("Customer", {"Algeria", "Kenya", "Peru", "Japan", "Iran", "France", "China"});
         s.filter(1, "TopCount( [Customer] , 3 , [Measures].[Revenue] )");
     }},
    {"bottom nested rows, sorted",
     [](Steps& s) {
         s.run([](auto& c) { c.MoveDimensions(2, 0, 1, 1); });
         s.filter(1, "BottomCount( [Customer] , 4 , [Measures].[Quantity] )");
         s.sort(1, true);
     }},
    {"top of the filtered",
     [](Steps& s) {
         s.members("Date", {"1993-Q1", "1993-Q2", "1993-Q3", "1993-Q4", "1994-Q1", "1994-Q2",
                            "1994-Q3", "1994-Q4"});
         s.run([](auto& c) { c.SwapDimensions(0, 0, 1, 0); });
         s.filter(1, "[Measures].[Revenue] > 83000000");
         s.filter(1, "BottomCount( [Date] , 2 , [Measures].[Revenue] )");
     }},
};

TEST(Differential, MemorySqliteAndPostgresGiveTheSameGrids) {
    auto const memory = memory_cube();
    auto const sqlite = sql_cube(sqlcube_test::Kind::kSqlite);
    auto const postgres = sql_cube(sqlcube_test::Kind::kPostgres);
    for (auto const& [name, state] : kStates) {
        std::string const expected = grid(*memory, state);
        EXPECT_EQ(grid(*sqlite, state), expected) << name;
        EXPECT_EQ(grid(*postgres, state), expected) << name;
    }
}

}  // namespace
