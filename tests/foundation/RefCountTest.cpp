#include "CountedProbe.h"
#include "support/AssertionCounter.h"
#include "support/CapturingLog.h"
#include "support/Threads.h"

#include <pova/support/ComponentLog.h>
#include <pova/support/Module.h>
#include <pova/support/Ref.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

using foundation_test::gLive;
using foundation_test::ImmortalProbe;
using foundation_test::LegacyProbe;
using foundation_test::ModernProbe;
using foundation_test::Probe;
using support::LegacyRefCount;
using support::RefCount;
using testing_support::AssertionCounter;
using testing_support::CapturingLog;
using testing_support::runTogether;

namespace {

TEST(RefCount, RefHandleAdoptsRetainsAndReleases) {
    int const before = gLive<LegacyRefCount>.load();
    {
        auto first = support::adopt(new LegacyProbe());
        support::Ref<LegacyProbe> second = first;
        support::Ref<support::RefCountBase> base = second;
        EXPECT_EQ(first->getRefCount(), 3);
        auto moved = std::move(second);
        EXPECT_FALSE(second);
        EXPECT_EQ(first->getRefCount(), 3);
        EXPECT_EQ(moved.detach()->release(), 2);
    }
    EXPECT_EQ(gLive<LegacyRefCount>.load(), before);
}

// Counting from 1, destruction at 0, and the traces: verbosity 3 writes nothing, 4 the life
// traces, 5 the count traces too.
struct TraceCase {
    int verbosity;
    std::size_t created, raised, lowered, destroyed;
    friend void PrintTo(TraceCase const& c, std::ostream* os) { *os << c.verbosity; }
};

template <class Base>
void expectTracesByThreshold(TraceCase const& c) {
    bool const legacy = std::is_same_v<Base, LegacyRefCount>;
    CapturingLog log;
    log.setVerbosity("MEMORY", Probe<Base>::kName, c.verbosity);
    int const live = gLive<Base>.load();
    auto* probe = new Probe<Base>(7);
    char last[64];  // the line written after the count dropped carries the right address
    std::snprintf(last, sizeof last, "Instance 7 (%p): Refcount lowered to 0",
                  static_cast<void*>(static_cast<Base*>(probe)));
    EXPECT_EQ(probe->getRefCount(), 1);
    EXPECT_EQ(probe->addRef(), 2u);
    EXPECT_EQ(probe->release(), 1);
    EXPECT_EQ(gLive<Base>.load(), live + 1);
    EXPECT_EQ(probe->release(), 0);
    EXPECT_EQ(gLive<Base>.load(), live);
    EXPECT_EQ(log.count(last), c.lowered);
    EXPECT_EQ(log.count("Instance 7 ("), c.created + c.raised + c.lowered * 2 + c.destroyed);
    EXPECT_EQ(log.count("): Created"), c.created);
    EXPECT_EQ(log.count("): Refcount raised to 2"), c.raised);
    EXPECT_EQ(log.count("): Refcount lowered to 1"), c.lowered);
    EXPECT_EQ(log.count("): Destroyed"), c.destroyed);
    for (LogRecord const& record : log.records()) {
        bool const life = record.inserts[0].string().find("Refcount") == std::string::npos;
        EXPECT_EQ(record.code, legacy ? 0xC2011000u : 0xC2011F00u);
        EXPECT_EQ(record.verbosity, legacy ? c.verbosity : life ? 4 : 5);
        EXPECT_EQ(record.argument.getFile(), legacy ? "legacyrefcount" : "componentlog");
        EXPECT_EQ(record.argument.getFunction(), !legacy ? "ComponentLog::log"
                                                 : life ? "support::LegacyRefCount::base_memory_log"
                                                        : "support::LegacyRefCount::base_log");
        EXPECT_EQ(record.argument.getDate(), "Sep 13 2008");
        EXPECT_EQ(record.argument.getModule(), "MEMORY");
        EXPECT_EQ(record.argument.getComponent(), Probe<Base>::kName);
    }
}

class RefCountTraces : public ::testing::TestWithParam<TraceCase> {};

TEST_P(RefCountTraces, WrittenByThreshold) {
    expectTracesByThreshold<LegacyRefCount>(GetParam());
    expectTracesByThreshold<RefCount>(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Verbosity, RefCountTraces,
                         ::testing::Values(TraceCase{3, 0, 0, 0, 0}, TraceCase{4, 1, 0, 0, 1},
                                           TraceCase{5, 1, 1, 1, 1}),
                         [](auto const& info) {
                             return "v" + std::to_string(info.param.verbosity);
                         });

// The printf-style form writes at level 6; names given as the same text share one string.
TEST(RefCount, ComponentLogWritesByLevelUnderInternedNames) {
    std::string const copy = "ModernProbe";
    EXPECT_EQ(&support::internedName(copy.c_str()), &support::internedName("ModernProbe"));
    EXPECT_NE(&support::internedName("LegacyProbe"), &support::internedName("ModernProbe"));
    CapturingLog log;
    log.setVerbosity("MEMORY", "ModernProbe", 5);
    support::ComponentLog trace(support::memoryModule(), support::internedName(copy.c_str()));
    trace.logf("formatted %d", 6);
    trace.log("plain", 5);
    EXPECT_EQ(log.lines(), std::vector<std::string>{"plain"});
    log.setVerbosity("MEMORY", "ModernProbe", 6);
    support::ComponentLog(support::memoryModule(), trace.component()).logf("formatted %d", 6);
    EXPECT_EQ(log.count("formatted 6"), 1u);
}

// A verbosity is asked once, on first use while a log is attached, and kept; without a log
// nothing is traced or cached.
TEST(RefCount, VerbosityIsCachedOnceALogAnswers) {
    CapturingLog log;
    log.setVerbosity("MEMORY", "", 5);
    auto* early = new LegacyProbe();  // its life cache is filled now
    povaProcessDetach();
    support::RefCountBase* probes[] = {new LegacyProbe(), new ModernProbe()};
    povaProcessAttach();
    for (int verbosity : {5, 0}) {  // the count caches are filled at the first pass
        log.setVerbosity("MEMORY", "", verbosity);
        for (support::RefCountBase* probe : probes) {
            probe->addRef();
            probe->release();
        }
    }
    EXPECT_EQ(log.count("Created"), 1u);
    EXPECT_EQ(log.count("Refcount raised to 2"), 4u);
    early->release();
    povaProcessDetach();
    for (support::RefCountBase* probe : probes) {
        probe->release();
    }
    povaProcessAttach();
    EXPECT_EQ(log.count("Destroyed"), 1u);
}

// A release at count 0 deletes nothing (LegacyRefCount reports it); destroying an object whose
// count is not 0 reports "fRefCount == 0".
template <class Base>
void expectReleaseAtZero(std::size_t reportsAtZero, char const* file) {
    AssertionCounter assertions;
    alignas(ImmortalProbe<Base>) unsigned char storage[sizeof(ImmortalProbe<Base>)];
    auto* probe = new (storage) ImmortalProbe<Base>();
    EXPECT_EQ(probe->release(), 0);
    EXPECT_EQ(probe->deleteRequests(), 1);
    EXPECT_EQ(probe->release(), -1);
    EXPECT_EQ(probe->deleteRequests(), 1);
    EXPECT_EQ(assertions.count("fRefCount > 0"), reportsAtZero);
    probe->destroy();
    EXPECT_EQ(assertions.count("fRefCount == 0"), 1u);
    for (AssertionReport const& report : assertions.reports()) {
        EXPECT_EQ(report.file, file);
    }
}

TEST(RefCount, ReleaseAtZeroDeletesNothing) {
    expectReleaseAtZero<LegacyRefCount>(2, ".\\source\\legacyrefcount.cpp");
    expectReleaseAtZero<RefCount>(0, ".\\source\\refcount.cpp");
}

constexpr int kThreads = 4;

// Threads add and release references to one object, then race its final releases: exactly one
// destroys it. Traced or not, the log gets exactly one line per operation.
template <class Base>
void hammer(int pairs, int verbosity) {
    CapturingLog log;
    log.setVerbosity("MEMORY", Probe<Base>::kName, verbosity);
    int const before = gLive<Base>.load();
    auto* probe = new Probe<Base>();
    runTogether(kThreads, [probe, pairs](int) {
        for (int i = 0; i < pairs; ++i) {
            probe->addRef();
            probe->release();
        }
    });
    EXPECT_EQ(probe->getRefCount(), 1);
    for (int t = 1; t < kThreads; ++t) {
        probe->addRef();
    }
    std::atomic<int> zeros{0};
    runTogether(kThreads, [probe, &zeros](int) { zeros += probe->release() == 0 ? 1 : 0; });
    EXPECT_EQ(zeros.load(), 1);
    EXPECT_EQ(gLive<Base>.load(), before);
    auto const traced = static_cast<std::size_t>(verbosity >= 5 ? 1 : 0);
    EXPECT_EQ(log.count("raised"), traced * (kThreads * pairs + kThreads - 1));
    EXPECT_EQ(log.count("lowered"), traced * (kThreads * pairs + kThreads));
    EXPECT_EQ(log.count("lowered to 0"), traced);
    EXPECT_EQ(log.count("Destroyed"), traced);
}

TEST(RefCountThreads, ConcurrentAddRefReleaseIsExact) {
    AssertionCounter assertions;
    hammer<LegacyRefCount>(20000, 0);
    hammer<RefCount>(20000, 0);
    EXPECT_EQ(assertions.count(), 0u);
}

TEST(RefCountThreads, ConcurrentTracedCountingWritesEveryLine) {
    hammer<LegacyRefCount>(300, 5);
    hammer<RefCount>(300, 5);
}

// Every thread releases one reference of every object, all in the same order.
template <class Base>
void raceFinalReleases() {
    constexpr int kObjects = 2000;
    int const before = gLive<Base>.load();
    std::vector<std::atomic<int>> destroyed(kObjects);
    std::vector<Probe<Base>*> probes;
    for (int i = 0; i < kObjects; ++i) {
        probes.push_back(new Probe<Base>(i, &destroyed[static_cast<std::size_t>(i)]));
        for (int t = 1; t < kThreads; ++t) {
            probes.back()->addRef();
        }
    }
    std::atomic<int> zeros{0};
    runTogether(kThreads, [&](int) {
        for (Probe<Base>* probe : probes) {
            zeros += probe->release() == 0 ? 1 : 0;
        }
    });
    EXPECT_EQ(zeros.load(), kObjects);
    EXPECT_EQ(gLive<Base>.load(), before);
    for (std::atomic<int> const& count : destroyed) {
        ASSERT_EQ(count.load(), 1);
    }
}

TEST(RefCountThreads, RacingFinalReleasesDestroyEachObjectOnce) {
    AssertionCounter assertions;
    raceFinalReleases<LegacyRefCount>();
    raceFinalReleases<RefCount>();
    EXPECT_EQ(assertions.count(), 0u);
}

}  // namespace
