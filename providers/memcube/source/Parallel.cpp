#include "Parallel.h"

#include <memcube/MemCube.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace memcube {

namespace {

std::atomic<unsigned> gThreadCount{0};

// Below this many items a job runs on one thread unless a count was set: starting a thread
// costs more than it saves.
constexpr std::size_t kMinParallelItems = std::size_t{1} << 18;

unsigned environment_threads() {
    static unsigned const kCount = [] {
        char const* text = std::getenv("POVA_MEMCUBE_THREADS");
        if (text == nullptr) {
            return 0UL;
        }
        char* end = nullptr;
        unsigned long const count = std::strtoul(text, &end, 10);
        return *end == '\0' && count <= 256 ? count : 0UL;
    }();
    return kCount;
}

}  // namespace

void MemCube::setThreadCount(unsigned count) {
    gThreadCount.store(count, std::memory_order_relaxed);
}

unsigned MemCube::threadCount() {
    unsigned count = gThreadCount.load(std::memory_order_relaxed);
    count = count != 0 ? count : environment_threads();
    return count != 0 ? count : std::max(1U, std::thread::hardware_concurrency());
}

unsigned threadsFor(std::size_t blocks, std::size_t blockSize) {
    bool const chosen =
        gThreadCount.load(std::memory_order_relaxed) != 0 || environment_threads() != 0;
    if (!chosen && blocks * blockSize < kMinParallelItems) {
        return 1;
    }
    return static_cast<unsigned>(std::min<std::size_t>(MemCube::threadCount(), blocks));
}

void forEachBlock(std::size_t count, unsigned threads,
                  std::function<void(std::size_t block, unsigned worker)> const& work) {
    threads = static_cast<unsigned>(std::min<std::size_t>(std::max(threads, 1U), count));
    if (threads <= 1) {
        for (std::size_t block = 0; block < count; ++block) {
            work(block, 0);
        }
        return;
    }
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr error;
    std::mutex errorLock;
    auto run = [&](unsigned worker) {
        for (std::size_t block = next++; block < count && !failed; block = next++) {
            try {
                work(block, worker);
            } catch (...) {
                std::lock_guard<std::mutex> const lock(errorLock);
                if (!error) {
                    error = std::current_exception();
                }
                failed = true;
            }
        }
    };
    {
        std::vector<std::jthread> helpers;
        helpers.reserve(threads - 1);
        for (unsigned worker = 1; worker < threads; ++worker) {
            try {
                helpers.emplace_back(run, worker);
            } catch (std::system_error const&) {
                break;  // Out of threads: those started and this one do the work.
            }
        }
        run(0);
    }
    if (error) {
        std::rethrow_exception(error);
    }
}

}  // namespace memcube
