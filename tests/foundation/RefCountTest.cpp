#include "CountedProbe.h"
#include "support/AssertionCounter.h"
#include "support/CapturingLog.h"

#include <pova/support/Module.h>
#include <pova/support/Ref.h>

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

using foundation_test::gLiveLegacy;
using foundation_test::gLiveModern;
using foundation_test::ImmortalProbe;
using foundation_test::LegacyProbe;
using foundation_test::ModernProbe;
using testing_support::AssertionCounter;
using testing_support::CapturingLog;

namespace {

template <class Probe>
void expectCountingSemantics(std::atomic<int>& live) {
    int const before = live.load();
    auto* probe = new Probe();
    EXPECT_EQ(live.load(), before + 1);
    EXPECT_EQ(probe->getRefCount(), 1);
    EXPECT_EQ(probe->addRef(), 2u);
    EXPECT_EQ(probe->release(), 1);
    EXPECT_EQ(live.load(), before + 1);
    EXPECT_EQ(probe->release(), 0);
    EXPECT_EQ(live.load(), before);
}

TEST(RefCount, CountsFromOneAndDestroysAtZero) {
    expectCountingSemantics<LegacyProbe>(gLiveLegacy);
    expectCountingSemantics<ModernProbe>(gLiveModern);
}

TEST(RefCount, RefHandleAdoptsRetainsAndReleases) {
    int const before = gLiveLegacy.load();
    {
        auto first = support::adopt(new LegacyProbe());
        EXPECT_EQ(first->getRefCount(), 1);
        support::Ref<LegacyProbe> second = first;
        EXPECT_EQ(first->getRefCount(), 2);
        support::Ref<support::RefCountBase> base = second;
        EXPECT_EQ(first->getRefCount(), 3);
        auto moved = std::move(second);
        EXPECT_FALSE(second);
        EXPECT_EQ(first->getRefCount(), 3);
        LegacyProbe* raw = moved.detach();
        EXPECT_EQ(raw->release(), 2);
    }
    EXPECT_EQ(gLiveLegacy.load(), before);
}

// Verbosity 3 writes nothing, 4 the life traces, 5 the count traces too.
struct TraceCase {
    int verbosity;
    std::size_t created, raised, lowered, destroyed;
};

class RefCountTraces : public ::testing::TestWithParam<TraceCase> {};

TEST_P(RefCountTraces, LegacyWritesByThreshold) {
    TraceCase const c = GetParam();
    CapturingLog log;
    log.setVerbosity("MEMORY", "LegacyProbe", c.verbosity);
    auto* probe = new LegacyProbe(7);
    probe->addRef();
    probe->release();
    probe->release();
    EXPECT_EQ(log.count("Instance 7 ("), c.created + c.raised + c.lowered * 2 + c.destroyed);
    EXPECT_EQ(log.count("): Created"), c.created);
    EXPECT_EQ(log.count("): Refcount raised to 2"), c.raised);
    EXPECT_EQ(log.count("): Refcount lowered to 1"), c.lowered);
    EXPECT_EQ(log.count("): Refcount lowered to 0"), c.lowered);
    EXPECT_EQ(log.count("): Destroyed"), c.destroyed);
    for (LogRecord const& record : log.records()) {
        EXPECT_EQ(record.code, 0xC2011000u);
        EXPECT_EQ(record.verbosity, c.verbosity);
        EXPECT_EQ(record.argument.getFile(), "legacyrefcount");
        EXPECT_EQ(record.argument.getModule(), "MEMORY");
        EXPECT_EQ(record.argument.getComponent(), "LegacyProbe");
        EXPECT_EQ(record.argument.getDate(), "Sep 13 2008");
        bool const life = record.inserts[0].string().find("Refcount") == std::string::npos;
        EXPECT_EQ(record.argument.getFunction(), life ? "support::LegacyRefCount::base_memory_log"
                                                      : "support::LegacyRefCount::base_log");
    }
}

TEST_P(RefCountTraces, ModernWritesThroughComponentLog) {
    TraceCase const c = GetParam();
    CapturingLog log;
    log.setVerbosity("MEMORY", "ModernProbe", c.verbosity);
    auto* probe = new ModernProbe(9);
    probe->addRef();
    probe->release();
    probe->release();
    EXPECT_EQ(log.count("): Created"), c.created);
    EXPECT_EQ(log.count("): Refcount raised to 2"), c.raised);
    EXPECT_EQ(log.count("): Refcount lowered to 1"), c.lowered);
    EXPECT_EQ(log.count("): Refcount lowered to 0"), c.lowered);
    EXPECT_EQ(log.count("): Destroyed"), c.destroyed);
    for (LogRecord const& record : log.records()) {
        EXPECT_EQ(record.code, 0xC2011F00u);
        EXPECT_EQ(record.argument.getFile(), "componentlog");
        EXPECT_EQ(record.argument.getFunction(), "ComponentLog::log");
        EXPECT_EQ(record.argument.getComponent(), "ModernProbe");
        bool const life = record.inserts[0].string().find("Refcount") == std::string::npos;
        EXPECT_EQ(record.verbosity, life ? 4 : 5);
    }
}

// Named after the verbosity; a fixed table keeps the names valid test identifiers.
std::string verbosityName(::testing::TestParamInfo<TraceCase> const& info) {
    static char const* const names[] = {"v0", "v1", "v2", "v3", "v4", "v5"};
    return names[info.param.verbosity];
}

INSTANTIATE_TEST_SUITE_P(Verbosity, RefCountTraces,
                         ::testing::Values(TraceCase{3, 0, 0, 0, 0}, TraceCase{4, 1, 0, 0, 1},
                                           TraceCase{5, 1, 1, 1, 1}),
                         verbosityName);

TEST(RefCount, TraceTextCarriesInstanceAndAddress) {
    CapturingLog log;
    log.setVerbosity("MEMORY", "LegacyProbe", 5);
    auto* probe = new LegacyProbe(42);
    char expected[64];
    std::snprintf(expected, sizeof expected, "Instance 42 (%p): Refcount raised to 2",
                  static_cast<void*>(static_cast<support::LegacyRefCount*>(probe)));
    probe->addRef();
    probe->release();
    probe->release();
    EXPECT_EQ(log.count(expected), 1u);
}

TEST(RefCount, VerbosityIsAskedOnceAndCached) {
    CapturingLog log;
    log.setVerbosity("MEMORY", "LegacyProbe", 5);
    auto* probe = new LegacyProbe();
    probe->addRef();
    // Both caches are filled now (life at construction, count at the first addRef).
    log.setVerbosity("MEMORY", "LegacyProbe", 0);
    probe->addRef();
    probe->release();
    probe->release();
    probe->release();
    EXPECT_EQ(log.count("Refcount raised"), 2u);
    EXPECT_EQ(log.count("Destroyed"), 1u);
}

TEST(RefCount, NothingIsTracedWithoutALog) {
    CapturingLog log;
    log.setVerbosity("MEMORY", "LegacyProbe", 5);
    log.setVerbosity("MEMORY", "ModernProbe", 5);
    povaProcessDetach();
    auto* legacy = new LegacyProbe();
    auto* modern = new ModernProbe();
    povaProcessAttach();
    // The caches stayed unset while detached, so traces start once a log is back.
    legacy->addRef();
    modern->addRef();
    legacy->release();
    modern->release();
    EXPECT_EQ(log.count("Created"), 0u);
    EXPECT_EQ(log.count("Refcount raised to 2"), 2u);
    povaProcessDetach();
    legacy->release();
    modern->release();
    povaProcessAttach();
    EXPECT_EQ(log.count("Destroyed"), 0u);
}

TEST(RefCount, ReleaseAtZeroReportsAndDeletesNothing) {
    AssertionCounter assertions;
    alignas(ImmortalProbe) unsigned char storage[sizeof(ImmortalProbe)];
    auto* probe = new (storage) ImmortalProbe();
    EXPECT_EQ(probe->release(), 0);
    EXPECT_EQ(probe->deleteRequests(), 1);
    EXPECT_EQ(assertions.count(), 0u);

    EXPECT_EQ(probe->release(), -1);
    EXPECT_EQ(probe->deleteRequests(), 1);
    EXPECT_GE(assertions.count("fRefCount > 0"), 1u);
    for (AssertionReport const& report : assertions.reports()) {
        EXPECT_EQ(report.file, ".\\source\\legacyrefcount.cpp");
    }

    probe->destroy();
    EXPECT_EQ(assertions.count("fRefCount == 0"), 1u);
}

template <class Probe>
void hammer(std::atomic<int>& live) {
    int const before = live.load();
    auto* probe = new Probe();
    constexpr int kThreads = 4;
    constexpr int kPairs = 20000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([probe] {
            for (int i = 0; i < kPairs; ++i) {
                probe->addRef();
                probe->release();
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(probe->getRefCount(), 1);

    // Final releases from several threads: exactly one of them destroys.
    for (int t = 1; t < kThreads; ++t) {
        probe->addRef();
    }
    threads.clear();
    std::atomic<int> zeros{0};
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([probe, &zeros] {
            if (probe->release() == 0) {
                ++zeros;
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(zeros.load(), 1);
    EXPECT_EQ(live.load(), before);
}

TEST(RefCountThreads, ConcurrentAddRefReleaseIsExact) {
    AssertionCounter assertions;
    hammer<LegacyProbe>(gLiveLegacy);
    hammer<ModernProbe>(gLiveModern);
    EXPECT_EQ(assertions.count(), 0u);
}

}  // namespace
