// Expression text: lexing alone, parsing into trees, and printing trees, over the test corpus.
// Parsing and printing also report their cost as a multiple of lexing the same text
// ("x_lexing"), measured in the same run.
#include <basekit/BaseError.h>
#include <pova/common/ExpressionBase.h>
#include <pova/support/Ref.h>
#include "expressions/COSLexer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Corpus {
    std::vector<PovaString> texts;
    std::int64_t bytes = 0;
};

// The corpus lines without parameter references, which need a cube with parameters: names
// are read without lookup, so lexing and parsing are measured without a provider's cost.
Corpus const& corpus() {
    static Corpus const loaded = [] {
        Corpus c;
        std::filesystem::path const path =
            std::filesystem::path(__FILE__).parent_path().parent_path() / "tests" / "expressions" /
            "corpus" / "expressions.txt";
        std::ifstream in(path);
        for (std::string line; std::getline(in, line);) {
            if (line.empty() || line[0] == '#' || line.find("<<") != std::string::npos) {
                continue;
            }
            c.texts.emplace_back(line);
            c.bytes += static_cast<std::int64_t>(line.size());
        }
        return c;
    }();
    return loaded;
}

int lex_all(Corpus const& c) {
    int tokens = 0;
    for (PovaString const& text : c.texts) {
        COSLexer lexer(text, nullptr);
        lexer.setLookup(false);
        while (lexer.nextToken() != COSLexer::kEnd) {
            ++tokens;
        }
    }
    return tokens;
}

// CPU time of this thread, so that the ratios do not depend on the machine's load.
double cpu_seconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Seconds one pass of lexing the corpus takes (the best of several passes).
double lexing_seconds() {
    static double const seconds = [] {
        double best = 1e9;
        for (int run = 0; run < 20; ++run) {
            double const start = cpu_seconds();
            for (int pass = 0; pass < 10; ++pass) {
                benchmark::DoNotOptimize(lex_all(corpus()));
            }
            best = std::min(best, (cpu_seconds() - start) / 10);
        }
        return best;
    }();
    return seconds;
}

void report(benchmark::State& state, double seconds) {
    Corpus const& c = corpus();
    state.SetBytesProcessed(state.iterations() * c.bytes);
    double const perPass = seconds / static_cast<double>(state.iterations());
    state.counters["x_lexing"] = perPass / lexing_seconds();
}

void BM_ExpressionLex(benchmark::State& state) {
    Corpus const& c = corpus();
    lexing_seconds();
    double const start = cpu_seconds();
    for (auto _ : state) {
        benchmark::DoNotOptimize(lex_all(c));
    }
    report(state, cpu_seconds() - start);
}
BENCHMARK(BM_ExpressionLex);

// Parsing into new roots; the trees of a pass go away while the clock is stopped.
void BM_ExpressionParse(benchmark::State& state) {
    Corpus const& c = corpus();
    lexing_seconds();
    std::vector<support::Ref<common::ExpressionBase>> trees(c.texts.size());
    double parsing = 0;
    for (auto _ : state) {
        for (auto& tree : trees) {
            tree = support::adopt(new common::ExpressionBase());
        }
        double const start = cpu_seconds();
        for (std::size_t i = 0; i < trees.size(); ++i) {
            benchmark::DoNotOptimize(trees[i]->setTextAndCreateTree(c.texts[i], nullptr, false));
        }
        parsing += cpu_seconds() - start;
        state.PauseTiming();
        for (auto& tree : trees) {
            tree.reset();
        }
        state.ResumeTiming();
    }
    report(state, parsing);
}
BENCHMARK(BM_ExpressionParse);

void BM_ExpressionPrint(benchmark::State& state) {
    Corpus const& c = corpus();
    lexing_seconds();
    std::vector<support::Ref<common::ExpressionBase>> trees;
    for (PovaString const& text : c.texts) {
        trees.push_back(support::adopt(new common::ExpressionBase()));
        trees.back()->setTextAndCreateTree(text, nullptr, false);
    }
    double const start = cpu_seconds();
    for (auto _ : state) {
        for (auto const& tree : trees) {
            benchmark::DoNotOptimize(tree->getTextFromTree());
        }
    }
    report(state, cpu_seconds() - start);
}
BENCHMARK(BM_ExpressionPrint);

}  // namespace
