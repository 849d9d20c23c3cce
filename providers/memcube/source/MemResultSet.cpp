#include "MemResultSet.h"

#include "MemAxisChunk.h"
#include "MemCellChunk.h"

#include <pova/ChunkHandler.h>
#include <pova/support/InstanceCounter.h>

#include <algorithm>

namespace memcube {

namespace {

support::InstanceCounter gInstances;

// Delivers [first, last] of `count` items as chunks made by `make(first, count)`. A last
// beyond the end means the end; an empty range delivers nothing.
template <class Make>
void deliver(ZELT_o::ChunkHandler* handler, LONG count, LONG first, LONG last, Make make) {
    if (handler == nullptr) {
        return;
    }
    first = std::max<LONG>(first, 0);
    last = std::min<LONG>(last, count - 1);
    for (LONG start = first; start <= last;) {
        LONG const size = std::min<LONG>(MemResultSet::kChunkSize, last - start + 1);
        bool const final = start + size > last;
        support::Ref<ZELT_o::Chunk> chunk = make(start, size);
        // The handler takes over the chunk's reference.
        if (!handler->handleChunk(chunk.detach(), final)) {
            return;
        }
        start += size;
    }
}

}  // namespace

MemResultSet::MemResultSet(support::Ref<ZELT_o::Cube> cube, std::vector<Axis> axes,
                           std::vector<double> values, std::vector<std::uint8_t> present)
    : ZELT_o::ViewResultSet("MemResultSet", gInstances.next()),
      fCube(std::move(cube)),
      fAxes(std::move(axes)),
      fValues(std::move(values)),
      fPresent(std::move(present)) {
    bool any = false;
    for (std::size_t i = 0; i < fValues.size(); ++i) {
        if (fPresent[i] == 0) {
            continue;
        }
        fMinimum = any ? std::min(fMinimum, fValues[i]) : fValues[i];
        fMaximum = any ? std::max(fMaximum, fValues[i]) : fValues[i];
        any = true;
    }
}

MemResultSet::~MemResultSet() = default;

LONG MemResultSet::getAxisLength(LONG axis) const {
    return axis >= 0 && axis < getAxisCount() ? fAxes[static_cast<std::size_t>(axis)].length : 0;
}

void MemResultSet::cellValue(LONG cell, VARIANT* value) const {
    VariantInit(value);
    auto const i = static_cast<std::size_t>(cell);
    if (fPresent[i] != 0) {
        value->vt = VT_R8;
        value->dblVal = fValues[i];
    }
}

void MemResultSet::requestAxisChunks(ZELT_o::ChunkHandler* handler, LONG axis, LONG first,
                                     LONG last) {
    if (axis < 0 || axis >= getAxisCount()) {
        return;
    }
    deliver(handler, getAxisLength(axis), first, last, [&](LONG start, LONG size) {
        return support::Ref<ZELT_o::Chunk>(
            support::adopt(new MemAxisChunk(support::retain(this), axis, start, size)));
    });
}

void MemResultSet::requestCellChunks(ZELT_o::ChunkHandler* handler, LONG first, LONG last) {
    deliver(handler, getItemCount(), first, last, [&](LONG start, LONG size) {
        return support::Ref<ZELT_o::Chunk>(
            support::adopt(new MemCellChunk(support::retain(this), start, size)));
    });
}

}  // namespace memcube
