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
constexpr char kCountFunction[] = "support::LegacyRefCount::base_log";
constexpr char kLifeFunction[] = "support::LegacyRefCount::base_memory_log";

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
    : fMutex(std::make_unique<KobalMutex>()), fInstance(instance), fName(&internedName(module)) {
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
    if (int const verbosity = countVerbosity(); verbosity >= kCountTraceLevel) {
        write(traceSource(), __LINE__, kCountFunction, verbosity,
              "Instance %d (%p): Refcount raised to %d", count);
    }
    return static_cast<ULONG>(count);
}

LONG LegacyRefCount::release() {
    if (fRefCount.load(std::memory_order_relaxed) < 1) {
        AssertionFailure("fRefCount > 0", kSourcePath, __LINE__);
    }
    // Everything the trace needs is copied before the decrement. Once the lock is left, this
    // thread touches neither the object nor its mutex: a concurrent final release may be
    // deleting both. That release destroys the mutex only after it has locked and unlocked it
    // itself, so every other holder has left it by then.
    TraceSource const source = traceSource();
    bool destroy = false;
    LONG count = 0;
    {
        KobalSynchronized lock(*fMutex);
        int const verbosity = countVerbosity();
        count = fRefCount.load(std::memory_order_relaxed) - 1;
        fRefCount.store(count, std::memory_order_relaxed);
        // Only the release that takes the count from 1 to 0 destroys; a release of an
        // already released object goes further negative and deletes nothing.
        destroy = count == 0;
        if (verbosity >= kCountTraceLevel) {
            write(source, __LINE__, kCountFunction, verbosity,
                  "Instance %d (%p): Refcount lowered to %d", count);
        }
    }
    if (destroy) {
        delete this;
        return 0;
    }
    if (count < 1) {
        AssertionFailure("fRefCount > 0", kSourcePath, __LINE__);
    }
    return count;
}

int LegacyRefCount::countVerbosity() {
    return cached(fRefVerbosity, *fName);
}

void LegacyRefCount::base_memory_log(int line, char const* format) {
    if (int const level = cached(fMemVerbosity, *fName); level >= kLifeTraceLevel) {
        write(traceSource(), line, kLifeFunction, level, format, 0);
    }
}

bool LegacyRefCount::base_log_enabled(int level) {
    return countVerbosity() >= level;
}

void LegacyRefCount::base_log(int line, char const* function, PovaString const& text) {
    CoreLog* log = moduleLog();
    int const verbosity = countVerbosity();
    if (log == nullptr || verbosity < 0) {
        return;
    }
    LogArgument argument;
    argument.putFile("legacyrefcount").putLine(line).putDate(kPovaBuildDate);
    argument.putFunction(function).putComponent(*fName).putModule(memoryModule());
    log->log(argument, kTraceMessageCode, verbosity, 1, &text);
}

void LegacyRefCount::write(TraceSource const& source, int line, char const* function, int verbosity,
                           char const* format, LONG count) {
    CoreLog* log = moduleLog();
    if (log == nullptr) {
        return;
    }
    char16_t buffer[kTraceBuffer];
    suprintf(buffer, kTraceBuffer, format, source.instance, source.address, count);
    PovaString const text(buffer);
    LogArgument argument;
    argument.putFile("legacyrefcount").putLine(line).putDate(kPovaBuildDate);
    argument.putFunction(function).putComponent(*source.name).putModule(memoryModule());
    log->log(argument, kTraceMessageCode, verbosity, 1, &text);
}

}  // namespace support
