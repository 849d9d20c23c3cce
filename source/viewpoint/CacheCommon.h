// common::CacheCommon: a viewpoint's result cache. Maps a query's property list to the result
// set the provider returned for it; entries leave only when the whole cache is cleared.
//
// Thread-safe: one mutex guards every lookup, insertion and clearing, held across the calls
// into result sets made there. Private to the library; exported only so that the tests and
// benchmarks can reach it.
#pragma once

#include <basekit/KobalMutex.h>
#include <basekit/PovaString.h>
#include <basekit/WinTypes.h>
#include <pova/PropertySpecification.h>
#include <pova/ViewResultSet.h>
#include <pova/pova_export.h>
#include <pova/support/Ref.h>

#include <cstddef>
#include <deque>
#include <memory>
#include <unordered_map>
#include <vector>

namespace common {

class POVA_API CacheCommon {
public:
    using Properties = std::vector<ZELT_o::PropertySpecification>;

    CacheCommon();
    virtual ~CacheCommon();
    CacheCommon(CacheCommon const&) = delete;
    CacheCommon& operator=(CacheCommon const&) = delete;

    // The result set cached for an equal property list (same order, same length), with one
    // reference for the caller, or null. When several are equal the newest wins.
    ZELT_o::ViewResultSet* findData(Properties const* properties);
    // Keeps one reference to the result set under a copy of the list.
    void addData(ZELT_o::ViewResultSet* resultSet, Properties const* properties);
    // Drops every entry, telling each result set that it is discarded.
    void clearData();
    std::size_t entryCount() const;
    LONG getInstance() const { return fInstance; }

    // Trace lines of the modules "INTERFACE", "MEMORY" and "CACHE", written when the module's
    // verbosity (read at construction) reaches `level`.
    void log_interface(PovaString const& text, LONG level);
    void log_memory(PovaString const& text, LONG level);
    void log_cache(PovaString const& text, LONG level);

private:
    struct Entry {
        support::Ref<ZELT_o::ViewResultSet> resultSet;
        Properties properties;
    };

    // Formats one line with the instance number and address in front of `what`.
    PovaString line(char const* format, ...) const __attribute__((format(printf, 2, 3)));
    void write(PovaString const& module, char const* function, int line, PovaString const& text,
               LONG level) const;

    // The entries newest first; a deque keeps them in place, so the index may point at them.
    std::deque<Entry> fEntries;  // Guarded by *fMutex.
    // The entries by the hash of their list, each bucket oldest first: a lookup scans only the
    // lists that can be equal, newest first, which is what a scan of all entries would find.
    std::unordered_map<std::size_t, std::vector<Entry const*>> fIndex;  // Guarded by *fMutex.
    std::unique_ptr<KobalMutex> fMutex;
    LONG fInterfaceVerbosity = 0;
    LONG fMemoryVerbosity = 0;
    LONG fCacheVerbosity = 0;
    LONG fInstance;
};

}  // namespace common
