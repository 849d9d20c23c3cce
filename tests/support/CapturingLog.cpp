#include "support/CapturingLog.h"

namespace testing_support {

CapturingLog::CapturingLog() {
    CoreLog* log = basekit::getLogObject();
    log->clearVerbosities();
    fPrevious = log->setSink([this](LogRecord const& record) {
        std::lock_guard<std::mutex> lock(fMutex);
        fRecords.push_back(record);
    });
}

CapturingLog::~CapturingLog() {
    CoreLog* log = basekit::getLogObject();
    log->setSink(fPrevious);
    log->clearVerbosities();
}

void CapturingLog::setVerbosity(char const* module, char const* component, int verbosity) {
    basekit::getLogObject()->setVerbosity(module, component, verbosity);
}

std::vector<LogRecord> CapturingLog::records() const {
    std::lock_guard<std::mutex> lock(fMutex);
    return fRecords;
}

std::vector<std::string> CapturingLog::lines() const {
    std::vector<std::string> result;
    for (LogRecord const& record : records()) {
        result.push_back(record.inserts.empty() ? std::string() : record.inserts[0].string());
    }
    return result;
}

std::size_t CapturingLog::count(std::string const& text) const {
    std::size_t n = 0;
    for (std::string const& line : lines()) {
        if (line.find(text) != std::string::npos) {
            ++n;
        }
    }
    return n;
}

void CapturingLog::clear() {
    std::lock_guard<std::mutex> lock(fMutex);
    fRecords.clear();
}

}  // namespace testing_support
