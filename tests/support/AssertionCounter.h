// AssertionCounter: while alive, counts (and keeps) the assertion reports of the process.
#pragma once

#include <basekit/AssertionFailure.h>

#include <mutex>
#include <string>
#include <vector>

namespace testing_support {

class AssertionCounter {
public:
    AssertionCounter();
    ~AssertionCounter();
    AssertionCounter(AssertionCounter const&) = delete;
    AssertionCounter& operator=(AssertionCounter const&) = delete;

    std::size_t count() const;
    // Reports whose expression is exactly `expression`.
    std::size_t count(std::string const& expression) const;
    std::vector<AssertionReport> reports() const;

private:
    mutable std::mutex fMutex;
    std::vector<AssertionReport> fReports;  // Guarded by fMutex.
    basekit::AssertionHandler fPrevious;
};

}  // namespace testing_support
