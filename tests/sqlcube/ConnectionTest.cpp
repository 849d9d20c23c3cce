// Connections, descriptions and their errors on both backends: what a user's names cannot do
// to a statement, what a wrong description, refused SQL, a cancellation and a lost server
// raise.
#include "Backends.h"

#include <sqlcube/Errors.h>
#include <sqlcube/SchemaDescription.h>
#include <sqlcube/SqlEngine.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

namespace {

using namespace sqlcube;
using namespace sqlcube_test;

class Connections : public Backend {};
SQLCUBE_ON_BOTH_BACKENDS(Connections);

TEST_P(Connections, HostileNamesAreBoundAndCannotChangeTheStatement) {
    std::string const kNation = "O'Brien; DROP TABLE sales; --";
    std::string const kCity = "Zürich \"Ost\"";
    auto db = freshDatabase(GetParam(), "hostile");
    // Identifiers with a quote and a blank, values with quotes, semicolons and non-ASCII text.
    SchemaDescription description{
        "Odd \"cube\"",
        "sales",
        {{"Place", "place \"dim\"", "id", {{"Nation", "na\"tion"}, {"City", "city"}}, "place"}},
        {{"Amount", "amount", "0", "SUM", 0}}};
    db->execute("CREATE TABLE \"place \"\"dim\"\"\" (id INTEGER, \"na\"\"tion\" TEXT, city TEXT)");
    db->execute("CREATE TABLE sales (place INTEGER, amount INTEGER)");
    auto places = db->inserter("place \"dim\"", {"id", "na\"tion", "city"});
    places->add(std::vector<Value>{std::int64_t{0}, kNation, kCity});
    places->add(std::vector<Value>{std::int64_t{1}, kNation, "Cork\ttab\\slash"});
    places->finish();
    auto facts = db->inserter("sales", {"place", "amount"});
    for (std::int64_t amount : {5, 7, 11}) {
        facts->add(std::vector<Value>{amount == 11 ? std::int64_t{1} : std::int64_t{0}, amount});
    }
    facts->finish();
    storeDescription(*db, description);
    SqlEngine engine(*db);
    EXPECT_EQ(engine.description(), description);
    MemberRef const nation{"Place", "Nation", {kNation}};
    MemberRef const city{"Place", "City", {kNation, kCity}};
    MemberRef const cork{"Place", "City", {kNation, "Cork\ttab\\slash"}};
    QueryResult const result =
        engine.run({{{{{nation, city, cork}}, true, {}, {}, {}, {}}}, {}, {"Amount"}});
    EXPECT_EQ(result.value({{nation}}, 0), 23);
    EXPECT_EQ(result.value({{city}}, 0), 12);
    EXPECT_EQ(result.value({{cork}}, 0), 11);
    EXPECT_EQ(engine.lastQuery().find("Brien"), std::string::npos);
    EXPECT_EQ(engine.lastQuery().find("Zürich"), std::string::npos);
    EXPECT_EQ(db->query("SELECT COUNT(*) FROM sales").integer(0, 0), 3);
}

TEST_P(Connections, DescriptionsAreReadFromTheTableThenTheFileAndChecked) {
    auto db = freshDatabase(GetParam(), "described");
    expectError(kDescriptionMissing, [&] { readDescription(*db); });
    SchemaDescription const sample = describeSample();
    EXPECT_EQ(SchemaDescription::fromXml(sample.toXml()), sample);
    for (char const* bad :
         {"not xml", "<cube name='x'/>",
          "<cube name='x'><facts table='f'/><dimension name='d'/></cube>",
          "<cube name='x'><facts table='f'><key dimension='d' column='k'/></facts></cube>",
          "<cube name='x'><facts table='f'><measure name='m' column='m' "
          "scale='two'/></facts></cube>"}) {
        expectError(kDescriptionInvalid, [bad] { SchemaDescription::fromXml(bad); });
    }
    // A description stored again takes the place of the one there.
    SchemaDescription renamed = sample;
    renamed.cube = "Other";
    storeDescription(*db, sample);
    storeDescription(*db, renamed);
    Rows const stored = db->query("SELECT description FROM pova_cube");
    ASSERT_EQ(stored.rowCount(), 1u);
    EXPECT_EQ(SchemaDescription::fromXml(stored.text(0, 0)), renamed);

    Connection& loaded = sampleDatabase(GetParam());
    EXPECT_EQ(readDescription(loaded), sample);
    SchemaDescription wrongTable = sample;
    wrongTable.dimensions[1].table = "client_dim";
    EXPECT_EQ(expectError(kTableMissing, [&] { checkDescription(loaded, wrongTable); }),
              "client_dim");
    SchemaDescription wrongColumn = sample;
    wrongColumn.measures[0].column = "revenue_eur";
    EXPECT_EQ(expectError(kColumnMissing, [&] { checkDescription(loaded, wrongColumn); }),
              "revenue_eur");
    SchemaDescription wrongLevel = sample;
    wrongLevel.dimensions[0].levels[2].column = "mnth";
    EXPECT_EQ(expectError(kColumnMissing, [&] { checkDescription(loaded, wrongLevel); }), "mnth");

    if (GetParam() == Kind::kSqlite) {
        // A file database without the table reads the file beside it.
        loaded.execute("DROP TABLE pova_cube");
        writeDescriptionFile(descriptionFile(loaded.path()), sample);
        EXPECT_EQ(readDescription(loaded), sample);
        storeDescription(loaded, sample);
    }
}

TEST_P(Connections, OpeningAMissingDatabaseFails) {
    if (GetParam() == Kind::kSqlite) {
        EXPECT_EQ(expectError(kDatabaseNotOpened, [] { openSqlite("/nonexistent/cube.db"); }),
                  "/nonexistent/cube.db");
        // Nor is a file that is not a database taken for one without a description.
        std::string const path = freshDatabase(Kind::kSqlite, "text")->path();
        std::ofstream(path) << "not a database, but long enough to look like a header\n";
        EXPECT_EQ(expectError(kDatabaseNotOpened, [&] { readDescription(*openSqlite(path)); }),
                  path);
    } else {
        std::string const info =
            freshDatabase(Kind::kPostgres, "x") != nullptr ? "host=/nonexistent dbname=x" : "";
        EXPECT_NE(expectError(kServerUnreachable, [&] { openPostgres(info); }), "");
    }
}

TEST_P(Connections, RefusedStatementsRaiseWithTheDriversMessageAndLoadNothingHalfway) {
    auto db = freshDatabase(GetParam(), "refused");
    std::string const message =
        expectError(kStatementRefused, [&] { db->query("SELECT nosuch FROM nowhere"); });
    EXPECT_NE(message.find("nowhere"), std::string::npos) << message;
    db->execute("CREATE TABLE t (n INTEGER NOT NULL)");
    expectError(kStatementRefused, [&] {
        Transaction transaction(*db);
        auto rows = db->inserter("t", {"n"});
        rows->add(std::vector<Value>{std::int64_t{1}});
        rows->add(std::vector<Value>{std::monostate{}});
        rows->finish();
        transaction.commit();
    });
    EXPECT_EQ(db->query("SELECT COUNT(*) FROM t").integer(0, 0), 0);
}

// The session lost raises once; the next statement runs on a new one.
void lose_session(Connection& db) {
    auto killer = freshDatabase(Kind::kPostgres, "killer");
    Value const pid = db.query("SELECT pg_backend_pid()").integer(0, 0);
    killer->query("SELECT pg_terminate_backend($1)", std::span<Value const>(&pid, 1));
    EXPECT_NE(expectError(kConnectionLost, [&] { db.query("SELECT 1"); }), "");
    EXPECT_NE(db.query("SELECT pg_backend_pid()").integer(0, 0), std::get<std::int64_t>(pid));
}

TEST(PostgresConnection, AServerThatGoesAwayIsALostConnection) {
    lose_session(*freshDatabase(Kind::kPostgres, "lost"));
}

class SqlcubeThreads : public Backend {};
SQLCUBE_ON_BOTH_BACKENDS(SqlcubeThreads);

// Also once a lost server session has been replaced.
TEST_P(SqlcubeThreads, CancelInterruptsARunningQueryFromAnotherThread) {
    auto db = freshDatabase(GetParam(), "slow");
    if (GetParam() == Kind::kPostgres) {
        lose_session(*db);
    }
    std::string const slow =
        GetParam() == Kind::kSqlite
            ? "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) "
              "SELECT COUNT(*) FROM n"
            : "SELECT pg_sleep(60)";
    std::atomic<bool> done{false};
    std::thread canceller([&] {
        // Until the query has started, a cancellation finds nothing to interrupt.
        while (!done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            db->cancel();
        }
    });
    auto const start = std::chrono::steady_clock::now();
    expectError(kQueryCancelled, [&] { db->query(slow); });
    done = true;
    canceller.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_EQ(db->query("SELECT 1").integer(0, 0), 1);
}

// A SQLite writer waits for another connection's write lock rather than failing at once.
TEST(SqliteConnectionThreads, AWriterWaitsForAnotherWritersLock) {
    auto first = freshDatabase(Kind::kSqlite, "busy");
    first->execute("CREATE TABLE t (x INTEGER)");
    auto const second = openSqlite(first->path());
    first->execute("BEGIN IMMEDIATE; INSERT INTO t VALUES (1)");
    std::thread committer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        first->execute("COMMIT");
    });
    EXPECT_NO_THROW(second->execute("INSERT INTO t VALUES (2)"));
    committer.join();
    EXPECT_EQ(second->query("SELECT COUNT(*) FROM t").integer(0, 0), 2);
}

}  // namespace
