// Reference counting and event delivery.
#include <pova/Listener.h>
#include <pova/common/EventDispatcher.h>
#include <pova/support/LegacyRefCount.h>
#include <pova/support/Ref.h>
#include <pova/support/RefCount.h>

#include <benchmark/benchmark.h>

#include <memory>
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

// One shared object; with threads > 1 every thread counts the same object.
template <class Object>
void BM_AddRefRelease(benchmark::State& state) {
    static Object* shared = nullptr;
    if (state.thread_index() == 0) {
        shared = new Object();
    }
    for (auto _ : state) {
        shared->addRef();
        shared->release();
    }
    state.SetItemsProcessed(state.iterations());
    if (state.thread_index() == 0) {
        shared->release();
    }
}
BENCHMARK_TEMPLATE(BM_AddRefRelease, ModernObject)->Threads(1)->Threads(2);
BENCHMARK_TEMPLATE(BM_AddRefRelease, LegacyObject)->Threads(1)->Threads(2);

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
