/// @class support::RefCount
/// Lock-free reference counting with traces through a ComponentLog.
/// addRef and release may be called from any thread.
#pragma once

#include <pova/pova_export.h>
#include <pova/support/ComponentLog.h>
#include <pova/support/RefCountBase.h>

#include <atomic>

namespace support {

class POVA_API RefCount : public virtual RefCountBase {
public:
    ///@{
    /// Adds or gives up a reference (RefCountBase). Final, so that calls through any derived
    /// class are direct and the untraced path, a verbosity test and one atomic operation, is
    /// inlined.
    ULONG addRef() final {
        if (mayTrace(fLog.cachedVerbosity(), kCountTraceLevel)) [[unlikely]] {
            return addRefTraced();
        }
        return static_cast<ULONG>(fRefCount.fetch_add(1, std::memory_order_relaxed) + 1);
    }
    LONG release() final {
        if (mayTrace(fLog.cachedVerbosity(), kLifeTraceLevel)) [[unlikely]] {
            return releaseTraced();
        }
        // Release ordering so that every write made through this reference happens before the
        // destruction another thread may run. Nothing of the object is read after the
        // decrement unless it reached 0 here.
        LONG const count = fRefCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (count == 0) [[unlikely]] {
            destroy();
        }
        return count;
    }
    ///@}

    /// The instance number the object was made with.
    LONG getInstance() const { return fInstance; }
    /// The current count (a snapshot: other threads may change it).
    LONG getRefCount() const { return fRefCount.load(std::memory_order_relaxed); }

protected:
    /// `module` becomes the log component; `instance` appears in the traces.
    RefCount(char const* module, LONG instance);
    /// Reports "fRefCount == 0" when the object is destroyed other than by its last release.
    ~RefCount() override;

private:
    static constexpr int kCountTraceLevel = 5;  // "raised", "lowered"
    static constexpr int kLifeTraceLevel = 4;   // "Created", "Destroyed"

    // Whether a count operation at this cached verbosity may trace (-1: the log is still to be
    // asked).
    static constexpr bool mayTrace(int verbosity, int threshold) {
        return verbosity == -1 || verbosity >= threshold;
    }
    // The paths that may write traces, and the destruction, out of the way of the others.
    [[gnu::cold, gnu::noinline]] ULONG addRefTraced();
    [[gnu::cold, gnu::noinline]] LONG releaseTraced();
    [[gnu::noinline]] void destroy();

    // Read by every count operation, written only at construction and when the verbosity is
    // cached.
    ComponentLog fLog;
    LONG fInstance;
    // Keeps the count a cache line away from the fields above and the vtable pointer, so that
    // threads counting one object contend for a single line. Padding rather than alignas(64):
    // over-aligned objects take the slower aligned allocation.
    [[maybe_unused]] char fGap[63];
    std::atomic<LONG> fRefCount{1};
};

}  // namespace support
