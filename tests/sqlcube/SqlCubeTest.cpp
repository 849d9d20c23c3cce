#include "Backends.h"
#include "support/Threads.h"

#include <basekit/BaseError.h>
#include <pova/ViewResultSet.h>
#include <sqlcube/Errors.h>
#include <sqlcube/SampleLoader.h>
#include <sqlcube/SqlCube.h>

#include <atomic>

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
