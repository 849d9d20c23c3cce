// memcube on the star-schema sample at 1,000,000 and 10,000,000 facts: the grand total, months
// by categories within one region, months by parts, and overlapping periods, in ns per fact
// (real time: the pass may run on several threads; the library prints the figure with an "s",
// its unit for inverted rates). Arguments: facts, threads (0: memcube's own choice). Each size
// of cube is built once.
#include <memcube/MemCube.h>
#include <memcube/StarCube.h>
#include <pova/Dimension.h>
#include <pova/Hierarchy.h>
#include <pova/Level.h>
#include <pova/MemberSet.h>
#include <pova/ViewResultSet.h>
#include <pova/support/Ref.h>

#include <benchmark/benchmark.h>

#include <map>
#include <vector>

namespace {

memcube::MemCube& star(std::size_t facts) {
    static std::map<std::size_t, support::Ref<memcube::MemCube>> cubes;
    auto& cube = cubes[facts];
    if (!cube) {
        cube = memcube::makeStarCube(facts);
    }
    return *cube;
}

std::vector<ZELT_o::Member*> level(memcube::MemCube& cube, char const* dimension,
                                   std::size_t depth) {
    std::vector<ZELT_o::Level*> levels;
    cube.findDimension(dimension)->getDefaultHierarchy()->getLevels(levels);
    auto set = support::adopt(levels.at(depth)->getMemberSet());
    std::vector<ZELT_o::Member*> members;
    set->getMembers(members);
    return members;
}

// The layout of a benchmark on a cube.
using LayoutOf = memcube::Layout (*)(memcube::MemCube&);

void run(benchmark::State& state, LayoutOf layoutOf) {
    auto const facts = static_cast<std::size_t>(state.range(0));
    memcube::MemCube& cube = star(facts);
    memcube::MemCube::setThreadCount(static_cast<unsigned>(state.range(1)));
    memcube::Layout const layout = layoutOf(cube);
    for (auto _ : state) {
        auto result = cube.evaluate(layout);
        benchmark::DoNotOptimize(result.get());
    }
    memcube::MemCube::setThreadCount(0);
    state.counters["ns_per_fact"] = benchmark::Counter(
        static_cast<double>(facts) * 1e-9,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void sizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgNames({"facts", "threads"});
    for (long facts : {1'000'000L, 10'000'000L}) {
        for (long threads : {1L, 2L}) {
            benchmark->Args({facts, threads});
        }
    }
    benchmark->Unit(benchmark::kMillisecond)->UseRealTime();
}

// One cell: Revenue over every fact.
void BM_StarGrandTotal(benchmark::State& state) {
    run(state, [](memcube::MemCube&) { return memcube::Layout{}; });
}
BENCHMARK(BM_StarGrandTotal)->Apply(sizes);

// 84 months by 5 categories, Europe's customers only.
void BM_StarMonthsByCategoriesInEurope(benchmark::State& state) {
    run(state, [](memcube::MemCube& cube) {
        memcube::Layout layout;
        layout.axes = {{{level(cube, "Date", 3)}}, {{level(cube, "Product", 1)}}};
        layout.slices = {cube.findMember("[Customer].[Europe]")};
        return layout;
    });
}
BENCHMARK(BM_StarMonthsByCategoriesInEurope)->Apply(sizes);

// 84 months by 1,000 parts.
void BM_StarMonthsByParts(benchmark::State& state) {
    run(state, [](memcube::MemCube& cube) {
        memcube::Layout layout;
        layout.axes = {{{level(cube, "Date", 3)}}, {{level(cube, "Product", 3)}}};
        return layout;
    });
}
BENCHMARK(BM_StarMonthsByParts)->Apply(sizes);

// Years and their quarters on one axis (each fact in two positions: the general pass) by 5
// categories.
void BM_StarYearsAndQuartersByCategories(benchmark::State& state) {
    run(state, [](memcube::MemCube& cube) {
        std::vector<ZELT_o::Member*> periods = level(cube, "Date", 1);
        for (ZELT_o::Member* quarter : level(cube, "Date", 2)) {
            periods.push_back(quarter);
        }
        memcube::Layout layout;
        layout.axes = {{{periods}}, {{level(cube, "Product", 1)}}};
        return layout;
    });
}
BENCHMARK(BM_StarYearsAndQuartersByCategories)->Apply(sizes);

// Loading the sample: the dimension tables, then the facts generated in place.
void BM_MakeStarCube(benchmark::State& state) {
    memcube::MemCube::setThreadCount(static_cast<unsigned>(state.range(1)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(memcube::makeStarCube(static_cast<std::size_t>(state.range(0))));
    }
    memcube::MemCube::setThreadCount(0);
}
BENCHMARK(BM_MakeStarCube)
    ->ArgNames({"facts", "threads"})
    ->Args({1'000'000, 1})
    ->Args({1'000'000, 2})
    ->Args({10'000'000, 2})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
