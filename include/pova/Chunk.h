/// @file
/// Chunks: pieces of a result set's data. An axis chunk holds member tuples of one axis; a cell
/// data chunk holds cell values. Members a chunk returns are borrowed from the cube.
#pragma once

#include <basekit/OleAuto.h>
#include <pova/pova_export.h>
#include <pova/support/LegacyRefCount.h>

namespace ZELT_o {

class Member;

/// A piece of a result set's data, delivered to a ChunkHandler.
class POVA_API Chunk : public support::LegacyRefCount {
public:
    /// Ordinal of the first item (tuple or cell) of the chunk in its request's range.
    virtual LONG getFirst() const = 0;
    /// Number of values: tuples for an axis chunk, cells for a cell chunk.
    virtual LONG getValueCount() const = 0;
    /// The i-th value as a variant the caller clears: for a cell chunk the cell (VT_EMPTY when
    /// the cell is empty), for an axis chunk the caption of the tuple's innermost member.
    /// Returns false outside 0 .. getValueCount() - 1.
    virtual bool getValue(LONG i, VARIANT* value) const = 0;

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    Chunk(char const* module, LONG instance) : support::LegacyRefCount(module, instance) {}
    ~Chunk() override;
};

/// Member tuples of one result axis.
class POVA_API AxisChunk : public Chunk {
public:
    /// The result axis the tuples belong to.
    virtual LONG getAxis() const = 0;
    /// Number of members in each tuple (the dimensions nested on the axis).
    virtual LONG getDepth() const = 0;
    /// The member at `depth` of the i-th tuple of the chunk, or null out of range.
    virtual Member* getMember(LONG i, LONG depth) const = 0;

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    AxisChunk(char const* module, LONG instance) : Chunk(module, instance) {}
    ~AxisChunk() override;
};

/// Cell values, axis 0 varying fastest.
class POVA_API CellDataChunk : public Chunk {
protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    CellDataChunk(char const* module, LONG instance) : Chunk(module, instance) {}
    ~CellDataChunk() override;
};

}  // namespace ZELT_o
