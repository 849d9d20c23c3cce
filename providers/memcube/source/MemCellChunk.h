// memcube::MemCellChunk: a run of cells of a MemResultSet, which it keeps alive.
#pragma once

#include <pova/Chunk.h>
#include <pova/support/Ref.h>

namespace memcube {

class MemResultSet;

class MemCellChunk final : public ZELT_o::CellDataChunk {
public:
    // Cells first .. first + count - 1.
    MemCellChunk(support::Ref<MemResultSet> result, LONG first, LONG count);

    // --- ZELT_o::Chunk
    // The ordinal of the chunk's first cell in the result set.
    LONG getFirst() const override { return fFirst; }
    LONG getValueCount() const override { return fCount; }
    // VT_R8, or VT_EMPTY for an empty cell. `value` is overwritten, not cleared.
    bool getValue(LONG i, VARIANT* value) const override;

private:
    ~MemCellChunk() override;

    support::Ref<MemResultSet> fResult;
    LONG fFirst;
    LONG fCount;
};

}  // namespace memcube
