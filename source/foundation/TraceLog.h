// support::TraceLog: the trace lines of one component of a log module (code 0xC2011000 with
// one insert), written when the configured verbosity reaches the line's level. The verbosity
// is asked of the process log once per TraceLog and cached.
#pragma once

#include <basekit/PovaString.h>

#include <atomic>

namespace support {

class TraceLog {
public:
    // Level of ordinary trace lines.
    static constexpr int kTraceLevel = 5;

    TraceLog(PovaString const& module, char const* component, char const* file);

    // Whether lines of that level are written (a log is attached and the verbosity reaches it).
    bool enabled(int level = kTraceLevel);
    // Formats and writes a line at kTraceLevel.
    void write(int line, char const* function, char const* format, ...)
        __attribute__((format(printf, 4, 5)));

private:
    PovaString fModule;
    PovaString fComponent;
    PovaString fFile;
    std::atomic<int> fVerbosity{-1};
};

}  // namespace support
