// Expression text: lexing alone, parsing into trees, and printing trees, over the test corpus.
// Parsing and printing report their cost as a multiple of lexing the same text
// ("parse_over_lex", "print_over_lex"): each pass of the benchmark also lexes the corpus once,
// so that both are measured in the same run and under the same load. Times are CPU times of
// the benchmark's thread. Printing deep trees checks that printing stays linear in the depth.
#include <basekit/BaseError.h>
#include <pova/common/ExpressionBase.h>
#include <pova/support/Ref.h>
#include "expressions/COSLexer.h"

#include <benchmark/benchmark.h>

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

// CPU time of this thread, so that the figures do not depend on the machine's load.
double cpu_seconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Seconds one pass of lexing the corpus takes, measured after a pass that warms the caches up,
// as the pass parsing or printing is compared with is.
double lex_pass() {
    benchmark::DoNotOptimize(lex_all(corpus()));
    double const start = cpu_seconds();
    benchmark::DoNotOptimize(lex_all(corpus()));
    return cpu_seconds() - start;
}

using Tree = support::Ref<common::ExpressionBase>;

Tree parsed(PovaString const& text) {
    Tree tree = support::adopt(new common::ExpressionBase());
    tree->setTextAndCreateTree(text, nullptr, false);
    return tree;
}

void BM_ExpressionLex(benchmark::State& state) {
    Corpus const& c = corpus();
    for (auto _ : state) {
        state.SetIterationTime(lex_pass());
    }
    state.SetBytesProcessed(state.iterations() * c.bytes);
}
BENCHMARK(BM_ExpressionLex)->UseManualTime();

// Parsing into new roots; making the roots and tearing the trees down is not counted.
void BM_ExpressionParse(benchmark::State& state) {
    Corpus const& c = corpus();
    std::vector<Tree> trees(c.texts.size());
    double parsing = 0;
    double lexing = 0;
    for (auto _ : state) {
        for (auto& tree : trees) {
            tree = support::adopt(new common::ExpressionBase());
        }
        lexing += lex_pass();
        double const start = cpu_seconds();
        for (std::size_t i = 0; i < trees.size(); ++i) {
            benchmark::DoNotOptimize(trees[i]->setTextAndCreateTree(c.texts[i], nullptr, false));
        }
        double const seconds = cpu_seconds() - start;
        parsing += seconds;
        state.SetIterationTime(seconds);
        for (auto& tree : trees) {
            tree.reset();
        }
    }
    state.SetBytesProcessed(state.iterations() * c.bytes);
    state.counters["parse_over_lex"] = parsing / lexing;
}
BENCHMARK(BM_ExpressionParse)->UseManualTime();

void BM_ExpressionPrint(benchmark::State& state) {
    Corpus const& c = corpus();
    std::vector<Tree> trees;
    for (PovaString const& text : c.texts) {
        trees.push_back(parsed(text));
    }
    double printing = 0;
    double lexing = 0;
    for (auto _ : state) {
        lexing += lex_pass();
        double const start = cpu_seconds();
        for (auto const& tree : trees) {
            benchmark::DoNotOptimize(tree->getTextFromTree());
        }
        double const seconds = cpu_seconds() - start;
        printing += seconds;
        state.SetIterationTime(seconds);
    }
    state.SetBytesProcessed(state.iterations() * c.bytes);
    state.counters["print_over_lex"] = printing / lexing;
}
BENCHMARK(BM_ExpressionPrint)->UseManualTime();

// "x AND Abs ( x AND Abs ( ... ) )": each operand of AND starts with a keyword that needs a
// blank before it, the case a printer that inserts into its output makes quadratic.
void BM_ExpressionPrintDeep(benchmark::State& state) {
    using ZELT_o::Expression;
    Tree const root = support::adopt(new common::ExpressionBase());
    Expression* node = root.get();
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        node->setType(Expression::kAnd);
        node->AddNewChild()->setType(Expression::kBoolean);
        node = node->AddNewChild();
        node->setType(Expression::kAbs);
        node = node->AddNewChild();
    }
    node->setType(Expression::kBoolean);
    for (auto _ : state) {
        double const start = cpu_seconds();
        benchmark::DoNotOptimize(root->getTextFromTree());
        state.SetIterationTime(cpu_seconds() - start);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ExpressionPrintDeep)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->UseManualTime()
    ->Complexity(benchmark::oN);

}  // namespace
