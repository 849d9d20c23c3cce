// A statistics summary and a best-fit trend line over 100,000 values, against a plain sort of
// the same values (the baseline: the summary sorts them once, and every fit is a few linear
// passes on top of it).
#include <pova/common/StatisticsMath.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

using namespace common::statistics;

constexpr std::size_t kCount = 100000;

// Positive, so that the best fit tries every family.
std::vector<double> const& values() {
    static std::vector<double> const kValues = [] {
        std::mt19937_64 random(20080913);
        std::uniform_real_distribution<double> noise(0.5, 1.5);
        std::vector<double> v(kCount);
        for (std::size_t i = 0; i < kCount; ++i) {
            v[i] = (10 + 0.01 * static_cast<double>(i)) * noise(random);
        }
        return v;
    }();
    return kValues;
}

void BM_SortBaseline(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<double> v = values();
        std::sort(v.begin(), v.end());
        benchmark::DoNotOptimize(v.data());
    }
}
BENCHMARK(BM_SortBaseline)->Unit(benchmark::kMillisecond);

void BM_SummaryAndBestFit(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<double> v = values();
        Trend trend;
        CalcTrend(kBestFit, v, false, false, trend);
        Summary const summary = CalcStatisticsSummary(v);
        benchmark::DoNotOptimize(summary.median);
        benchmark::DoNotOptimize(trend.goodFit);
    }
}
BENCHMARK(BM_SummaryAndBestFit)->Unit(benchmark::kMillisecond);

}  // namespace
