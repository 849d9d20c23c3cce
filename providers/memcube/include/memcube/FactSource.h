/// @class memcube::FactSource
/// Where a cube's cells come from when its facts live elsewhere (a database, say): the cube
/// keeps its dimensions, members and viewpoint logic, and asks the source for the sums a
/// layout needs instead of scanning facts of its own.
#pragma once

#include <memcube/Layout.h>
#include <memcube/memcube_export.h>

#include <cstdint>
#include <string>

namespace memcube {

class MemCube;

/// Receives the non-empty cells of a layout.
class CellSink {
public:
    virtual ~CellSink() = default;
    /// The value of one cell, numbered as Layout documents: axis 0 varies fastest and, within
    /// an axis, the innermost nest. Each cell is given at most once.
    virtual void add(std::int64_t cell, double value) = 0;
};

class MEMCUBE_API FactSource {
public:
    virtual ~FactSource() = default;
    FactSource(FactSource const&) = delete;
    FactSource& operator=(FactSource const&) = delete;
    /// Adds every non-empty cell of the layout's cross join into the sink. The layout is
    /// valid (checked by the cube) and its members are the cube's. Failures are thrown as the
    /// source's own errors; the cube stays usable.
    virtual void aggregate(MemCube const& cube, Layout const& layout, CellSink& sink) = 0;
    /// The text of the last statement aggregate ran, or "".
    virtual std::string lastQuery() const { return {}; }
    /// Interrupts the aggregates running on other threads, which then throw; a source may also
    /// stop those begun but not yet at their statement. Does nothing when none runs. A result
    /// set's chunk request calls it when its handler is cancelled. The source lives as long as
    /// the cubes that share it, so the calling thread holds a reference to one of them.
    virtual void cancel() {}

protected:
    FactSource() = default;
};

}  // namespace memcube
