#include <pova/support/ComponentLog.h>
#include <pova/support/Module.h>

#include <cstdarg>
#include <vector>

namespace support {

namespace {
// Formatting buffer of the printf-style form, in characters.
constexpr std::size_t kFormatBuffer = 65534;
// Level of records written through the printf-style form.
constexpr int kFormattedLevel = 6;
}  // namespace

ComponentLog::ComponentLog(PovaString const& module, PovaString const& component)
    : fModule(&module), fComponent(&component) {}

ComponentLog::~ComponentLog() = default;

int ComponentLog::verbosity() {
    int level = fVerbosity.load(std::memory_order_relaxed);
    if (level == -1) {
        if (CoreLog* log = moduleLog(); log != nullptr) {
            level = log->getModuleVerbosity(*fModule, *fComponent);
            fVerbosity.store(level, std::memory_order_relaxed);
        }
    }
    return level;
}

void ComponentLog::log(PovaString const& message, int level) {
    if (verbosity() >= level) {
        write(*fModule, *fComponent, message, level);
    }
}

void ComponentLog::write(PovaString const& module, PovaString const& component,
                         PovaString const& message, int level) {
    CoreLog* log = moduleLog();
    if (log == nullptr) {
        return;
    }
    LogArgument argument;
    argument.putFile("componentlog").putLine(__LINE__).putDate(kPovaBuildDate);
    argument.putFunction("ComponentLog::log").putComponent(component).putModule(module);
    log->log(argument, kComponentLogMessageCode, level, 1, &message);
}

void ComponentLog::logf(char const* format, ...) {
    if (verbosity() < kFormattedLevel) {
        return;
    }
    std::vector<char16_t> buffer(kFormatBuffer);
    std::va_list args;
    va_start(args, format);
    vsnuprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    log(PovaString(buffer.data()), kFormattedLevel);
}

}  // namespace support
