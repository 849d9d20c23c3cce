#include <pova/ViewResultSet.h>
#include <pova/common/SynchronousChunkHandler.h>

#include <utility>

namespace common {

SynchronousChunkHandler::SynchronousChunkHandler(ZELT_o::ViewResultSet* resultSet, LONG axis,
                                                 LONG first, LONG last)
    : fResultSet(resultSet), fAxis(axis), fFirst(first), fLast(last), fAxisRequest(true) {}

SynchronousChunkHandler::SynchronousChunkHandler(ZELT_o::ViewResultSet* resultSet, LONG first,
                                                 LONG last)
    : fResultSet(resultSet), fAxis(0), fFirst(first), fLast(last), fAxisRequest(false) {}

// The queue's handles release the chunks nobody took.
SynchronousChunkHandler::~SynchronousChunkHandler() = default;

void SynchronousChunkHandler::StartFetch() {
    startChunkTransfer();
}

void SynchronousChunkHandler::startChunkTransfer() {
    if (fAxisRequest) {
        fResultSet->requestAxisChunks(this, fAxis, fFirst, fLast);
    } else {
        fResultSet->requestCellChunks(this, fFirst, fLast);
    }
}

bool SynchronousChunkHandler::handleChunk(ZELT_o::Chunk* chunk, bool /*last*/) {
    auto held = support::adopt(chunk);
    {
        KobalSynchronized guard(fLock);
        if (fCancelled) {
            return false;
        }
    }
    // A provider may deliver from a thread of its own, so the queue has a lock as well.
    KobalSynchronized guard(fQueueMutex);
    fQueue.push_back(std::move(held));
    return true;
}

ZELT_o::Chunk* SynchronousChunkHandler::GetChunk() {
    KobalSynchronized guard(fQueueMutex);
    if (fQueue.empty()) {
        return nullptr;
    }
    ZELT_o::Chunk* chunk = fQueue.front().detach();
    fQueue.pop_front();
    return chunk;
}

bool SynchronousChunkHandler::onCancel(std::function<void()> interrupt) {
    KobalSynchronized guard(fLock);
    if (fCancelled) {
        return false;
    }
    fInterrupt = std::move(interrupt);
    return true;
}

// The interrupt runs under the lock, so a result set that withdraws it (which takes the lock)
// knows that it is not running any more and may let its objects go.
void SynchronousChunkHandler::CancelChunks() {
    KobalSynchronized guard(fLock);
    fCancelled = true;
    if (fInterrupt) {
        std::function<void()> const interrupt = std::move(fInterrupt);
        fInterrupt = nullptr;
        interrupt();
    }
}

}  // namespace common
