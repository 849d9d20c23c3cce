// ComponentLog: trace output of one component of a log module, with its verbosity asked of the
// process log once and cached.
#pragma once

#include <basekit/PovaString.h>
#include <pova/pova_export.h>

#include <atomic>

namespace support {

class POVA_API ComponentLog {
public:
    ComponentLog(PovaString module, PovaString component);
    virtual ~ComponentLog();

    // Writes `message` when the cached verbosity is at least `level`.
    void log(PovaString const& message, int level);
    // printf-style; written at level 6.
    void logf(char const* format, ...) __attribute__((format(printf, 2, 3)));
    // The cached verbosity (asked of the log on first use while a log is attached); -1 while
    // no log has answered.
    int verbosity();

    PovaString const& module() const { return fModule; }
    PovaString const& component() const { return fComponent; }

private:
    PovaString fModule;
    PovaString fComponent;
    std::atomic<int> fVerbosity{-1};
};

}  // namespace support
