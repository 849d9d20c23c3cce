// The result cache behind query: hits, misses and clearing, provider errors and the retry,
// reference counts, trace lines, and the chunk handler.
#include "ViewpointFixture.h"
#include "support/CapturingLog.h"
#include "support/Threads.h"
#include "viewpoint/CacheCommon.h"

#include <pova/common/SynchronousChunkHandler.h>
#include <provkit/ProviderLibrary.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <tuple>

namespace {

using namespace viewpoint_test;
using Props = std::vector<ZELT_o::PropertySpecification>;
using Result = support::Ref<ZELT_o::ViewResultSet>;
using testing_support::CapturingLog;

// Leaks of chunks or result sets are the sanitizer's to find.
struct FakeChunk final : ZELT_o::CellDataChunk {
    explicit FakeChunk(LONG first) : CellDataChunk("FakeChunk", first), fFirst(first) {}
    LONG getFirst() const override { return fFirst; }
    LONG getValueCount() const override { return 1; }
    bool getValue(LONG, VARIANT*) const override { return false; }
    LONG fFirst;
};

// Delivers one cell chunk per item, calling fEach before each.
struct FakeResult final : ZELT_o::ViewResultSet {
    FakeResult() : ViewResultSet("FakeResult", 0) {}
    LONG getAxisCount() const override { return 0; }
    LONG getAxisLength(LONG) const override { return 0; }
    LONG getItemCount() const override { return 12; }
    void markDiscarded(bool discarded) override { fDiscarded = discarded; }
    double getMinimum() const override { return -1; }
    double getMaximum() const override { return 7; }
    void requestAxisChunks(ZELT_o::ChunkHandler* h, LONG, LONG, LONG) override { fAxisWork(h); }
    void requestCellChunks(ZELT_o::ChunkHandler* h, LONG first, LONG last) override {
        for (LONG i = first; i <= last && (fEach(i), h->handleChunk(new FakeChunk(i), false));) {
            fAccepted = ++i;
        }
    }
    std::function<void(LONG)> fEach = [](LONG) {};
    std::function<void(ZELT_o::ChunkHandler*)> fAxisWork = [](ZELT_o::ChunkHandler*) {};
    LONG fAccepted = 0;
    bool fDiscarded = false;
};

// What the derived viewpoint does: throw fThrows times with fCode, answer null, be in error.
struct Script {
    int fQueries, fThrows;
    std::uint32_t fCode;
    bool fNull, fInError;
} sScript;

struct ScriptedViewpoint : common::ViewpointBase {
    explicit ScriptedViewpoint(common::ViewpointCommon& vp) : ViewpointBase(vp) {}
    ZELT_o::ViewResultSet* query(Props*) override {
        ++sScript.fQueries;
        if (sScript.fThrows > 0 && sScript.fThrows--) {
            throw BaseError(sScript.fCode, "INTERFACE");
        }
        return sScript.fNull ? nullptr : new FakeResult;
    }
    bool isInError() const override { return sScript.fInError; }
};

struct ScriptedProvider : common::ProviderLibrary {
    ScriptedProvider() { common::registerProviderLibrary(this); }
    ~ScriptedProvider() override { common::registerProviderLibrary(fMemcube); }
    PovaString getName() const override { return "memcube"; }
    std::unique_ptr<common::ViewpointBase> createDerivedViewpoint(
        common::ViewpointCommon& vp) override {
        return std::make_unique<ScriptedViewpoint>(vp);
    }
    common::ProviderLibrary* fMemcube = common::createProviderLibrary("memcube");
};

Props props(std::vector<char const*> const& names) {
    Props list;
    for (char const* name : names) {
        list.emplace_back().name = name;
    }
    return list;
}

class CacheTest : public CubeFixture {
protected:
    void SetUp() override { sScript = {}; }
    Result query(Props list) { return support::adopt(fVp->query(&list)); }
    ScriptedProvider fProvider;
    Ref fVp = bind(fCube.get());
};

TEST_F(CacheTest, EqualListsHitUntilAChange) {
    Result const first = query(props({"x", "y"}));
    Result const again = query(props({"x", "y"}));
    EXPECT_EQ(again, first);
    EXPECT_EQ(first->getRefCount(), 3);  // two callers and the cache
    for (auto const& other : {props({"y", "x"}), props({"x", "y", "z"}), props({})}) {
        query(other);
    }
    EXPECT_EQ(sScript.fQueries, 4);
    EXPECT_EQ(query(props({"x", "y"})), first);  // the cache drops nothing by itself
    EXPECT_EQ(query(props({"y", "x"}))->getRefCount(), 2);
    fVp->doSwapAxes(0, 1);
    EXPECT_TRUE(static_cast<FakeResult&>(*first).fDiscarded);
    EXPECT_EQ(first->getRefCount(), 2);
    EXPECT_NE(query(props({"x", "y"})), first);
    EXPECT_EQ(sScript.fQueries, 5);
}

// Retry once on 0xC201B220; every failure leaves the cache empty and the event hold ended.
TEST_F(CacheTest, ProviderFailuresAndRetry) {
    using Case = std::tuple<Script, std::uint32_t, int>;  // script, error, provider calls
    for (auto [script, code, calls] :
         {Case{{0, 1, 0xC201B220u, false, false}, 0, 2},
          Case{{0, 2, 0xC201B220u, false, false}, 0xC201B220u, 2},
          Case{{0, 1, kFail, false, false}, kFail, 1}, Case{{0, 0, 0, true, false}, 0xC2011200u, 1},
          Case{{0, 0, 0, false, true}, 0xC201491Eu, 0}}) {
        fVp->dropLastQuery();
        sScript = script;
        Result result;
        EXPECT_EQ(codeOf([&] { result = query(props({"x"})); }), code);
        EXPECT_EQ(sScript.fQueries, calls);
        EXPECT_FALSE(fVp->eventsHeld());
        sScript = {};
        EXPECT_EQ(query(props({"x"}))->getRefCount(), result ? 3 : 2);
        EXPECT_EQ(sScript.fQueries, code == 0 ? 0 : 1);
    }
    Props list;
    EXPECT_EQ(codeOf([&] { fVp->query(nullptr); }), kInvalidArg);
    EXPECT_EQ(codeOf([&] { makeViewpoint()->query(&list); }), 0xC2011200u);
    EXPECT_EQ(codeOf([&] { makeViewpoint()->retrieveLastQuery(&list); }), kNotConnected);
    fVp->holdEvents();  // a hold the query did not begin stays
    double low = 0, high = 0;
    fVp->getMinMaxOnView(&list, low, high);
    EXPECT_TRUE(fVp->eventsHeld());
    EXPECT_EQ(query(list)->getRefCount(), 2);
    EXPECT_EQ(std::make_pair(low, high), std::make_pair(-1.0, 7.0));
}

// A child's collections have its base's as parents: a name the base holds is not added.
TEST_F(CacheTest, QueryFieldsChainToTheBase) {
    Ref child = derive(fVp.get());
    for (auto* vp : {fVp.get(), child.get(), fVp.get(), child.get()}) {
        vp->getAxisQueryFields(2)->AddProperty("p", ZELT_o::kPropertyOperationValue, nullptr, 0);
    }
    EXPECT_EQ(fVp->getAxisQueryFields(2)->Count() + child->getAxisQueryFields(2)->Count(), 1);
}

TEST(Cache, TraceLines) {
    CapturingLog log;
    for (char const* module : {"INTERFACE", "MEMORY", "CACHE"}) {
        log.setVerbosity(module, "CacheCommon", 5);
    }
    char prefix[64];
    {
        common::CacheCommon cache;
        Props const list = props({"x"});
        auto result = support::adopt(new FakeResult);
        cache.findData(&list);
        cache.addData(result.get(), &list);
        auto const hit = support::adopt(cache.findData(&list));
        cache.clearData();
        std::snprintf(prefix, sizeof prefix, "CacheCommon(%03d) %x ", int{cache.getInstance()},
                      static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(&cache)));
    }
    std::string text;
    for (std::string const& line : log.lines()) {
        text += (line.rfind(prefix, 0) == 0 ? line.substr(std::strlen(prefix)) : line) + "|";
    }
    EXPECT_EQ(text,
              "created|findData|Data not found in cache|addData|Adding data to cache (c items)|"
              "findData|Using cached data (c items)|clearData|Clearing cache (1 resultsets)|"
              "clearData|Clearing cache (0 resultsets)|destroyed|");
}

TEST(CacheThreads, FindAddAndClearTogether) {
    common::CacheCommon cache;
    std::vector<Result> results;
    std::generate_n(std::back_inserter(results), 4, [] { return support::adopt(new FakeResult); });
    testing_support::runTogether(4, [&](int t) {
        Props const list = props({t % 2 ? "odd" : "even"});
        for (int i = 0; i < 300; ++i) {
            cache.addData(results[t].get(), &list);
            auto const found = support::adopt(cache.findData(&list));
            if (t == 0 && i % 50 == 0) {
                cache.clearData();
            }
        }
    });
    cache.clearData();
    for (Result const& r : results) {
        EXPECT_EQ(r->getRefCount(), 1);
    }
}

TEST(ChunkHandlerThreads, CancelledWhileChunksArrive) {
    auto result = support::adopt(new FakeResult);
    common::SynchronousChunkHandler handler(result.get(), 0, 100);
    EXPECT_EQ(handler.GetChunk(), nullptr);
    std::atomic<bool> reached{false}, cancelled{false};
    result->fEach = [&](LONG i) {  // the 50th waits until the other thread cancelled
        for (reached = reached || i == 50; i == 50 && !cancelled;) {
            std::this_thread::yield();
        }
    };
    testing_support::runTogether(2, [&](int t) {
        if (t == 0) {
            return handler.StartFetch();
        }
        while (!reached) {
            std::this_thread::yield();
        }
        handler.CancelChunks();
        cancelled = true;
    });
    EXPECT_EQ(result->fAccepted, 50);
    EXPECT_FALSE(handler.handleChunk(new FakeChunk(0), true));
    for (LONG i = 0; i < 40; ++i) {  // the rest go with the handler
        EXPECT_EQ(support::adopt(handler.GetChunk())->getFirst(), i);
    }
}

// Slow work registered by the result set stops when another thread cancels; once cancelled, the
// handler refuses new work and delivers nothing more.
TEST(ChunkHandlerThreads, CancelInterruptsTheWorkTheResultSetRegistered) {
    auto result = support::adopt(new FakeResult);
    common::SynchronousChunkHandler handler(result.get(), 0, 0, 5);
    std::atomic<bool> registered{false}, interrupted{false};
    bool refusedAfterwards = false;
    result->fAxisWork = [&](ZELT_o::ChunkHandler* h) {
        EXPECT_TRUE(h->onCancel([&] { interrupted = true; }));
        registered = true;
        while (!interrupted) {
            std::this_thread::yield();
        }
        refusedAfterwards = !h->onCancel({}) && !h->handleChunk(new FakeChunk(0), true);
    };
    testing_support::runTogether(2, [&](int t) {
        if (t == 0) {
            return handler.StartFetch();
        }
        while (!registered) {
            std::this_thread::yield();
        }
        handler.CancelChunks();
    });
    EXPECT_TRUE(refusedAfterwards);
    EXPECT_EQ(handler.GetChunk(), nullptr);
    handler.CancelChunks();  // nothing left to interrupt
}

}  // namespace
