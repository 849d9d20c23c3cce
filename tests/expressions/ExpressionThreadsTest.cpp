// Parses in several threads at once: they share no parser state, while the lexer's calls into
// the cube, which need not be thread-safe, never overlap.
#include "ExpressionTestCube.h"
#include "ExpressionTestHelpers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace expression_test;

namespace {

// A cube that notices two of its calls running at once, and can hold a caller inside
// classifyName until released.
class WatchfulCube : public TestCube {
public:
    LONG classifyName(PovaString& name) const override {
        enter();
        if (name == PovaString("[Block]")) {
            std::unique_lock<std::mutex> lock(fMutex);
            fBlocked = true;
            fChanged.notify_all();
            fTimedOut =
                !fChanged.wait_for(lock, std::chrono::seconds(20), [&] { return fReleased; });
        }
        std::this_thread::yield();
        LONG const nameClass = TestCube::classifyName(name);
        fInside = false;
        return nameClass;
    }
    void getParameters(std::vector<ZELT_o::Parameter*>& parameters) const override {
        enter();
        TestCube::getParameters(parameters);
        fInside = false;
    }

    mutable std::atomic<int> fCalls{0};
    mutable std::atomic<int> fOverlaps{0};
    mutable std::atomic<bool> fInside{false};
    mutable std::mutex fMutex;
    mutable std::condition_variable fChanged;
    mutable bool fBlocked = false;   // Guarded by fMutex.
    mutable bool fReleased = false;  // Guarded by fMutex.
    mutable bool fTimedOut = false;  // Guarded by fMutex.

private:
    void enter() const {
        ++fCalls;
        if (fInside.exchange(true)) {
            ++fOverlaps;
        }
    }
};

TEST(ExpressionParseThreads, ProviderCallsNeverOverlap) {
    auto const cube = support::adopt(new WatchfulCube());
    cube->addName("Sales", 5);
    cube->addParameter("Year", 6);
    char const* const texts[] = {
        "[Measures].[Sales] * <<Year>> + Abs( [Time].[2024] : [Time].[2025] )",
        "Sum( Children( [Product].[Bikes] ) , sales ) > {[Measures].[Cost]} OR <<year>> = 1",
        "IIf( [Time].[Year] Is Null , [Region] , Descendants( [Region].[North] , , LEAVES ) )",
    };
    std::vector<std::string> expected;
    for (char const* text : texts) {
        expected.push_back(shape(parse(text, cube.get(), true).get()));
    }
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 150; ++i) {
                std::size_t const which = static_cast<std::size_t>(t + i) % expected.size();
                Tree const tree = newTree();
                tree->setTextAndCreateTree(texts[which], cube.get(), true);
                if (shape(tree.get()) != expected[which]) {
                    ++mismatches;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(cube->fOverlaps.load(), 0);
    EXPECT_GT(cube->fCalls.load(), 4 * 150);
}

// While one parse waits inside the cube, another (that needs no cube) runs to its end.
TEST(ExpressionParseThreads, ParsingTakesNoGlobalLock) {
    auto const cube = support::adopt(new WatchfulCube());
    std::thread blocked([&] { parse("Abs( [Block] )", cube.get(), true); });
    {
        std::unique_lock<std::mutex> lock(cube->fMutex);
        cube->fChanged.wait(lock, [&] { return cube->fBlocked; });
    }
    EXPECT_EQ(shape(parse("a + Abs( b )").get()), "158(193[a],164(193[b]))");
    {
        std::lock_guard<std::mutex> const lock(cube->fMutex);
        cube->fReleased = true;
        cube->fChanged.notify_all();
    }
    blocked.join();
    std::lock_guard<std::mutex> const lock(cube->fMutex);
    EXPECT_FALSE(cube->fTimedOut);
}

}  // namespace
