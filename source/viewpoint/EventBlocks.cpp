// The per-thread cache of event blocks. A block freed on another thread than the one that
// took it joins that thread's cache; each cache frees what it holds when its thread ends.
#include "ViewpointEvents.h"

#include <new>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define POVA_EVENT_BLOCKS_ON_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define POVA_EVENT_BLOCKS_ON_HEAP 1
#endif
#endif

namespace common::event_blocks {

#ifndef POVA_EVENT_BLOCKS_ON_HEAP
namespace {

// Enough for the events of a few changes queued before a send.
constexpr std::size_t kCached = 64;

// Initial-exec: the library is loaded with the program, and the general model of thread-local
// storage would cost a call per access.
#define POVA_TLS_FAST __attribute__((tls_model("initial-exec")))

// Set once the thread's cache is gone: an event freed later (by a static viewpoint's
// destructor, say) goes to the heap.
POVA_TLS_FAST thread_local bool tCacheGone = false;

struct Cache {
    Cache() { blocks.reserve(kCached); }
    ~Cache() {
        tCacheGone = true;
        for (void* block : blocks) {
            ::operator delete(block);
        }
    }
    Cache(Cache const&) = delete;
    Cache& operator=(Cache const&) = delete;
    std::vector<void*> blocks;
};

Cache* cache() {
    if (tCacheGone) {
        return nullptr;
    }
    POVA_TLS_FAST thread_local Cache instance;
    return &instance;
}

}  // namespace
#endif

void* take(std::size_t size) {
#ifndef POVA_EVENT_BLOCKS_ON_HEAP
    if (size <= kSize) {
        if (Cache* own = cache(); own != nullptr && !own->blocks.empty()) {
            void* block = own->blocks.back();
            own->blocks.pop_back();
            return block;
        }
        return ::operator new(kSize);
    }
#endif
    return ::operator new(size);
}

void give(void* block, [[maybe_unused]] std::size_t size) noexcept {
#ifndef POVA_EVENT_BLOCKS_ON_HEAP
    if (size <= kSize) {
        if (Cache* own = cache(); own != nullptr && own->blocks.size() < kCached) {
            own->blocks.push_back(block);
            return;
        }
    }
#endif
    ::operator delete(block);
}

}  // namespace common::event_blocks
