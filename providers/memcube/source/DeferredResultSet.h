// memcube::DeferredResultSet: the result of a viewpoint's query on a cube whose cells come from
// a fact source (a database). It computes its plan on first use rather than in the query, so
// that a chunk request can hand the source's cancel to its handler: cancelling the request from
// another thread then interrupts the statement. Other first uses (an axis length, the item
// count) compute without a handler; their errors are thrown from there.
#pragma once

#include "QueryPlan.h"

#include <memcube/MemCube.h>
#include <pova/ViewResultSet.h>
#include <pova/support/Ref.h>

#include <atomic>
#include <mutex>

namespace memcube {

class DeferredResultSet final : public ZELT_o::ViewResultSet {
public:
    DeferredResultSet(support::Ref<MemCube> cube, QueryPlan plan);

    // --- ZELT_o::ViewResultSet
    LONG getAxisCount() const override;
    LONG getAxisLength(LONG axis) const override;
    LONG getItemCount() const override;
    void markDiscarded(bool discarded) override { fDiscarded = discarded; }
    double getMinimum() const override;
    double getMaximum() const override;
    // A request cancelled before its cells are computed delivers nothing and raises nothing.
    void requestAxisChunks(ZELT_o::ChunkHandler* handler, LONG axis, LONG first,
                           LONG last) override;
    void requestCellChunks(ZELT_o::ChunkHandler* handler, LONG first, LONG last) override;

    // --- memcube
    bool isDiscarded() const { return fDiscarded; }
    // Computes the result if it was not yet. A failure is left for the next reader to meet
    // again.
    void settle() const noexcept;

private:
    ~DeferredResultSet() override;

    // The computed result, computed now if need be, with `handler`'s cancellation wired to the
    // source meanwhile. Null only when the handler was cancelled first.
    ZELT_o::ViewResultSet* computed(ZELT_o::ChunkHandler* handler) const;

    support::Ref<MemCube> fCube;  // Keeps the plan's members and the source alive.
    QueryPlan const fPlan;
    // Computations wait for each other; a failed one leaves nothing, so the next use tries
    // again.
    mutable std::mutex fMutex;
    mutable support::Ref<ZELT_o::ViewResultSet> fResult;  // Guarded by fMutex.
    std::atomic<bool> fDiscarded{false};
};

}  // namespace memcube
