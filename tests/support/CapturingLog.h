// CapturingLog: while alive, the process log's records go to this object and the verbosities
// are the ones the test sets. Restores the previous sink and clears verbosities on destruction.
#pragma once

#include <basekit/CoreLog.h>

#include <mutex>
#include <string>
#include <vector>

namespace testing_support {

class CapturingLog {
public:
    CapturingLog();
    ~CapturingLog();
    CapturingLog(CapturingLog const&) = delete;
    CapturingLog& operator=(CapturingLog const&) = delete;

    // Sets a verbosity on the process log (component empty: the whole module).
    void setVerbosity(char const* module, char const* component, int verbosity);

    std::vector<LogRecord> records() const;
    // The first insert of every record, as UTF-8, in order.
    std::vector<std::string> lines() const;
    // Records whose first insert contains `text`.
    std::size_t count(std::string const& text) const;
    void clear();

private:
    mutable std::mutex fMutex;
    std::vector<LogRecord> fRecords;  // Guarded by fMutex.
    CoreLog::Sink fPrevious;
};

}  // namespace testing_support
