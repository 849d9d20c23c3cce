// Small counted classes for the counting tests: they count live instances and can be kept
// alive past the release that destroys them (destroying delete), so that a release at count 0
// can be observed safely.
#pragma once

#include <pova/support/LegacyRefCount.h>
#include <pova/support/RefCount.h>

#include <atomic>
#include <new>

namespace foundation_test {

inline std::atomic<int> gLiveLegacy{0};
inline std::atomic<int> gLiveModern{0};

class LegacyProbe : public support::LegacyRefCount {
public:
    explicit LegacyProbe(LONG instance = 0) : support::LegacyRefCount("LegacyProbe", instance) {
        ++gLiveLegacy;
    }

protected:
    ~LegacyProbe() override { --gLiveLegacy; }
};

class ModernProbe : public support::RefCount {
public:
    explicit ModernProbe(LONG instance = 0) : support::RefCount("ModernProbe", instance) {
        ++gLiveModern;
    }

protected:
    ~ModernProbe() override { --gLiveModern; }
};

// Survives the release that would destroy it: `delete` only records that it was asked for.
class ImmortalProbe : public support::LegacyRefCount {
public:
    ImmortalProbe() : support::LegacyRefCount("ImmortalProbe", 0) {}

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
