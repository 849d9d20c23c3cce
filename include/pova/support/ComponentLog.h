/// @class support::ComponentLog
/// Trace output of one component of a log module, with its verbosity asked of the
/// process log once and cached.
#pragma once

#include <basekit/PovaString.h>
#include <pova/pova_export.h>

#include <atomic>

namespace support {

class POVA_API ComponentLog {
public:
    /// Both names are kept by address and must outlive the log: static names such as
    /// memoryModule() or interned ones (internedName), so that a log costs no allocation.
    ComponentLog(PovaString const& module, PovaString const& component);
    ComponentLog(PovaString&& module, PovaString const& component) = delete;
    ComponentLog(PovaString const& module, PovaString&& component) = delete;
    ComponentLog(PovaString&& module, PovaString&& component) = delete;
    virtual ~ComponentLog();

    /// Writes `message` when the cached verbosity is at least `level`.
    void log(PovaString const& message, int level);
    /// printf-style; written at level 6.
    void logf(char const* format, ...) __attribute__((format(printf, 2, 3)));
    /// The cached verbosity (asked of the log on first use while a log is attached); -1 while
    /// no log has answered.
    int verbosity();
    /// The cached verbosity as it stands, without asking: for hot paths that only need to know
    /// whether they may skip tracing.
    int cachedVerbosity() const { return fVerbosity.load(std::memory_order_relaxed); }

    ///@{
    /// The module and component names the log writes under.
    PovaString const& module() const { return *fModule; }
    PovaString const& component() const { return *fComponent; }
    ///@}

    /// Writes the record log() writes, for a caller that has tested the level itself and may no
    /// longer touch its log (a counted object after its count dropped).
    static void write(PovaString const& module, PovaString const& component,
                      PovaString const& message, int level);

private:
    PovaString const* fModule;
    PovaString const* fComponent;
    std::atomic<int> fVerbosity{-1};
};

}  // namespace support
