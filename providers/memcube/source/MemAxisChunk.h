// memcube::MemAxisChunk: a run of tuples of one axis of a MemResultSet, which it keeps alive.
#pragma once

#include <pova/Chunk.h>
#include <pova/support/Ref.h>

namespace memcube {

class MemResultSet;

class MemAxisChunk final : public ZELT_o::AxisChunk {
public:
    // Tuples first .. first + count - 1 of `axis`.
    MemAxisChunk(support::Ref<MemResultSet> result, LONG axis, LONG first, LONG count);

    // --- ZELT_o::Chunk
    // The ordinal of the chunk's first tuple on its axis.
    LONG getFirst() const override { return fFirst; }
    LONG getValueCount() const override { return fCount; }
    // The caption of the tuple's innermost member as VT_BSTR (VT_EMPTY for a tuple of no
    // members). `value` is overwritten, not cleared.
    bool getValue(LONG i, VARIANT* value) const override;

    // --- ZELT_o::AxisChunk
    LONG getAxis() const override { return fAxis; }
    LONG getDepth() const override;
    ZELT_o::Member* getMember(LONG i, LONG depth) const override;

private:
    ~MemAxisChunk() override;

    support::Ref<MemResultSet> fResult;
    LONG fAxis;
    LONG fFirst;
    LONG fCount;
};

}  // namespace memcube
