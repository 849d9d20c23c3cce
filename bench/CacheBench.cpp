// The result cache: a hit on the oldest entry (the worst case of a newest-first scan) with 1,
// 100 and 10,000 entries, and a miss. Read BM_CacheHit/10000 against BM_CacheHit/1.
#include <pova/PropertySpecification.h>
#include <pova/ViewResultSet.h>
#include <pova/support/Ref.h>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "viewpoint/CacheCommon.h"

namespace {

class BenchResult final : public ZELT_o::ViewResultSet {
public:
    BenchResult() : ZELT_o::ViewResultSet("BenchResult", 0) {}
    LONG getAxisCount() const override { return 0; }
    LONG getAxisLength(LONG) const override { return 0; }
    LONG getItemCount() const override { return 0; }
    void markDiscarded(bool) override {}
    double getMinimum() const override { return 0; }
    double getMaximum() const override { return 0; }
    void requestAxisChunks(ZELT_o::ChunkHandler*, LONG, LONG, LONG) override {}
    void requestCellChunks(ZELT_o::ChunkHandler*, LONG, LONG) override {}
};

// A realistic key: a property of its own, then two that every list shares.
std::vector<ZELT_o::PropertySpecification> key(int i) {
    std::vector<ZELT_o::PropertySpecification> list(3);
    list[0].name = PovaString("Property" + std::to_string(i));
    list[1].name = "FORMATTED_VALUE";
    list[2].name = "FORE_COLOR";
    for (auto& property : list) {
        property.operation = ZELT_o::kPropertyOperationValue;
    }
    return list;
}

void fill(common::CacheCommon& cache, int entries) {
    auto result = support::adopt(new BenchResult);
    for (int i = 0; i < entries; ++i) {
        auto const list = key(i);
        cache.addData(result.get(), &list);
    }
}

void BM_CacheHit(benchmark::State& state) {
    common::CacheCommon cache;
    fill(cache, static_cast<int>(state.range(0)));
    auto const oldest = key(0);
    for (auto _ : state) {
        auto hit = support::adopt(cache.findData(&oldest));
        benchmark::DoNotOptimize(hit.get());
    }
}
BENCHMARK(BM_CacheHit)->Arg(1)->Arg(100)->Arg(10000);

void BM_CacheMiss(benchmark::State& state) {
    common::CacheCommon cache;
    fill(cache, static_cast<int>(state.range(0)));
    auto const absent = key(-1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(cache.findData(&absent));
    }
}
BENCHMARK(BM_CacheMiss)->Arg(1)->Arg(10000);

}  // namespace
