#include "foundation/TraceLog.h"

#include <basekit/CoreLog.h>
#include <pova/support/Module.h>

#include <cstdarg>

namespace support {

TraceLog::TraceLog(PovaString const& module, char const* component, char const* file)
    : fModule(module), fComponent(component), fFile(file) {}

bool TraceLog::enabled(int level) {
    CoreLog* log = moduleLog();
    if (log == nullptr) {
        return false;
    }
    int verbosity = fVerbosity.load(std::memory_order_relaxed);
    if (verbosity == -1) {
        verbosity = log->getModuleVerbosity(fModule, fComponent);
        fVerbosity.store(verbosity, std::memory_order_relaxed);
    }
    return verbosity >= level;
}

void TraceLog::write(int line, char const* function, char const* format, ...) {
    if (!enabled(kTraceLevel)) {
        return;
    }
    CoreLog* log = moduleLog();
    if (log == nullptr) {
        return;
    }
    std::va_list args;
    va_start(args, format);
    PovaString const text = PovaString::vbuild(format, args);
    va_end(args);
    LogArgument argument;
    argument.putFile(fFile).putLine(line).putDate(kPovaBuildDate).putFunction(function);
    argument.putComponent(fComponent).putModule(fModule);
    log->log(argument, kTraceMessageCode, kTraceLevel, 1, &text);
}

}  // namespace support
