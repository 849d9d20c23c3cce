#include <basekit/AssertionFailure.h>
#include <pova/support/Module.h>
#include <pova/support/RefCount.h>

namespace support {

namespace {
// The source path the assertions of this file report.
constexpr char kSourcePath[] = ".\\source\\refcount.cpp";
}  // namespace

RefCountBase::~RefCountBase() = default;

RefCount::RefCount(char const* module, LONG instance)
    : fLog(memoryModule(), internedName(module)), fInstance(instance) {
    if (fLog.verbosity() >= kLifeTraceLevel) {
        fLog.log(
            PovaString::build("Instance %d (%p): Created", fInstance, static_cast<void*>(this)),
            kLifeTraceLevel);
    }
}

RefCount::~RefCount() {
    if (fRefCount.load(std::memory_order_relaxed) != 0) {
        AssertionFailure("fRefCount == 0", kSourcePath, __LINE__);
    }
}

void RefCount::destroy() {
    delete this;
}

ULONG RefCount::addRefTraced() {
    int const verbosity = fLog.verbosity();
    LONG const count = fRefCount.fetch_add(1, std::memory_order_relaxed) + 1;
    if (verbosity >= kCountTraceLevel) {
        fLog.log(PovaString::build("Instance %d (%p): Refcount raised to %d", fInstance,
                                   static_cast<void*>(this), count),
                 kCountTraceLevel);
    }
    return static_cast<ULONG>(count);
}

LONG RefCount::releaseTraced() {
    // The traces are written from copies taken before the decrement: once it is done, another
    // thread's final release may delete the object. The names outlive every object.
    int const verbosity = fLog.verbosity();
    PovaString const& module = fLog.module();
    PovaString const& component = fLog.component();
    LONG const instance = fInstance;
    void* const address = static_cast<void*>(this);

    LONG const count = fRefCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (verbosity >= kCountTraceLevel) {
        ComponentLog::write(
            module, component,
            PovaString::build("Instance %d (%p): Refcount lowered to %d", instance, address, count),
            kCountTraceLevel);
    }
    if (count != 0) {
        return count;
    }
    if (verbosity >= kLifeTraceLevel) {
        ComponentLog::write(module, component,
                            PovaString::build("Instance %d (%p): Destroyed", instance, address),
                            kLifeTraceLevel);
    }
    delete this;
    return 0;
}

}  // namespace support
