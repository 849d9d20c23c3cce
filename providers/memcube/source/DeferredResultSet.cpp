#include "DeferredResultSet.h"

#include <memcube/FactSource.h>
#include <pova/ChunkHandler.h>
#include <pova/support/InstanceCounter.h>

namespace memcube {

namespace {

support::InstanceCounter gInstances;

}  // namespace

DeferredResultSet::DeferredResultSet(support::Ref<MemCube> cube, QueryPlan plan)
    : ZELT_o::ViewResultSet("DeferredResultSet", gInstances.next()),
      fCube(std::move(cube)),
      fPlan(std::move(plan)) {}

DeferredResultSet::~DeferredResultSet() = default;

ZELT_o::ViewResultSet* DeferredResultSet::computed(ZELT_o::ChunkHandler* handler) const {
    std::lock_guard const lock(fMutex);
    if (fResult) {
        return fResult.get();
    }
    FactSource* const source = fCube->factSource();
    if (handler == nullptr || source == nullptr) {
        fResult = computeQuery(*fCube, fPlan);
        return fResult.get();
    }
    // The source outlives the interrupt: the cube is held, and the interrupt is withdrawn
    // (under the handler's lock, which the interrupt runs under) before this returns.
    if (!handler->onCancel([source] { source->cancel(); })) {
        return nullptr;
    }
    try {
        fResult = computeQuery(*fCube, fPlan);
    } catch (...) {
        // A failure the cancellation caused is the end the caller asked for.
        if (!handler->onCancel({})) {
            return nullptr;
        }
        throw;
    }
    handler->onCancel({});
    return fResult.get();
}

void DeferredResultSet::settle() const noexcept {
    try {
        computed(nullptr);
    } catch (...) {
        // The statement failed; reading the result raises the failure.
    }
}

LONG DeferredResultSet::getAxisCount() const {
    return static_cast<LONG>(fPlan.layout.axes.size());
}

LONG DeferredResultSet::getAxisLength(LONG axis) const {
    return computed(nullptr)->getAxisLength(axis);
}

LONG DeferredResultSet::getItemCount() const {
    return computed(nullptr)->getItemCount();
}

double DeferredResultSet::getMinimum() const {
    return computed(nullptr)->getMinimum();
}

double DeferredResultSet::getMaximum() const {
    return computed(nullptr)->getMaximum();
}

void DeferredResultSet::requestAxisChunks(ZELT_o::ChunkHandler* handler, LONG axis, LONG first,
                                          LONG last) {
    if (ZELT_o::ViewResultSet* result = computed(handler)) {
        result->requestAxisChunks(handler, axis, first, last);
    }
}

void DeferredResultSet::requestCellChunks(ZELT_o::ChunkHandler* handler, LONG first, LONG last) {
    if (ZELT_o::ViewResultSet* result = computed(handler)) {
        result->requestCellChunks(handler, first, last);
    }
}

}  // namespace memcube
