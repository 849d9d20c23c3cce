#include "Backends.h"
#include "support/Threads.h"

#include <basekit/BaseError.h>
#include <pova/Member.h>
#include <pova/ViewResultSet.h>
#include <sqlcube/Errors.h>
#include <sqlcube/SampleLoader.h>
#include <sqlcube/SqlCube.h>

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

// What a user's dimension table may hold: a NULL level value is refused by name; an empty
// table, duplicate rows, empty and odd names and a fact key without a row make a cube whose
// members' sums are those of their facts.
TEST(SqlCube, DimensionRowsOfEveryKindMakeRightMembersOrAClearError) {
    using Rows = std::vector<std::pair<std::int64_t, sqlcube::Value>>;
    struct Case {
        char const* name;
        Rows members;                                              // Key, level value.
        std::vector<std::pair<std::int64_t, std::int64_t>> facts;  // Key, amount.
        unsigned error;
        std::map<std::string, double> sums;  // By member name.
    };
    std::string const odd = "\xc3\xbc;\"' --";
    Case const cases[] = {
        {"null",
         {{0, "a"}, {1, std::monostate{}}},
         {{0, 1}, {1, 2}},
         sqlcube::kDescriptionInvalid,
         {}},
        {"empty", {}, {}, 0, {}},
        {"odd",
         {{0, "a"}, {1, "a"}, {2, ""}, {3, odd}},
         {{0, 1}, {1, 2}, {2, 4}, {3, 8}, {9, 16}},
         0,
         {{"a", 3}, {"", 4}, {odd, 8}}},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        auto db = sqlcube_test::freshDatabase(sqlcube_test::Kind::kSqlite, c.name);
        db->execute("CREATE TABLE d (k INTEGER, v TEXT); CREATE TABLE f (k INTEGER, n INTEGER)");
        for (auto const& [key, value] : c.members) {
            db->inserter("d", {"k", "v"})->add(std::vector<sqlcube::Value>{key, value});
        }
        for (auto const& [key, amount] : c.facts) {
            db->inserter("f", {"k", "n"})->add(std::vector<sqlcube::Value>{key, amount});
        }
        sqlcube::SchemaDescription const description{
            "C", "f", {{"D", "d", "k", {{"V", "v"}}, "k"}}, {{"N", "n", "", "SUM", 0}}};
        if (c.error != 0) {
            sqlcube_test::expectError(c.error,
                                      [&] { sqlcube::openCube(std::move(db), description); });
            continue;
        }
        auto const cube = sqlcube::openCube(std::move(db), description);
        memcube::Layout layout;
        auto& nest = layout.axes.emplace_back().nests.emplace_back();
        for (auto const& [name, sum] : c.sums) {
            nest.push_back(cube->findMember(PovaString("[D].[" + name + "]")));
            ASSERT_NE(nest.back(), nullptr) << name;
        }
        struct Sink final : memcube::CellSink {
            std::map<std::int64_t, double> cells;
            void add(std::int64_t cell, double value) override { cells[cell] += value; }
        } sink;
        cube->factSource()->aggregate(*cube, layout, sink);
        std::map<std::string, double> sums;
        for (auto const& [cell, value] : sink.cells) {
            sums[nest[static_cast<std::size_t>(cell)]->getName().string()] = value;
        }
        EXPECT_EQ(sums, c.sums);
    }
}

// A description no cube can have is refused as a description, whatever part is wrong.
TEST(SqlCube, ADescriptionNoCubeCanHaveIsRefused) {
    auto db = sqlcube_test::freshDatabase(sqlcube_test::Kind::kSqlite, "refused");
    db->execute(
        "CREATE TABLE d (k INTEGER, v TEXT, w TEXT); CREATE TABLE f (k INTEGER, n INTEGER)");
    sqlcube::DimensionDescription const d{"D", "d", "k", {{"V", "v"}}, "k"};
    sqlcube::MeasureDescription const n{"N", "n", "", "SUM", 0};
    sqlcube::DimensionDescription twoLevels = d;
    twoLevels.levels.push_back({"V", "w"});
    sqlcube::SchemaDescription const cases[] = {
        {"no measure", "f", {d}, {}},
        {"two dimensions", "f", {d, d}, {n}},
        {"two measures", "f", {d}, {n, n}},
        {"a dimension named Measures", "f", {{"Measures", "d", "k", {{"V", "v"}}, "k"}}, {n}},
        {"two levels", "f", {twoLevels}, {n}},
    };
    auto const path = db->path();
    for (sqlcube::SchemaDescription const& description : cases) {
        SCOPED_TRACE(description.cube);
        sqlcube_test::expectError(sqlcube::kDescriptionInvalid, [&] {
            sqlcube::openCube(sqlcube::openSqlite(path), description);
        });
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

// A server session lost mid-query raises, and the cube's next query runs on a new one.
TEST(SqlCube, ACubeAnswersAgainAfterItsServerSessionIsLost) {
    auto connection = sqlcube_test::freshDatabase(sqlcube_test::Kind::kPostgres, "lostcube");
    auto const killer = sqlcube_test::freshDatabase(sqlcube_test::Kind::kPostgres, "lostkiller");
    sqlcube::createSampleDatabase(*connection, 100);
    auto const cube = sqlcube::openCube(std::move(connection));
    memcube::Layout layout;
    layout.axes.emplace_back().nests = {{cube->findMember(PovaString("1995"))}};
    EXPECT_EQ(cube->evaluate(layout)->getItemCount(), 1);
    killer->query(
        "SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
        "WHERE datname = 'lostcube'");
    sqlcube_test::expectError(sqlcube::kConnectionLost, [&] { cube->evaluate(layout); });
    EXPECT_EQ(cube->evaluate(layout)->getItemCount(), 1);
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

}  // namespace
