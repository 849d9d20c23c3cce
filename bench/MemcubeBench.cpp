// The reference provider on the sample cube: building it, queries with every cell fetched, and
// layout changes. BM_GrandTotal (one pass over the facts, one cell) is the baseline of the query
// figures; BM_SalesMoveAndUndo is read against BM_SalesLayoutCheck, which it runs twice.
#include <memcube/CubeBuilder.h>
#include <memcube/SalesCube.h>
#include <pova/Chunk.h>
#include <pova/ChunkHandler.h>
#include <pova/Dimension.h>
#include <pova/Factories.h>
#include <pova/Hierarchy.h>
#include <pova/Level.h>
#include <pova/MemberSet.h>
#include <pova/common/ViewpointCommon.h>
#include <pova/support/Ref.h>
#include <provkit/ViewpointBase.h>

#include <pova/PropertySpecification.h>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

memcube::MemCube& sales() {
    static support::Ref<memcube::MemCube> cube = memcube::makeSalesCube();
    return *cube;
}

std::vector<ZELT_o::Member*> level(char const* dimension, LONG depth) {
    ZELT_o::Hierarchy* hierarchy = sales().findDimension(dimension)->getDefaultHierarchy();
    std::vector<ZELT_o::Level*> levels;
    hierarchy->getLevels(levels);
    auto set = support::adopt(levels.at(static_cast<std::size_t>(depth))->getMemberSet());
    std::vector<ZELT_o::Member*> members;
    set->getMembers(members);
    return members;
}

// Reads every value of every chunk, as a grid display would.
class Reader : public ZELT_o::ChunkHandler {
public:
    bool handleChunk(ZELT_o::Chunk* chunk, bool) override {
        auto owned = support::adopt(chunk);
        for (LONG i = 0; i < owned->getValueCount(); ++i) {
            VARIANT value;
            owned->getValue(i, &value);
            fSum += value.vt == VT_R8 ? value.dblVal : 0;
            ++fValues;
        }
        return true;
    }
    double fSum = 0;
    long fValues = 0;
};

void run(benchmark::State& state, memcube::Layout const& layout) {
    long cells = 0;
    for (auto _ : state) {
        auto result = sales().evaluate(layout);
        Reader reader;
        result->requestCellChunks(&reader, 0, 2147483647);
        benchmark::DoNotOptimize(reader.fSum);
        cells = reader.fValues;
    }
    state.counters["cells"] = static_cast<double>(cells);
    state.SetItemsProcessed(state.iterations() * static_cast<long>(sales().countFacts()));
}

void BM_MakeSalesCube(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(memcube::makeSalesCube().get());
    }
}
BENCHMARK(BM_MakeSalesCube)->Unit(benchmark::kMillisecond);

void BM_GrandTotal(benchmark::State& state) {
    run(state, memcube::Layout{});
}
BENCHMARK(BM_GrandTotal)->Unit(benchmark::kMicrosecond);

// Months by products: 1,728 cells.
void BM_MonthsByProducts(benchmark::State& state) {
    memcube::Layout layout;
    layout.axes = {{{level("Time", 3)}}, {{level("Product", 3)}}};
    run(state, layout);
}
BENCHMARK(BM_MonthsByProducts)->Unit(benchmark::kMicrosecond);

// Quarters by products nested with cities, one country sliced: 12 x 960 cells.
void BM_QuartersByProductsAndCities(benchmark::State& state) {
    memcube::Layout layout;
    layout.axes = {{{level("Time", 2)}}, {{level("Product", 3), level("Region", 2)}}};
    layout.slices = {sales().findMember("[Measures].[Units]")};
    run(state, layout);
}
BENCHMARK(BM_QuartersByProductsAndCities)->Unit(benchmark::kMicrosecond);

// Months by products and cities without the empty rows: 36 x 960 tuples examined.
void BM_MonthsByProductsAndCitiesNonEmpty(benchmark::State& state) {
    memcube::Layout layout;
    layout.axes = {{{level("Time", 3)}}, {{level("Product", 3), level("Region", 2)}, true}};
    layout.slices = {sales().findMember("[Measures].[Sales]")};
    run(state, layout);
}
BENCHMARK(BM_MonthsByProductsAndCitiesNonEmpty)->Unit(benchmark::kMicrosecond);

// The demo's path: a viewpoint bound to the cube, its default layout queried and read.
void BM_ViewpointQuery(benchmark::State& state) {
    auto viewpoint = support::Ref<common::ViewpointCommon>::adopt(
        static_cast<common::ViewpointCommon*>(createCommonViewpoint()));
    viewpoint->setCube(&sales(), 2, 1);
    for (auto _ : state) {
        std::vector<ZELT_o::PropertySpecification> none;
        auto result = support::adopt(viewpoint->query(&none));
        Reader reader;
        result->requestCellChunks(&reader, 0, 2147483647);
        benchmark::DoNotOptimize(reader.fSum);
    }
    viewpoint->setCube(nullptr, 2, 1);
}
BENCHMARK(BM_ViewpointQuery)->Unit(benchmark::kMicrosecond);

// A layout change on a viewpoint of the sample cube: the paged dimension nested on axis 1, then
// the move undone. Each move asks memcube whether it can serve the new layout.
void BM_SalesMoveAndUndo(benchmark::State& state) {
    auto viewpoint = support::Ref<common::ViewpointCommon>::adopt(
        static_cast<common::ViewpointCommon*>(createCommonViewpoint()));
    viewpoint->setCube(&sales(), 2, 1);
    ZELT_o::DimensionPosition from{2, 0};
    ZELT_o::DimensionPosition to{1, 1};
    for (auto _ : state) {
        viewpoint->doMoveDim(from, to);
        viewpoint->sendEvents();
        viewpoint->doingUndoDimensionMove(from, to);
        viewpoint->doMoveDim(to, from);
        viewpoint->sendEvents();
    }
    state.SetItemsProcessed(state.iterations());
    viewpoint->setCube(nullptr, 2, 1);
}
BENCHMARK(BM_SalesMoveAndUndo);

// What a move asks memcube (twice with its undo): can it serve the layout?
void BM_SalesLayoutCheck(benchmark::State& state) {
    auto viewpoint = support::Ref<common::ViewpointCommon>::adopt(
        static_cast<common::ViewpointCommon*>(createCommonViewpoint()));
    viewpoint->setCube(&sales(), 2, 1);
    common::ViewpointBase* derived = viewpoint->getDerivedViewpoint();
    for (auto _ : state) {
        benchmark::DoNotOptimize(derived->isInError());
    }
    viewpoint->setCube(nullptr, 2, 1);
}
BENCHMARK(BM_SalesLayoutCheck);

}  // namespace
