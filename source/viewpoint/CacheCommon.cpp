#include "viewpoint/CacheCommon.h"

#include <basekit/BaseError.h>
#include <basekit/CoreLog.h>
#include <pova/support/InstanceCounter.h>
#include <pova/support/Module.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>

namespace common {

namespace {

support::InstanceCounter sInstances;

constexpr char kComponent[] = "CacheCommon";
constexpr char kFile[] = "cachecommon";
constexpr LONG kLifeLevel = 4;
constexpr LONG kTraceLevel = 5;
constexpr LONG kCacheLevel = 4;
// Messages are formatted into buffers of this many characters.
constexpr std::size_t kMessageBuffer = 512;

PovaString const& cacheModule() {
    return support::internedName("CACHE");
}

LONG verbosity(PovaString const& module) {
    CoreLog* log = support::moduleLog();
    return log == nullptr ? 0 : log->getModuleVerbosity(module, PovaString(kComponent));
}

unsigned address(void const* object) {
    return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(object));
}

}  // namespace

CacheCommon::CacheCommon()
    : fMutex(std::make_unique<KobalMutex>()),
      fInterfaceVerbosity(verbosity(support::interfaceModule())),
      fMemoryVerbosity(verbosity(support::memoryModule())),
      fCacheVerbosity(verbosity(cacheModule())),
      fInstance(sInstances.next()) {
    if (fMemoryVerbosity >= kLifeLevel) {
        log_memory(line("created"), kLifeLevel);
    }
}

CacheCommon::~CacheCommon() {
    clearData();
    fMutex.reset();
    if (fMemoryVerbosity >= kLifeLevel) {
        log_memory(line("destroyed"), kLifeLevel);
    }
}

// Callers test the verbosity first, so that an unlogged lookup formats nothing.
PovaString CacheCommon::line(char const* format, ...) const {
    char text[kMessageBuffer];
    int const used = std::snprintf(text, sizeof text, "CacheCommon(%03d) %x ",
                                   static_cast<int>(fInstance), address(this));
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(text + used, sizeof text - static_cast<std::size_t>(used), format, args);
    va_end(args);
    return PovaString(text);
}

ZELT_o::ViewResultSet* CacheCommon::findData(Properties const* properties) {
    if (properties == nullptr) {
        throwResult(E_INVALIDARG);
    }
    if (fInterfaceVerbosity >= kTraceLevel) {
        log_interface(line("findData"), kTraceLevel);
    }
    std::size_t const key = hashValue(*properties);
    KobalSynchronized guard(*fMutex);
    if (auto bucket = fIndex.find(key); bucket != fIndex.end()) {
        for (auto it = bucket->second.rbegin(); it != bucket->second.rend(); ++it) {
            Entry const& entry = **it;
            if (entry.properties == *properties) {
                if (fCacheVerbosity >= kCacheLevel) {
                    log_cache(line("Using cached data (%x items)",
                                   static_cast<unsigned>(entry.resultSet->getItemCount())),
                              kCacheLevel);
                }
                return support::retain(entry.resultSet.get()).detach();
            }
        }
    }
    if (fCacheVerbosity >= kCacheLevel) {
        log_cache(line("Data not found in cache"), kCacheLevel);
    }
    return nullptr;
}

void CacheCommon::addData(ZELT_o::ViewResultSet* resultSet, Properties const* properties) {
    if (resultSet == nullptr || properties == nullptr) {
        throwResult(E_INVALIDARG);
    }
    if (fInterfaceVerbosity >= kTraceLevel) {
        log_interface(line("addData"), kTraceLevel);
    }
    std::size_t const key = hashValue(*properties);
    KobalSynchronized guard(*fMutex);
    if (fCacheVerbosity >= kCacheLevel) {
        log_cache(line("Adding data to cache (%x items)",
                       static_cast<unsigned>(resultSet->getItemCount())),
                  kCacheLevel);
    }
    std::vector<Entry const*>& bucket = fIndex[key];
    bucket.reserve(bucket.size() + 1);
    fEntries.push_front(Entry{support::retain(resultSet), *properties});
    bucket.push_back(&fEntries.front());
}

void CacheCommon::clearData() {
    if (fInterfaceVerbosity >= kTraceLevel) {
        log_interface(line("clearData"), kTraceLevel);
    }
    KobalSynchronized guard(*fMutex);
    if (fCacheVerbosity >= kCacheLevel) {
        log_cache(line("Clearing cache (%x resultsets)", static_cast<unsigned>(fEntries.size())),
                  kCacheLevel);
    }
    for (Entry& entry : fEntries) {
        entry.resultSet->markDiscarded(true);
        entry.resultSet.reset();
    }
    fIndex.clear();
    fEntries.clear();
}

std::size_t CacheCommon::entryCount() const {
    KobalSynchronized guard(*fMutex);
    return fEntries.size();
}

void CacheCommon::log_interface(PovaString const& text, LONG level) {
    if (fInterfaceVerbosity != 0 && fInterfaceVerbosity >= level) {
        write(support::interfaceModule(), "CacheCommon::log_interface", __LINE__, text, level);
    }
}

void CacheCommon::log_memory(PovaString const& text, LONG level) {
    if (fMemoryVerbosity != 0 && fMemoryVerbosity >= level) {
        write(support::memoryModule(), "CacheCommon::log_memory", __LINE__, text, level);
    }
}

void CacheCommon::log_cache(PovaString const& text, LONG level) {
    if (fCacheVerbosity != 0 && fCacheVerbosity >= level) {
        write(cacheModule(), "CacheCommon::log_cache", __LINE__, text, level);
    }
}

void CacheCommon::write(PovaString const& module, char const* function, int line,
                        PovaString const& text, LONG level) const {
    CoreLog* log = support::moduleLog();
    if (log == nullptr) {
        return;
    }
    char narrow[kMessageBuffer];
    std::snprintf(narrow, sizeof narrow, "%s", text.string().c_str());
    PovaString const insert(narrow);
    LogArgument argument;
    argument.putFile(kFile).putLine(line).putDate(kPovaBuildDate).putFunction(function);
    argument.putComponent(kComponent).putModule(module);
    log->log(argument, support::kTraceMessageCode, level, 1, &insert);
}

}  // namespace common
