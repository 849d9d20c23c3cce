// Reference counting and event delivery.
//
// The counting benchmarks time a bare std::atomic pair and the object's addRef/release pair in
// alternating batches of the same run and report the quotient as the counter "ratio", so that
// the figure does not depend on how busy the machine was.
#include <pova/Listener.h>
#include <pova/common/EventDispatcher.h>
#include <pova/support/LegacyRefCount.h>
#include <pova/support/Ref.h>
#include <pova/support/RefCount.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

namespace {

class LegacyObject : public support::LegacyRefCount {
public:
    LegacyObject() : support::LegacyRefCount("BenchLegacy", 0) {}
};

class ModernObject : public support::RefCount {
public:
    ModernObject() : support::RefCount("BenchModern", 0) {}
};

using Clock = std::chrono::steady_clock;

// Holds the threads of one run at the same point, so that their batches overlap and the
// contended figures compare like with like. Every thread of a run does the same number of
// iterations, so each barrier is reached by all of them.
class SpinBarrier {
public:
    explicit SpinBarrier(int threads) : fThreads(threads) {}

    void wait() {
        int const generation = fGeneration.load(std::memory_order_acquire);
        if (fWaiting.fetch_add(1, std::memory_order_acq_rel) + 1 == fThreads) {
            fWaiting.store(0, std::memory_order_relaxed);
            fGeneration.fetch_add(1, std::memory_order_release);
            return;
        }
        while (fGeneration.load(std::memory_order_acquire) == generation) {
            std::this_thread::yield();
        }
    }

private:
    int const fThreads;
    alignas(64) std::atomic<int> fWaiting{0};
    alignas(64) std::atomic<int> fGeneration{0};
};

template <class Object>
struct CountingRun {
    explicit CountingRun(int threads) : barrier(threads) {}

    alignas(64) std::atomic<std::int32_t> bare{1};
    SpinBarrier barrier;
    support::Ref<Object> object = support::adopt(new Object());
};

constexpr int kBatch = 512;

// One shared object and one shared atomic; with threads > 1 every thread counts both. Calls go
// through a `Handle*`: the object's own class, or the counting interface (virtual calls).
template <class Object, class Handle = Object>
void BM_CountingPair(benchmark::State& state) {
    static std::unique_ptr<CountingRun<Object>> run;
    if (state.thread_index() == 0) {
        run = std::make_unique<CountingRun<Object>>(state.threads());
    }
    std::atomic<std::int32_t>* bare = nullptr;
    Handle* object = nullptr;
    Clock::duration bareTime{};
    Clock::duration objectTime{};
    for (auto _ : state) {
        if (object == nullptr) {  // thread 0's setup is visible once the loop has started
            bare = &run->bare;
            object = run->object.get();
        }
        benchmark::DoNotOptimize(bare);
        benchmark::DoNotOptimize(object);
        run->barrier.wait();
        Clock::time_point const start = Clock::now();
        for (int i = 0; i < kBatch; ++i) {
            bare->fetch_add(1, std::memory_order_relaxed);
            bare->fetch_sub(1, std::memory_order_acq_rel);
        }
        Clock::time_point const middle = Clock::now();
        run->barrier.wait();
        Clock::time_point const resume = Clock::now();
        for (int i = 0; i < kBatch; ++i) {
            object->addRef();
            object->release();
        }
        Clock::time_point const end = Clock::now();
        bareTime += middle - start;
        objectTime += end - resume;
    }
    double const pairs = static_cast<double>(state.iterations()) * kBatch;
    double const bareNs = std::chrono::duration<double, std::nano>(bareTime).count();
    double const objectNs = std::chrono::duration<double, std::nano>(objectTime).count();
    state.counters["ratio"] =
        benchmark::Counter(objectNs / bareNs, benchmark::Counter::kAvgThreads);
    state.counters["bare_ns"] = benchmark::Counter(bareNs / pairs, benchmark::Counter::kAvgThreads);
    state.counters["object_ns"] =
        benchmark::Counter(objectNs / pairs, benchmark::Counter::kAvgThreads);
    state.SetItemsProcessed(state.iterations() * kBatch);
    if (state.thread_index() == 0) {
        run.reset();
    }
}
BENCHMARK_TEMPLATE(BM_CountingPair, ModernObject)->Threads(1)->Threads(2)->UseRealTime();
BENCHMARK_TEMPLATE(BM_CountingPair, ModernObject, support::RefCountBase)
    ->Threads(1)
    ->Threads(2)
    ->UseRealTime();
BENCHMARK_TEMPLATE(BM_CountingPair, LegacyObject)->Threads(1)->Threads(2)->UseRealTime();

// Creating and releasing an object against allocating and freeing a plain polymorphic object
// of the same size: what the counting base adds to every construction.
template <class Object>
void BM_CreateRelease(benchmark::State& state) {
    struct Plain {
        virtual ~Plain() = default;
        unsigned char bytes[sizeof(Object) - sizeof(void*)];
    };
    Clock::duration plainTime{};
    Clock::duration objectTime{};
    for (auto _ : state) {
        Clock::time_point const start = Clock::now();
        for (int i = 0; i < kBatch; ++i) {
            std::unique_ptr<Plain> plain = std::make_unique<Plain>();
            benchmark::DoNotOptimize(plain.get());
        }
        Clock::time_point const middle = Clock::now();
        for (int i = 0; i < kBatch; ++i) {
            support::Ref<Object> object = support::adopt(new Object());
            benchmark::DoNotOptimize(object.get());
        }
        Clock::time_point const end = Clock::now();
        plainTime += middle - start;
        objectTime += end - middle;
    }
    state.counters["ratio"] = std::chrono::duration<double>(objectTime).count() /
                              std::chrono::duration<double>(plainTime).count();
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK_TEMPLATE(BM_CreateRelease, ModernObject);

class CountingListener : public ZELT_o::Listener {
public:
    virtual void hit(int value) { fSum += value; }
    long fSum = 0;
};

class HitEvent : public common::Event {
public:
    explicit HitEvent(int value) : fValue(value) {}
    void deliver(ZELT_o::Listener* listener) const override {
        static_cast<CountingListener*>(listener)->hit(fValue);
    }
    std::unique_ptr<common::Event> clone() const override {
        return std::make_unique<HitEvent>(*this);
    }

private:
    int fValue;
};

constexpr int kListeners = 10;
constexpr int kEvents = 1000;

// Queue 1,000 events and deliver them to 10 listeners.
void BM_DispatcherDelivery(benchmark::State& state) {
    std::vector<CountingListener> listeners(kListeners);
    common::EventDispatcher dispatcher;
    for (CountingListener& listener : listeners) {
        dispatcher.addListener(&listener);
    }
    for (auto _ : state) {
        for (int i = 0; i < kEvents; ++i) {
            dispatcher.queueEvent(HitEvent(i));
        }
        dispatcher.sendEvents(false);
    }
    state.SetItemsProcessed(state.iterations() * kEvents * kListeners);
    benchmark::DoNotOptimize(listeners[0].fSum);
}
BENCHMARK(BM_DispatcherDelivery);

// The baseline: the same deliveries as plain virtual calls.
void BM_PlainVirtualCalls(benchmark::State& state) {
    std::vector<CountingListener> listeners(kListeners);
    std::vector<CountingListener*> pointers;
    for (CountingListener& listener : listeners) {
        pointers.push_back(&listener);
    }
    for (auto _ : state) {
        for (int i = 0; i < kEvents; ++i) {
            for (CountingListener* listener : pointers) {
                benchmark::DoNotOptimize(listener);
                listener->hit(i);
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kEvents * kListeners);
    benchmark::DoNotOptimize(listeners[0].fSum);
}
BENCHMARK(BM_PlainVirtualCalls);

}  // namespace
