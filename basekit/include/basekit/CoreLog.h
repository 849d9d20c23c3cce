/// @class CoreLog
/// The process-wide log. Verbosities are configured per module and per
/// (module, component); records go to a sink (by default the file named by POVA_LOG_FILE, or
/// standard error).
///
/// The environment variable POVA_LOG configures verbosities at first use, for example
/// "MEMORY=5,INTERFACE/ViewpointCommon=5". A (module, component) entry wins over the module
/// entry; without either the verbosity is 0. All operations are thread-safe.
#pragma once

#include <basekit/AnyError.h>
#include <basekit/LogArgument.h>
#include <basekit/PovaString.h>
#include <basekit/basekit_export.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <string_view>
#include <utility>
#include <vector>

/// One record as the sink receives it.
struct LogRecord {
    /// Where the record comes from.
    LogArgument argument;
    /// The message code.
    ZELT_o::MessageCode code = 0;
    /// The level the record was written at.
    int verbosity = 0;
    /// The message inserts.
    std::vector<PovaString> inserts;
};

class BASEKIT_API CoreLog {
public:
    /// Receives every record written.
    using Sink = std::function<void(LogRecord const&)>;

    /// A log configured from POVA_LOG, writing to the default sink.
    CoreLog();
    virtual ~CoreLog();
    CoreLog(CoreLog const&) = delete;
    CoreLog& operator=(CoreLog const&) = delete;

    /// The configured verbosity for a component of a module.
    virtual int getModuleVerbosity(PovaString const& module, PovaString const& component) const;

    /// Writes one record with `insertCount` inserts.
    virtual void log(LogArgument const& argument, ZELT_o::MessageCode messageCode, int verbosity,
                     int insertCount, PovaString const* inserts);

    /// Sets a verbosity; an empty component sets the module's default.
    void setVerbosity(PovaString const& module, PovaString const& component, int verbosity);
    /// Parses a configuration such as "MEMORY=5,INTERFACE/ViewpointCommon=5" and adds it.
    /// Malformed entries are ignored; returns false when any entry was malformed.
    bool configure(std::string_view spec);
    /// Forgets every configured verbosity.
    void clearVerbosities();

    /// Replaces the sink; an empty sink restores the default output. Returns the previous sink.
    Sink setSink(Sink sink);

    /// The default rendering of a record, one line without the line feed.
    static std::string format(LogRecord const& record);

private:
    // Verbosities of one module: its default, if set, and those of its components.
    struct ModuleVerbosity {
        bool hasDefault = false;
        int level = 0;
        std::map<PovaString, int> components;
    };

    mutable std::shared_mutex fMutex;
    std::map<PovaString, ModuleVerbosity> fVerbosities;  // Guarded by fMutex.
    // Whether any verbosity is set: counted objects ask on creation, so the common case of
    // an unconfigured log answers without locking.
    std::atomic<bool> fConfigured{false};
    Sink fSink;  // Guarded by fMutex.
};

namespace basekit {
/// The process-wide log; never null while the support library is loaded.
BASEKIT_API CoreLog* getLogObject();
}  // namespace basekit
