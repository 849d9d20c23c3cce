#include "Backends.h"
#include "memcube/ResultReader.h"
#include "support/Threads.h"

#include <basekit/BaseError.h>
#include <pova/Command.h>
#include <pova/Expression.h>
#include <pova/Factories.h>
#include <pova/Filter.h>
#include <pova/Member.h>
#include <pova/PropertySpecification.h>
#include <pova/ViewResultSet.h>
#include <pova/Viewpoint.h>
#include <pova/common/SynchronousChunkHandler.h>
#include <sqlcube/Errors.h>
#include <sqlcube/SampleLoader.h>
#include <sqlcube/SqlCube.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <map>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// A statement the database refuses raises sqlcube's error; the cube answers again once the
// database is right, and tells the statement it ran.
TEST(SqlCube, ADatabaseErrorPassesAndTheCubeStaysUsable) {
    auto connection = sqlcube_test::freshDatabase(sqlcube_test::Kind::kSqlite, "errors");
    sqlcube::createSampleDatabase(*connection, sqlcube_test::kSampleFacts);
    auto const other = sqlcube::openSqlite(connection->path());
    auto const cube = sqlcube::openCube(std::move(connection));
    memcube::Layout layout;
    layout.axes.emplace_back().nests = {{cube->findMember(PovaString("1995"))},
                                        {cube->findMember(PovaString("Asia"))}};
    EXPECT_EQ(cube->evaluate(layout)->getItemCount(), 1);
    other->execute("ALTER TABLE sales RENAME TO moved");
    sqlcube_test::expectError(sqlcube::kStatementRefused, [&] { cube->evaluate(layout); });
    other->execute("ALTER TABLE moved RENAME TO sales");
    EXPECT_EQ(cube->evaluate(layout)->getItemCount(), 1);
    EXPECT_NE(cube->factSource()->lastQuery().find("\"sales\""), std::string::npos);
}

// The sums of the members of dimension D named, by name, as the cube's source gives them.
std::map<std::string, double> sums_by_name(memcube::MemCube& cube,
                                           std::map<std::string, double> const& names) {
    memcube::Layout layout;
    auto& nest = layout.axes.emplace_back().nests.emplace_back();
    for (auto const& [name, sum] : names) {
        nest.push_back(cube.findMember(PovaString("[D].[" + name + "]")));
        EXPECT_NE(nest.back(), nullptr) << name;
    }
    struct Sink final : memcube::CellSink {
        std::map<std::string, double> sums;
        std::vector<ZELT_o::Member*> const* nest;
        void add(std::int64_t cell, double value) override {
            sums[(*nest)[static_cast<std::size_t>(cell)]->getName().string()] = value;
        }
    } sink;
    sink.nest = &nest;
    if (std::find(nest.begin(), nest.end(), nullptr) == nest.end()) {
        cube.factSource()->aggregate(cube, layout, sink);
    }
    return sink.sums;
}

// What a user's database may hold: a dimension table with a NULL level value, or a
// description no cube can have, is refused as a description; an empty table, duplicate rows,
// empty and odd names and a fact key without a row make members that sum their own facts.
TEST(SqlCube, OpeningRefusesWhatNoCubeCanHaveAndSumsTheRest) {
    std::string const odd = "\xc3\xbc;\"' --";
    sqlcube::DimensionDescription const d{"D", "d", "k", {{"V", "v"}}, "k"};
    sqlcube::DimensionDescription twoLevels = d;
    twoLevels.levels.push_back({"V", "v"});
    sqlcube::MeasureDescription const n{"N", "n", "", "SUM", 0};
    struct Case {
        sqlcube::SchemaDescription description;  // Its cube's name tells the case.
        std::vector<sqlcube::Value> members;     // Level values of keys 0, 1, ...
        bool refused;
        std::map<std::string, double> sums;  // By member name.
    } const cases[] = {
        {{"null", "f", {d}, {n}}, {"a", std::monostate{}}, true, {}},
        {{"no measure", "f", {d}, {}}, {"a"}, true, {}},
        {{"two dimensions", "f", {d, d}, {n}}, {"a"}, true, {}},
        {{"two measures", "f", {d}, {n, n}}, {"a"}, true, {}},
        {{"Measures", "f", {{"Measures", "d", "k", {{"V", "v"}}, "k"}}, {n}}, {"a"}, true, {}},
        {{"two levels", "f", {twoLevels}, {n}}, {"a"}, true, {}},
        {{"empty", "f", {d}, {n}}, {}, false, {}},
        {{"odd", "f", {d}, {n}}, {"a", "a", "", odd}, false, {{"a", 3}, {"", 4}, {odd, 8}}},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.description.cube);
        auto db = sqlcube_test::freshDatabase(sqlcube_test::Kind::kSqlite, "rows");
        db->execute("CREATE TABLE d (k INTEGER, v TEXT); CREATE TABLE f (k INTEGER, n INTEGER)");
        for (std::int64_t key = 0; key < std::ssize(c.members); ++key) {
            db->inserter("d", {"k", "v"})->add(std::vector<sqlcube::Value>{key, c.members[key]});
        }
        for (std::int64_t key = 0; key < 5; ++key) {  // Key 4 has no row.
            db->inserter("f", {"k", "n"})->add(std::vector<sqlcube::Value>{key, 1 << key});
        }
        if (c.refused) {
            sqlcube_test::expectError(sqlcube::kDescriptionInvalid,
                                      [&] { sqlcube::openCube(std::move(db), c.description); });
            continue;
        }
        EXPECT_EQ(sums_by_name(*sqlcube::openCube(std::move(db), c.description), c.sums), c.sums);
    }
}

// Decimal level values name their members as the database writes them, and select their facts.
TEST(SqlCube, DecimalLevelValuesNameMembersThatSelectTheirFacts) {
    for (auto const kind : {sqlcube_test::Kind::kSqlite, sqlcube_test::Kind::kPostgres}) {
        auto db = sqlcube_test::freshDatabase(kind, "decimal");
        db->execute("CREATE TABLE d (k INTEGER, v NUMERIC); CREATE TABLE f (k INTEGER, n INTEGER)");
        auto const members = db->inserter("d", {"k", "v"});
        members->add(std::vector<sqlcube::Value>{std::int64_t{0}, 0.1});
        members->add(std::vector<sqlcube::Value>{std::int64_t{1}, 2.25});
        members->finish();
        db->execute("INSERT INTO f VALUES (0, 1), (1, 2), (1, 4)");
        sqlcube::SchemaDescription const description{
            "C", "f", {{"D", "d", "k", {{"V", "v"}}, "k"}}, {{"N", "n", "", "SUM", 0}}};
        std::map<std::string, double> const sums{{"0.1", 1}, {"2.25", 6}};
        EXPECT_EQ(sums_by_name(*sqlcube::openCube(std::move(db), description), sums), sums);
    }
}

// A sample whose making is cut short (its process killed) leaves nothing the next run would
// take for a database: that run makes the sample again.
TEST(SqlCube, ASampleCutShortIsMadeAgainByTheNextRun) {
    std::string const path =
        sqlcube_test::freshDatabase(sqlcube_test::Kind::kSqlite, "cut")->path();
    std::filesystem::remove(path);
    pid_t const child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sqlcube::openSqliteCube(path, true, 10'000'000);
        _exit(0);
    }
    // Killed as soon as anything of it is on disk.
    auto const started = [&] {
        for (auto const& entry :
             std::filesystem::directory_iterator(std::filesystem::path(path).parent_path())) {
            if (entry.path().filename().string().starts_with("cut.db")) {
                return true;
            }
        }
        return false;
    };
    while (!started()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_NE(sqlcube::openSqliteCube(path, true, 100)->findMember(PovaString("1995")), nullptr);
}

// Queries from several threads take turns on the cube's one connection; a cancel from another
// thread stops at most the statements running then.
TEST(SqlCubeThreads, QueriesTakeTurnsAndACancelStopsOnlyThem) {
    auto connection = sqlcube_test::freshDatabase(sqlcube_test::Kind::kSqlite, "threads");
    sqlcube::createSampleDatabase(*connection, sqlcube_test::kSampleFacts);
    auto const cube = sqlcube::openCube(std::move(connection));
    memcube::Layout layout;
    layout.axes.emplace_back().nests = {
        {cube->findMember(PovaString("1995")), cube->findMember(PovaString("1996"))}};
    std::atomic<int> answered{0};
    std::atomic<int> cancelled{0};
    testing_support::runTogether(4, [&](int t) {
        for (int i = 0; i < 20; ++i) {
            try {
                if (t == 0) {
                    cube->factSource()->cancel();
                } else if (cube->evaluate(layout)->getItemCount() == 2) {
                    ++answered;
                }
            } catch (BaseError const& error) {
                cancelled += error.code() == sqlcube::kQueryCancelled ? 1 : 0;
            }
        }
    });
    EXPECT_EQ(answered.load() + cancelled.load(), 60);
    EXPECT_GT(answered.load(), 0);
    EXPECT_EQ(cube->evaluate(layout)->getItemCount(), 2);
}

// Two threads making one sample at once each get a cube.
TEST(SqlCubeThreads, TwoMakingsOfOneSampleAtOnceBothSucceed) {
    std::string const path =
        sqlcube_test::freshDatabase(sqlcube_test::Kind::kSqlite, "twice")->path();
    std::filesystem::remove(path);
    std::atomic<int> cubes{0};
    testing_support::runTogether(2, [&](int) {
        try {
            cubes += sqlcube::openSqliteCube(path, true, 2000)->findMember(PovaString("1995")) !=
                     nullptr;
        } catch (BaseError const& error) {
            ADD_FAILURE() << error.what();
        }
    });
    EXPECT_EQ(cubes.load(), 2);
}

// The lines of D's axis and their cells, on a viewpoint of the cube filtered by `text` on that
// axis, with the statement the cube ran last.
std::pair<std::string, std::string> filtered(memcube::MemCube& cube, char const* text) {
    auto const vp = support::adopt(createCommonViewpoint());
    vp->setCube(&cube, 2, 1);
    LONG const axis = vp->getAxisByDimUniqueName(PovaString("[D]"));
    ZELT_o::Expression* made = nullptr;
    vp->CreateNewExpression(&made);
    auto const expression = support::adopt(made);
    expression->setTextAndCreateTree(PovaString(text), &cube, true);
    auto command = support::adopt(vp->createCommand(ZELT_o::Viewpoint::CommandType::Filter));
    ZELT_o::Filter* filter = dynamic_cast<ZELT_o::FilterViewpointCommand&>(*command).AddFilter();
    filter->getDimVec() = vp->getAxisDimensions(axis);
    filter->addExpression(expression.get());
    command->execute();
    std::vector<ZELT_o::PropertySpecification> properties;
    auto const result = support::adopt(vp->query(&properties));
    std::string grid;
    for (auto const& tuple : memcube_test::readAxis(*result, axis)) {
        grid += tuple.front() + " ";
    }
    for (auto const& cell : memcube_test::readCells(*result)) {
        grid += cell ? std::to_string(*cell) + " " : "- ";
    }
    vp->setCube(nullptr, 2, 1);
    return {grid, cube.factSource() != nullptr ? cube.factSource()->lastQuery() : ""};
}

// Filters and ranks give a database cube the lines they give the same facts in memory, whether
// the database leaves out what they exclude (a HAVING, an ORDER BY with a LIMIT) or its answer
// cannot settle a rank (a tie at the edge, an empty line that would rank first) and the cube
// reads every line again.
TEST(SqlCube, FiltersAndRanksWrittenIntoTheStatementKeepWhatMemoryKeeps) {
    // D: a 5, b 9, c 9, d 1, e without facts.
    auto db = sqlcube_test::freshDatabase(sqlcube_test::Kind::kSqlite, "ranks");
    db->execute(
        "CREATE TABLE d (k INTEGER, v TEXT); CREATE TABLE f (k INTEGER, n INTEGER);"
        "INSERT INTO d VALUES (0, 'a'), (1, 'b'), (2, 'c'), (3, 'd'), (4, 'e');"
        "INSERT INTO f VALUES (0, 2), (0, 3), (1, 9), (2, 9), (3, 1)");
    auto const sql = sqlcube::openCube(
        std::move(db),
        {"C", "f", {{"D", "d", "k", {{"V", "v"}}, "k"}}, {{"N", "n", "", "SUM", 0}}});
    auto const memory = memcube::CubeBuilder("C")
                            .dimension("D", {"a", "b", "c", "d", "e"})
                            .measures({"N"})
                            .fact({"a"}, {5})
                            .fact({"b"}, {9})
                            .fact({"c"}, {9})
                            .fact({"d"}, {1})
                            .build();
    struct Case {
        char const* text;
        char const* lastStatementHas;  // "" when it reads every line
    } const cases[] = {
        {"TopCount( [D] , 3 , [Measures].[N] )", "LIMIT"},
        {"TopCount( [D] , 1 , [Measures].[N] )", ""},     // b and c tie
        {"BottomCount( [D] , 1 , [Measures].[N] )", ""},  // e, empty, comes first
        {"BottomCount( [D] , 2 , - [Measures].[N] )", "LIMIT"},
        {"[Measures].[N] > 4.5 AND [Measures].[N] <= 9", "HAVING"},
        {"[Measures].[N] = 5 OR 8 < [Measures].[N]", "HAVING"},
        {"[Measures].[N] < 4", ""},                          // true of e, which has no row
        {"[Measures].[N] > 4 AND [Measures].[N] <> 9", ""},  // <> is not written
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.text);
        auto const [grid, statement] = filtered(*sql, c.text);
        EXPECT_EQ(grid, filtered(*memory, c.text).first);
        for (std::string const clause : {"LIMIT", "HAVING"}) {
            EXPECT_EQ(statement.find(" " + clause + " ") != std::string::npos,
                      clause == c.lastStatementHas)
                << statement;
        }
    }
}

// The database behind a cube, whose statements, once armed, are one that never ends by itself.
class EndlessWhenArmed final : public sqlcube::Connection {
public:
    EndlessWhenArmed(std::unique_ptr<sqlcube::Connection> real, std::string endless)
        : fReal(std::move(real)), fEndless(std::move(endless)) {}
    sqlcube::Dialect const& dialect() const override { return fReal->dialect(); }
    void execute(std::string const& sql) override { fReal->execute(sql); }
    sqlcube::Rows query(std::string const& sql,
                        std::span<sqlcube::Value const> parameters) override {
        ++fQueries;
        return fArmed ? fReal->query(fEndless) : fReal->query(sql, parameters);
    }
    std::unique_ptr<sqlcube::Inserter> inserter(std::string const& table,
                                                std::vector<std::string> const& columns) override {
        return fReal->inserter(table, columns);
    }
    void cancel() override { fReal->cancel(); }
    std::string const& path() const override { return fReal->path(); }

    std::atomic<bool> fArmed{false};
    std::atomic<int> fQueries{0};

private:
    std::unique_ptr<sqlcube::Connection> fReal;
    std::string fEndless;
};

// A viewpoint on the sample in a fresh database, behind EndlessWhenArmed.
struct ViewedSample {
    ViewedSample(sqlcube_test::Kind kind, std::string const& name, std::string endless) {
        auto db = sqlcube_test::freshDatabase(kind, name);
        sqlcube::createSampleDatabase(*db, sqlcube_test::kSampleFacts);
        auto wrapped = std::make_unique<EndlessWhenArmed>(std::move(db), std::move(endless));
        connection = wrapped.get();
        cube = sqlcube::openCube(std::move(wrapped));
        viewpoint->setCube(cube.get(), 2, 1);
    }
    ~ViewedSample() { viewpoint->setCube(nullptr, 2, 1); }
    ViewedSample(ViewedSample const&) = delete;
    ViewedSample& operator=(ViewedSample const&) = delete;

    support::Ref<ZELT_o::ViewResultSet> query() {
        return support::adopt(viewpoint->query(&properties));
    }

    EndlessWhenArmed* connection = nullptr;  // Owned by the cube.
    support::Ref<memcube::MemCube> cube;
    support::Ref<ZELT_o::Viewpoint> viewpoint = support::adopt(createCommonViewpoint());
    std::vector<ZELT_o::PropertySpecification> properties;
};

class SqlCubeCancelThreads : public sqlcube_test::Backend {};
SQLCUBE_ON_BOTH_BACKENDS(SqlCubeCancelThreads);

// A client cancelling its chunk request from another thread interrupts the statement the
// request waits on; the request delivers nothing, and the next one is answered.
TEST_P(SqlCubeCancelThreads, CancellingAChunkRequestInterruptsItsStatement) {
    ViewedSample sample(GetParam(), "cancel",
                        GetParam() == sqlcube_test::Kind::kSqlite
                            ? "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) "
                              "SELECT COUNT(*) FROM n"
                            : "SELECT pg_sleep(600)");
    EndlessWhenArmed& connection = *sample.connection;
    connection.fArmed = true;
    auto result = sample.query();
    common::SynchronousChunkHandler handler(result.get(), 0, 0);
    auto const start = std::chrono::steady_clock::now();
    std::atomic<bool> fetched{false};
    testing_support::runTogether(2, [&](int t) {
        if (t == 0) {
            handler.StartFetch();
            fetched = true;
            return;
        }
        // Until the statement runs, a cancellation of the request may come before it (and
        // keep it from starting) or find nothing to interrupt; either way the fetch ends.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        handler.CancelChunks();
    });
    EXPECT_TRUE(fetched);
    EXPECT_EQ(handler.GetChunk(), nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    // The statement runs when the result is first read, or its text asked for.
    connection.fArmed = false;
    sample.viewpoint->dropLastQuery();
    int const before = connection.fQueries;
    result = sample.query();
    EXPECT_EQ(connection.fQueries, before);
    EXPECT_NE(sample.viewpoint->retrieveLastQuery(&sample.properties).string().find("GROUP BY"),
              std::string::npos);
    EXPECT_EQ(connection.fQueries, before + 1);
    EXPECT_GT(result->getItemCount(), 0);
    EXPECT_EQ(connection.fQueries, before + 1);
}

// Threads reading one result at once wait for one statement; it runs once.
TEST(SqlCubeThreads, AResultReadFromSeveralThreadsRunsItsStatementOnce) {
    ViewedSample sample(sqlcube_test::Kind::kSqlite, "readers", "");
    EndlessWhenArmed& connection = *sample.connection;
    int const before = connection.fQueries;
    auto const result = sample.query();
    std::atomic<LONG> cells{0};
    testing_support::runTogether(4, [&](int t) {
        if (t % 2 == 0) {
            cells += result->getItemCount();
            return;
        }
        memcube_test::CollectingHandler handler;
        result->requestCellChunks(&handler, 0, 0);
        cells += static_cast<LONG>(handler.chunks.size()) * result->getItemCount();
    });
    EXPECT_EQ(connection.fQueries, before + 1);
    EXPECT_EQ(cells.load(), 4 * result->getItemCount());
}

// A fetch whose statement fails raises the failure, a fetch cancelled before it starts runs
// nothing, and the result is computed when next read.
TEST(SqlCube, AFailedOrCancelledFetchLeavesTheResultToComputeAgain) {
    ViewedSample sample(sqlcube_test::Kind::kSqlite, "refetch", "SELECT nosuch FROM nowhere");
    EndlessWhenArmed& connection = *sample.connection;
    auto const result = sample.query();
    connection.fArmed = true;
    common::SynchronousChunkHandler failing(result.get(), 0, 0);
    sqlcube_test::expectError(sqlcube::kStatementRefused, [&] { failing.StartFetch(); });
    connection.fArmed = false;
    int const before = connection.fQueries;
    common::SynchronousChunkHandler cancelled(result.get(), 0, 0);
    cancelled.CancelChunks();
    cancelled.StartFetch();
    EXPECT_EQ(cancelled.GetChunk(), nullptr);
    EXPECT_EQ(connection.fQueries, before);
    EXPECT_LT(result->getMinimum(), result->getMaximum());
    EXPECT_EQ(connection.fQueries, before + 1);
}

}  // namespace
