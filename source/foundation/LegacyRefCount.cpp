#include <basekit/AssertionFailure.h>
#include <pova/support/LegacyRefCount.h>
#include <pova/support/Module.h>

namespace support {

namespace {

constexpr int kCountTraceLevel = 5;
constexpr int kLifeTraceLevel = 4;
// Trace lines are formatted into a buffer of this many characters.
constexpr std::size_t kTraceBuffer = 128;
// The source path the assertions of this file report.
constexpr char kSourcePath[] = ".\\source\\legacyrefcount.cpp";

// The cached verbosity, asked of the log once while a log is attached.
int cached(std::atomic<int>& cache, PovaString const& component) {
    int level = cache.load(std::memory_order_relaxed);
    if (level == -1) {
        if (CoreLog* log = moduleLog(); log != nullptr) {
            level = log->getModuleVerbosity(memoryModule(), component);
            cache.store(level, std::memory_order_relaxed);
        }
    }
    return level;
}

}  // namespace

LegacyRefCount::LegacyRefCount(char const* module, LONG instance)
    : fMutex(std::make_unique<KobalMutex>()), fInstance(instance), fName(module) {
    base_memory_log(__LINE__, "Instance %d (%p): Created");
}

LegacyRefCount::~LegacyRefCount() {
    if (fRefCount.load(std::memory_order_relaxed) != 0) {
        AssertionFailure("fRefCount == 0", kSourcePath, __LINE__);
    }
    fMutex.reset();
    base_memory_log(__LINE__, "Instance %d (%p): Destroyed");
}

ULONG LegacyRefCount::addRef() {
    KobalSynchronized lock(*fMutex);
    LONG const count = fRefCount.load(std::memory_order_relaxed) + 1;
    fRefCount.store(count, std::memory_order_relaxed);
    base_log(__LINE__, "Instance %d (%p): Refcount raised to %d", count);
    return static_cast<ULONG>(count);
}

LONG LegacyRefCount::release() {
    if (fRefCount.load(std::memory_order_relaxed) < 1) {
        AssertionFailure("fRefCount > 0", kSourcePath, __LINE__);
    }
    bool destroy = false;
    LONG count = 0;
    {
        KobalSynchronized lock(*fMutex);
        count = fRefCount.load(std::memory_order_relaxed) - 1;
        fRefCount.store(count, std::memory_order_relaxed);
        // Only the release that takes the count from 1 to 0 destroys; a release of an
        // already released object goes further negative and deletes nothing.
        destroy = count == 0;
        base_log(__LINE__, "Instance %d (%p): Refcount lowered to %d", count);
    }
    if (destroy) {
        delete this;
        return 0;
    }
    count = fRefCount.load(std::memory_order_relaxed);
    if (count < 1) {
        AssertionFailure("fRefCount > 0", kSourcePath, __LINE__);
    }
    return count;
}

void LegacyRefCount::base_log(int line, char const* format, LONG count) {
    if (int const level = cached(fRefVerbosity, fName); level >= kCountTraceLevel) {
        write(line, "support::LegacyRefCount::base_log", level, format, count);
    }
}

void LegacyRefCount::base_memory_log(int line, char const* format) {
    if (int const level = cached(fMemVerbosity, fName); level >= kLifeTraceLevel) {
        write(line, "support::LegacyRefCount::base_memory_log", level, format, 0);
    }
}

void LegacyRefCount::write(int line, char const* function, int verbosity, char const* format,
                           LONG count) {
    CoreLog* log = moduleLog();
    if (log == nullptr) {
        return;
    }
    char16_t buffer[kTraceBuffer];
    suprintf(buffer, kTraceBuffer, format, fInstance, static_cast<void*>(this), count);
    PovaString const text(buffer);
    LogArgument argument;
    argument.putFile("legacyrefcount").putLine(line).putDate(kPovaBuildDate);
    argument.putFunction(function).putComponent(fName).putModule(memoryModule());
    log->log(argument, kTraceMessageCode, verbosity, 1, &text);
}

}  // namespace support
