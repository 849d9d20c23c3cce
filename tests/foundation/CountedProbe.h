// Small counted classes for the counting tests, one per counting base: they count live
// instances (and, when given a counter, their own destruction), and ImmortalProbe can be kept
// alive past the release that destroys it (destroying delete), so that a release at count 0
// can be observed safely.
#pragma once

#include <pova/support/LegacyRefCount.h>
#include <pova/support/RefCount.h>

#include <atomic>
#include <new>
#include <type_traits>

namespace foundation_test {

template <class Base>
inline std::atomic<int> gLive{0};

template <class Base>
class Probe : public Base {
public:
    static constexpr char const* kName =
        std::is_same_v<Base, support::LegacyRefCount> ? "LegacyProbe" : "ModernProbe";

    explicit Probe(LONG instance = 0, std::atomic<int>* destroyed = nullptr)
        : Base(kName, instance), fDestroyed(destroyed) {
        ++gLive<Base>;
    }

protected:
    ~Probe() override {
        --gLive<Base>;
        if (fDestroyed != nullptr) {
            ++*fDestroyed;
        }
    }

private:
    std::atomic<int>* fDestroyed;
};

using LegacyProbe = Probe<support::LegacyRefCount>;
using ModernProbe = Probe<support::RefCount>;

// Survives the release that would destroy it: `delete` only records that it was asked for.
template <class Base>
class ImmortalProbe : public Base {
public:
    ImmortalProbe() : Base("ImmortalProbe", 0) {}

    void operator delete(ImmortalProbe* probe, std::destroying_delete_t) {
        probe->fDeleteRequests++;
    }

    int deleteRequests() const { return fDeleteRequests; }
    // Really destroys the object (its storage belongs to the caller).
    void destroy() { this->~ImmortalProbe(); }

private:
    int fDeleteRequests = 0;
};

}  // namespace foundation_test
