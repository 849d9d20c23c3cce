// runTogether: runs a function on several threads that start at the same moment, so that their
// work overlaps even on a busy machine, and joins them. For the *Threads test suites.
#pragma once

#include <atomic>
#include <thread>
#include <vector>

namespace testing_support {

// Calls `function(t)` on threads t = 0 .. count-1 and waits for all of them.
template <class Function>
void runTogether(int count, Function const& function) {
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < count; ++t) {
        threads.emplace_back([&ready, &function, count, t] {
            for (++ready; ready.load() < count;) {
                std::this_thread::yield();
            }
            function(t);
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
}

}  // namespace testing_support
