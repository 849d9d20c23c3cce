#include "support/AssertionCounter.h"

namespace testing_support {

AssertionCounter::AssertionCounter() {
    fPrevious = basekit::setAssertionHandler([this](AssertionReport const& report) {
        std::lock_guard<std::mutex> lock(fMutex);
        fReports.push_back(report);
    });
}

AssertionCounter::~AssertionCounter() {
    basekit::setAssertionHandler(fPrevious);
}

std::size_t AssertionCounter::count() const {
    std::lock_guard<std::mutex> lock(fMutex);
    return fReports.size();
}

std::size_t AssertionCounter::count(std::string const& expression) const {
    std::lock_guard<std::mutex> lock(fMutex);
    std::size_t n = 0;
    for (AssertionReport const& report : fReports) {
        n += report.expression == expression ? 1 : 0;
    }
    return n;
}

std::vector<AssertionReport> AssertionCounter::reports() const {
    std::lock_guard<std::mutex> lock(fMutex);
    return fReports;
}

}  // namespace testing_support
