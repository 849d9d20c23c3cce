// memcube::MemResultSet: the computed result of a query, a snapshot of its axes' tuples and
// its cells. It keeps its cube alive, since the tuples' members are borrowed from the cube.
// Nothing changes after construction, so any thread may read it.
#pragma once

#include <pova/Cube.h>
#include <pova/ViewResultSet.h>
#include <pova/support/Ref.h>

#include <atomic>
#include <cstdint>
#include <vector>

namespace memcube {

class MemResultSet final : public ZELT_o::ViewResultSet {
public:
    // One axis: `length` tuples of `depth` members each, tuple after tuple.
    struct Axis {
        LONG depth = 0;
        LONG length = 0;
        std::vector<ZELT_o::Member*> members;
    };

    // Chunks hold at most this many tuples or cells.
    static constexpr LONG kChunkSize = 1024;

    // `values` and `present` hold one entry per cell, axis 0 varying fastest.
    MemResultSet(support::Ref<ZELT_o::Cube> cube, std::vector<Axis> axes,
                 std::vector<double> values, std::vector<std::uint8_t> present);

    // --- ZELT_o::ViewResultSet
    LONG getAxisCount() const override { return static_cast<LONG>(fAxes.size()); }
    LONG getAxisLength(LONG axis) const override;
    LONG getItemCount() const override { return static_cast<LONG>(fValues.size()); }
    void markDiscarded(bool discarded) override { fDiscarded = discarded; }
    double getMinimum() const override { return fMinimum; }
    double getMaximum() const override { return fMaximum; }
    void requestAxisChunks(ZELT_o::ChunkHandler* handler, LONG axis, LONG first,
                           LONG last) override;
    void requestCellChunks(ZELT_o::ChunkHandler* handler, LONG first, LONG last) override;

    // --- memcube
    bool isDiscarded() const { return fDiscarded; }
    Axis const& axis(LONG axis) const { return fAxes[static_cast<std::size_t>(axis)]; }
    // The cell as a variant: VT_R8, or VT_EMPTY when no fact lies under it.
    void cellValue(LONG cell, VARIANT* value) const;

private:
    ~MemResultSet() override;

    support::Ref<ZELT_o::Cube> fCube;
    std::vector<Axis> fAxes;
    std::vector<double> fValues;
    std::vector<std::uint8_t> fPresent;
    double fMinimum = 0;
    double fMaximum = 0;
    std::atomic<bool> fDiscarded{false};
};

}  // namespace memcube
