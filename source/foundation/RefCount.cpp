#include <pova/support/Module.h>
#include <pova/support/RefCount.h>

namespace support {

namespace {
constexpr int kCountTraceLevel = 5;
constexpr int kLifeTraceLevel = 4;
}  // namespace

RefCountBase::~RefCountBase() = default;

RefCount::RefCount(char const* module, LONG instance)
    : fLog(memoryModule(), PovaString(module)), fInstance(instance) {
    if (fLog.verbosity() >= kLifeTraceLevel) {
        fLog.log(
            PovaString::build("Instance %d (%p): Created", fInstance, static_cast<void*>(this)),
            kLifeTraceLevel);
    }
}

RefCount::~RefCount() = default;

ULONG RefCount::addRef() {
    LONG const count = fRefCount.fetch_add(1, std::memory_order_relaxed) + 1;
    if (fLog.verbosity() >= kCountTraceLevel) {
        fLog.log(PovaString::build("Instance %d (%p): Refcount raised to %d", fInstance,
                                   static_cast<void*>(this), count),
                 kCountTraceLevel);
    }
    return static_cast<ULONG>(count);
}

LONG RefCount::release() {
    // Release ordering so that every write made through this reference happens before the
    // destruction another thread may run.
    LONG const count = fRefCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (fLog.verbosity() >= kCountTraceLevel) {
        fLog.log(PovaString::build("Instance %d (%p): Refcount lowered to %d", fInstance,
                                   static_cast<void*>(this), count),
                 kCountTraceLevel);
    }
    if (count != 0) {
        return count;
    }
    if (fLog.verbosity() >= kLifeTraceLevel) {
        fLog.log(
            PovaString::build("Instance %d (%p): Destroyed", fInstance, static_cast<void*>(this)),
            kLifeTraceLevel);
    }
    delete this;
    return 0;
}

}  // namespace support
