// The SQL provider's engine on the sample at 1,000,000 facts, on SQLite and on PostgreSQL (a
// throwaway server): the pivot "months by product category, sliced on Europe", read against
// BM_SqlcubeScan, one ungrouped sum over the fact table on the same backend. BM_SqlcubeLoad
// times the loader once. BM_SqlcubeRank reads the parts' revenue in Europe, whole or the ten
// best (ORDER BY and LIMIT), as a TopCount filter's measure table does. BM_SqlcubeMixed: every
// year, quarter and month by category in Europe, three levels on one axis. The statement each
// backend ran is written to standard error.
#include "PostgresCluster.h"

#include <sqlcube/SampleLoader.h>
#include <sqlcube/SqlEngine.h>

#include <starschema/StarSchema.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

namespace {

using namespace sqlcube;

constexpr std::size_t kFacts = 1'000'000;
enum Backend { kSqlite, kPostgres };

struct Database {
    std::unique_ptr<Connection> connection;
    double loadSeconds = 0;
};

std::string sqlite_file() {
    static struct Directory {
        std::string path;
        Directory() {
            std::string pattern = std::filesystem::temp_directory_path() / "pova-bench-XXXXXX";
            path = mkdtemp(pattern.data()) != nullptr ? pattern : ".";
        }
        ~Directory() {
            std::error_code error;
            std::filesystem::remove_all(path, error);
        }
    } const directory;
    return directory.path + "/sample.db";
}

Database& database(Backend backend) {
    static std::map<Backend, Database> databases;
    Database& database = databases[backend];
    if (database.connection == nullptr) {
        database.connection =
            backend == kSqlite
                ? openSqlite(sqlite_file(), true)
                : openPostgres(
                      sqlcube_testing::PostgresCluster::instance().createDatabase("bench"));
        auto const start = std::chrono::steady_clock::now();
        createSampleDatabase(*database.connection, kFacts);
        database.loadSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    return database;
}

// Every month of the sample by every product category, sliced on the region Europe.
// Every month against every category, sliced on Europe. With `wholeLevels`, the query says
// that both lists are whole levels, as the cubes' fact source does, so that no WHERE names them.
QuerySpec pivot(bool wholeLevels) {
    QuerySpec spec;
    spec.axes.resize(2);
    auto const& dates = starschema::dimensions()[starschema::kDate];
    spec.axes[0].nests.emplace_back();
    for (auto const& row : dates.rows) {
        std::vector<std::string> path(row.begin(), row.begin() + 3);
        if (spec.axes[0].nests[0].empty() || spec.axes[0].nests[0].back().path != path) {
            spec.axes[0].nests[0].push_back({dates.name, dates.levels[2], path});
        }
    }
    auto const& products = starschema::dimensions()[starschema::kProduct];
    spec.axes[1].nests.emplace_back();
    for (auto const& row : products.rows) {
        if (spec.axes[1].nests[0].empty() || spec.axes[1].nests[0].back().path[0] != row[0]) {
            spec.axes[1].nests[0].push_back({products.name, products.levels[0], {row[0]}});
        }
    }
    if (wholeLevels) {
        spec.axes[0].wholeLevels = {{dates.levels[2]}};
        spec.axes[1].wholeLevels = {{products.levels[0]}};
    }
    spec.slices.push_back({"Customer", "Region", {"Europe"}});
    spec.measures = {"Revenue"};
    return spec;
}

void BM_SqlcubeLoad(benchmark::State& state, Backend backend) {
    for (auto _ : state) {
        state.SetIterationTime(database(backend).loadSeconds);
    }
    state.counters["facts"] = static_cast<double>(kFacts);
}

void BM_SqlcubeScan(benchmark::State& state, Backend backend) {
    Connection& connection = *database(backend).connection;
    for (auto _ : state) {
        benchmark::DoNotOptimize(connection.query("SELECT SUM(revenue) FROM sales").integer(0, 0));
    }
}

void BM_SqlcubePivot(benchmark::State& state, Backend backend, bool wholeLevels) {
    Connection& connection = *database(backend).connection;
    SqlEngine engine(connection, describeSample());
    QuerySpec const spec = pivot(wholeLevels);
    std::size_t cells = 0;
    for (auto _ : state) {
        cells = engine.run(spec).cellCount();
    }
    state.counters["cells"] = static_cast<double>(cells);
    std::fprintf(stderr, "%s ran: %s\n", connection.dialect().name(), engine.lastQuery().c_str());
}

void BM_SqlcubeRank(benchmark::State& state, Backend backend, bool narrowed) {
    Connection& connection = *database(backend).connection;
    SqlEngine engine(connection, describeSample());
    QuerySpec spec;
    auto const& products = starschema::dimensions()[starschema::kProduct];
    QueryAxis& axis = spec.axes.emplace_back();
    axis.nests.emplace_back();
    for (auto const& row : products.rows) {
        axis.nests[0].push_back({products.name, products.levels[2], row});
    }
    axis.wholeLevels = {{products.levels[2]}};
    if (narrowed) {
        axis.sort = AxisSort{"Revenue", true};
        axis.top = 11;
    }
    spec.slices.push_back({"Customer", "Region", {"Europe"}});
    spec.measures = {"Revenue"};
    std::size_t cells = 0;
    for (auto _ : state) {
        cells = engine.run(spec).cellCount();
    }
    state.counters["cells"] = static_cast<double>(cells);
}

void BM_SqlcubeMixed(benchmark::State& state, Backend backend) {
    Connection& connection = *database(backend).connection;
    SqlEngine engine(connection, describeSample());
    QuerySpec spec = pivot(true);
    auto const& dates = starschema::dimensions()[starschema::kDate];
    std::vector<MemberRef> periods;
    for (auto const& row : dates.rows) {
        for (std::size_t level = 0; level < 3; ++level) {
            std::vector<std::string> path(row.begin(), row.begin() + static_cast<long>(level) + 1);
            if (std::none_of(periods.end() - std::min<long>(3, std::ssize(periods)), periods.end(),
                             [&](MemberRef const& m) { return m.path == path; })) {
                periods.push_back({dates.name, dates.levels[level], path});
            }
        }
    }
    spec.axes[0].nests[0] = periods;
    spec.axes[0].wholeLevels = {{dates.levels[0], dates.levels[1], dates.levels[2]}};
    std::size_t cells = 0;
    for (auto _ : state) {
        cells = engine.run(spec).cellCount();
    }
    state.counters["cells"] = static_cast<double>(cells);
}

BENCHMARK_CAPTURE(BM_SqlcubeLoad, sqlite, kSqlite)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SqlcubeScan, sqlite, kSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SqlcubePivot, sqlite_lists, kSqlite, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SqlcubePivot, sqlite, kSqlite, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SqlcubeRank, sqlite_whole, kSqlite, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SqlcubeRank, sqlite_best, kSqlite, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SqlcubeMixed, sqlite, kSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SqlcubeLoad, postgres, kPostgres)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SqlcubeScan, postgres, kPostgres)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SqlcubePivot, postgres_lists, kPostgres, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SqlcubePivot, postgres, kPostgres, true)->Unit(benchmark::kMillisecond);

BENCHMARK_CAPTURE(BM_SqlcubeRank, postgres_whole, kPostgres, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SqlcubeRank, postgres_best, kPostgres, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SqlcubeMixed, postgres, kPostgres)->Unit(benchmark::kMillisecond);

}  // namespace
