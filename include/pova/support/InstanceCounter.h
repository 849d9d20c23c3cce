/// @file
/// support::InstanceCounter numbers the objects of one implementation class from 0. Each class
/// defines its counter once, in its own source file, so that the count is process-wide.
#pragma once

#include <basekit/WinTypes.h>

#include <atomic>

namespace support {

/// Numbers the objects of one implementation class from 0; thread-safe.
class InstanceCounter {
public:
    /// The number of the next object; the counter then moves on.
    LONG next() { return fNext.fetch_add(1, std::memory_order_relaxed); }
    /// The number the next object will get.
    LONG peek() const { return fNext.load(std::memory_order_relaxed); }

private:
    std::atomic<LONG> fNext{0};
};

}  // namespace support
