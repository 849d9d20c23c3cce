/// @class common::SynchronousChunkHandler
/// Asks a result set for one axis range or one cell range and
/// keeps the chunks it delivers, in arrival order, until the caller takes them.
///
/// Built by the code that wants the data, started once with StartFetch, drained with GetChunk
/// until it returns null, and deleted by that caller. The result set is borrowed: the caller
/// keeps it alive while the handler fetches. CancelChunks may be called from any thread while
/// chunks arrive; chunks that arrive afterwards are released at once and refused, and slow work
/// the result set registered through onCancel is interrupted.
#pragma once

#include <basekit/KobalMutex.h>
#include <basekit/WinTypes.h>
#include <pova/Chunk.h>
#include <pova/ChunkHandler.h>
#include <pova/pova_export.h>
#include <pova/support/Ref.h>

#include <deque>
#include <functional>

namespace ZELT_o {
class ViewResultSet;
}

namespace common {

class POVA_API SynchronousChunkHandler : public ZELT_o::ChunkHandler {
public:
    /// An axis request: tuples first .. last of `axis`.
    SynchronousChunkHandler(ZELT_o::ViewResultSet* resultSet, LONG axis, LONG first, LONG last);
    /// A cell request: cells first .. last.
    SynchronousChunkHandler(ZELT_o::ViewResultSet* resultSet, LONG first, LONG last);
    ~SynchronousChunkHandler() override;
    SynchronousChunkHandler(SynchronousChunkHandler const&) = delete;
    SynchronousChunkHandler& operator=(SynchronousChunkHandler const&) = delete;

    /// Asks the result set for the data; it answers through handleChunk.
    void StartFetch();
    /// Queues the chunk (taking over its reference) and returns true; once cancelled, releases
    /// it and returns false so that the delivery stops. `last` is not used.
    bool handleChunk(ZELT_o::Chunk* chunk, bool last) override;
    /// Keeps `interrupt` for CancelChunks; false, keeping nothing, once cancelled.
    bool onCancel(std::function<void()> interrupt) override;
    /// The oldest queued chunk with its reference for the caller, or null when none is queued.
    ZELT_o::Chunk* GetChunk();
    /// Refuses the chunks still to come and runs the interrupt registered (see above).
    void CancelChunks();

    /// Whether this is an axis request.
    bool isAxisRequest() const { return fAxisRequest; }

protected:
    /// Sends the request to the result set (StartFetch).
    void startChunkTransfer();

private:
    KobalMutex fQueueMutex;
    std::deque<support::Ref<ZELT_o::Chunk>> fQueue;  // Guarded by fQueueMutex.
    KobalMutex fLock;
    bool fCancelled = false;            // Guarded by fLock.
    std::function<void()> fInterrupt;   // Guarded by fLock.
    ZELT_o::ViewResultSet* fResultSet;  // Borrowed: the caller outlives the fetch.
    LONG fAxis;
    LONG fFirst;
    LONG fLast;
    bool fAxisRequest;
};

}  // namespace common
