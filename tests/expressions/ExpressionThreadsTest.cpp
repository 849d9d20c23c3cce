// Parses in several threads at once: they share no parser state, while the lexer's calls into
// the cube, which need not be thread-safe, never overlap.
#include "ExpressionTestCube.h"
#include "ExpressionTestHelpers.h"
#include "support/Threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

using namespace expression_test;

namespace {

// The sales cube behind a watch that counts the calls into it and those that overlap another;
// a caller classifying "[Block]" says so and waits inside until released.
class WatchfulCube : public TestCube {
public:
    LONG classifyName(PovaString& name) const override {
        enter();
        if (name == PovaString("[Block]")) {
            fBlocked.set_value();
            fTimedOut = fReleased.wait_for(std::chrono::seconds(20)) != std::future_status::ready;
        }
        std::this_thread::yield();
        LONG const nameClass = fSales->classifyName(name);
        fInside = false;
        return nameClass;
    }
    void getParameters(std::vector<ZELT_o::Parameter*>& parameters) const override {
        enter();
        fSales->getParameters(parameters);
        fInside = false;
    }

    mutable std::atomic<int> fCalls{0};
    mutable std::atomic<int> fOverlaps{0};
    mutable std::atomic<bool> fInside{false};
    mutable std::promise<void> fBlocked;
    std::promise<void> fRelease;
    std::future<void> const fReleased = fRelease.get_future();
    mutable bool fTimedOut = false;  // Written by the blocked caller, read once it is joined.
    support::Ref<TestCube> const fSales = makeSalesCube();

private:
    void enter() const {
        ++fCalls;
        fOverlaps += fInside.exchange(true) ? 1 : 0;
    }
};

// Every thread parses the whole corpus, each from another place in it.
TEST(ExpressionParseThreads, ProviderCallsNeverOverlap) {
    auto const cube = support::adopt(new WatchfulCube());
    auto const lines = corpus("expressions.txt");
    std::vector<std::string> expected;
    for (auto const& [number, line] : lines) {
        expected.push_back(shape(parse(PovaString(line), cube.get(), true).get()));
    }
    std::atomic<int> mismatches{0};
    testing_support::runTogether(4, [&](int t) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            std::size_t const at = (i + 67 * static_cast<std::size_t>(t)) % lines.size();
            Tree const tree = parse(PovaString(lines[at].second), cube.get(), true);
            mismatches += shape(tree.get()) != expected[at];
        }
    });
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(cube->fOverlaps.load(), 0);
    EXPECT_GT(cube->fCalls.load(), 4 * static_cast<int>(lines.size()));
}

// While one parse waits inside the cube, another (that needs no cube) runs to its end.
TEST(ExpressionParseThreads, ParsingTakesNoGlobalLock) {
    auto const cube = support::adopt(new WatchfulCube());
    std::future<void> blocked = cube->fBlocked.get_future();
    std::thread waiting([&] { parse("Abs( [Block] )", cube.get(), true); });
    blocked.wait();
    EXPECT_EQ(shape(parse("a + Abs( b )").get()), "158(193[a],164(193[b]))");
    cube->fRelease.set_value();
    waiting.join();
    EXPECT_FALSE(cube->fTimedOut);
}

}  // namespace
