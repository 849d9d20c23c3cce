// Rendering numbers with a compiled number format, against snprintf("%.2f") on the same values.
// Each pass of the benchmark renders the values both ways, so that the ratio
// ("over_snprintf", format time / snprintf time) is measured in the same run and under the same
// load. Both render into a buffer reused across values, as a grid does. Times are CPU times of
// the benchmark's thread.
#include <pova/common/NumberFormatter.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <random>
#include <string>
#include <vector>

namespace {

// Cell-like values: amounts in cents from 0.01 to ten million, a fifth negative, some zero.
std::vector<double> const& values() {
    static std::vector<double> const made = [] {
        std::mt19937 engine(20240601u);
        std::vector<double> v;
        for (int i = 0; i < 4096; ++i) {
            auto const cents = static_cast<std::int64_t>(engine() % 1000000000u);
            double const magnitude = static_cast<double>(cents >> (engine() % 24)) / 100.0;
            v.push_back(engine() % 5 == 0 ? -magnitude : magnitude);
        }
        return v;
    }();
    return made;
}

double cpu_seconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double snprintf_pass() {
    char buffer[64];
    double const start = cpu_seconds();
    for (double const v : values()) {
        benchmark::DoNotOptimize(std::snprintf(buffer, sizeof buffer, "%.2f", v));
        benchmark::ClobberMemory();
    }
    return cpu_seconds() - start;
}

char const* const kFormats[] = {"0.00", "#,##0.00;(#,##0.00)", "0.00E+00", "General"};

void BM_NumberFormatRender(benchmark::State& state) {
    common::NumberFormatter const formatter(kFormats[state.range(0)]);
    state.SetLabel(formatter.formatString());
    std::string out;
    double formatting = 0;
    double baseline = 0;
    for (auto _ : state) {
        baseline += snprintf_pass();
        double const start = cpu_seconds();
        for (double const v : values()) {
            formatter.render(v, out);
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
        double const seconds = cpu_seconds() - start;
        formatting += seconds;
        state.SetIterationTime(seconds);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values().size()));
    state.counters["over_snprintf"] = formatting / baseline;
}
BENCHMARK(BM_NumberFormatRender)->DenseRange(0, 3)->UseManualTime();

}  // namespace
