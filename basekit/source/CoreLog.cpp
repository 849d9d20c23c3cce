#include <basekit/CoreLog.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

namespace {

// Writes records to the file named by POVA_LOG_FILE (appending) or to standard error.
class DefaultOutput {
public:
    DefaultOutput() {
        if (char const* path = std::getenv("POVA_LOG_FILE"); path != nullptr && *path != '\0') {
            fFile = std::fopen(path, "a");
        }
    }
    ~DefaultOutput() {
        if (fFile != nullptr) {
            std::fclose(fFile);
        }
    }
    DefaultOutput(DefaultOutput const&) = delete;
    DefaultOutput& operator=(DefaultOutput const&) = delete;

    void write(LogRecord const& record) {
        std::string const line = CoreLog::format(record) + "\n";
        FILE* out = fFile != nullptr ? fFile : stderr;
        std::fwrite(line.data(), 1, line.size(), out);
        std::fflush(out);
    }

private:
    FILE* fFile = nullptr;
};

PovaString trimmed(std::string_view text) {
    PovaString s{text};
    s.trim();
    return s;
}

}  // namespace

CoreLog::CoreLog() = default;
CoreLog::~CoreLog() = default;

int CoreLog::getModuleVerbosity(PovaString const& module, PovaString const& component) const {
    if (!fConfigured.load(std::memory_order_acquire)) {
        return 0;
    }
    std::shared_lock<std::shared_mutex> lock(fMutex);
    auto const entry = fVerbosities.find(module);
    if (entry == fVerbosities.end()) {
        return 0;
    }
    ModuleVerbosity const& verbosity = entry->second;
    if (auto it = verbosity.components.find(component); it != verbosity.components.end()) {
        return it->second;
    }
    return verbosity.hasDefault ? verbosity.level : 0;
}

void CoreLog::log(LogArgument const& argument, ZELT_o::MessageCode messageCode, int verbosity,
                  int insertCount, PovaString const* inserts) {
    LogRecord record;
    record.argument = argument;
    record.code = messageCode;
    record.verbosity = verbosity;
    for (int i = 0; inserts != nullptr && i < insertCount; ++i) {
        record.inserts.push_back(inserts[i]);
    }
    Sink sink;
    {
        std::shared_lock<std::shared_mutex> lock(fMutex);
        sink = fSink;
    }
    if (sink) {
        sink(record);
        return;
    }
    static DefaultOutput output;
    static std::mutex outputMutex;
    std::lock_guard<std::mutex> lock(outputMutex);
    output.write(record);
}

void CoreLog::setVerbosity(PovaString const& module, PovaString const& component, int verbosity) {
    std::lock_guard<std::shared_mutex> lock(fMutex);
    ModuleVerbosity& entry = fVerbosities[module];
    if (component.empty()) {
        entry.hasDefault = true;
        entry.level = verbosity;
    } else {
        entry.components[component] = verbosity;
    }
    fConfigured.store(true, std::memory_order_release);
}

bool CoreLog::configure(std::string_view spec) {
    bool allGood = true;
    while (!spec.empty()) {
        std::size_t const comma = spec.find(',');
        std::string_view entry = spec.substr(0, comma);
        spec = comma == std::string_view::npos ? std::string_view() : spec.substr(comma + 1);
        if (trimmed(entry).empty()) {
            continue;
        }
        std::size_t const equals = entry.find('=');
        if (equals == std::string_view::npos) {
            allGood = false;
            continue;
        }
        std::string_view const key = entry.substr(0, equals);
        std::string const value = trimmed(entry.substr(equals + 1)).string();
        char* end = nullptr;
        long const level = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || end == nullptr || *end != '\0') {
            allGood = false;
            continue;
        }
        std::size_t const slash = key.find('/');
        PovaString const module = trimmed(key.substr(0, slash));
        PovaString const component =
            slash == std::string_view::npos ? PovaString() : trimmed(key.substr(slash + 1));
        if (module.empty()) {
            allGood = false;
            continue;
        }
        setVerbosity(module, component, static_cast<int>(level));
    }
    return allGood;
}

void CoreLog::clearVerbosities() {
    std::lock_guard<std::shared_mutex> lock(fMutex);
    fVerbosities.clear();
    fConfigured.store(false, std::memory_order_release);
}

CoreLog::Sink CoreLog::setSink(Sink sink) {
    std::lock_guard<std::shared_mutex> lock(fMutex);
    std::swap(fSink, sink);
    return sink;
}

std::string CoreLog::format(LogRecord const& record) {
    char head[64];
    std::snprintf(head, sizeof head, "[%08X v%d] ", static_cast<unsigned>(record.code),
                  record.verbosity);
    std::string line = head;
    line += record.argument.getModule().string();
    line += "/";
    line += record.argument.getComponent().string();
    line += " ";
    line += record.argument.getFunction().string();
    line += ":";
    for (std::size_t i = 0; i < record.inserts.size(); ++i) {
        line += i == 0 ? " " : " | ";
        line += record.inserts[i].string();
    }
    return line;
}

namespace basekit {

CoreLog* getLogObject() {
    // Never destroyed: objects released while the process exits may still log.
    alignas(CoreLog) static unsigned char storage[sizeof(CoreLog)];
    static CoreLog* const log = [] {
        auto* created = new (storage) CoreLog();
        if (char const* spec = std::getenv("POVA_LOG"); spec != nullptr) {
            created->configure(spec);
        }
        return created;
    }();
    return log;
}

}  // namespace basekit
