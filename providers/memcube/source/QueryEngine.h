// memcube::QueryEngine: computes the result set of a Layout over a MemCube's facts.
//
// Every member covers a contiguous range of leaves, so a slice or a default member is a range
// test on one fact column, and a nested member list becomes a table from leaf to the cell
// offsets of the positions whose members cover it. One pass over the facts then adds each
// fact's measure into every cell it lies under: the cost is the number of facts (times the
// number of positions a fact falls into), whatever the number of cells.
//
// When the result is held whole, the pass cuts the facts into blocks whose size depends on
// the data and the layout only; each block sums into its own partial cells, on whichever
// thread, and the partials are added in block order, so a result is the same to the last bit
// however many threads share the blocks. The common case, each leaf in one position at most,
// takes a faster pass: per column a table from leaf to cell offset.
#pragma once

#include <memcube/FactSource.h>
#include <memcube/Layout.h>
#include <pova/support/Ref.h>

#include <cstdint>
#include <vector>

namespace memcube {

class FactTable;
class MemCube;
class MemMember;
class MemResultSet;

// Whether a result with given axis lengths can be held: the one rule both the query engine and
// the derived viewpoint's quick layout check apply. Lengths and products saturate rather than
// overflow, so any count of any size may be added.
class CellBudget {
public:
    // The number of positions of a nest or an axis: the product of its factors.
    static std::int64_t times(std::int64_t a, std::int64_t b);

    // The next result axis: its number of tuples before empty ones are dropped.
    void addAxis(std::int64_t length, bool excludeEmpty);
    bool fits() const;
    std::int64_t cellCount() const { return fCells; }

private:
    std::int64_t fCells = 1;
    bool fFiltered = false;
    bool fAxisTooLong = false;
};

class QueryEngine {
public:
    explicit QueryEngine(MemCube& cube);

    // Throws ResultError(E_INVALIDARG) for a member that is not the cube's, a nest mixing
    // hierarchies or a dimension used twice, and ResultError(E_OUTOFMEMORY) when the result
    // would exceed MemCube::kMaxCells cells.
    // With a narrowing, a fact source may leave out what it allows; `narrowed` tells whether
    // it did.
    support::Ref<MemResultSet> evaluate(Layout const& layout, Narrowing const* narrowing = nullptr,
                                        bool* narrowed = nullptr);
    // Whether evaluate would compute the layout (it is valid and small enough), without
    // computing it.
    bool fits(Layout const& layout);

private:
    // One nested member list, flattened over all axes.
    struct Nest {
        std::vector<MemMember*> members;
        std::int64_t stride = 0;  // In cells.
        bool measures = false;
        std::size_t column = 0;  // Fact column of a non-measure dimension.
        // For leaf l, offsets[first[l] .. first[l + 1]) are the cell offsets of the positions
        // covering it.
        std::vector<std::int32_t> first;
        std::vector<std::int64_t> offsets;
        // Measures: the cell offset and the measure of each position.
        std::vector<std::pair<std::int64_t, std::size_t>> measureOffsets;
    };
    struct AxisPlan {
        std::vector<std::size_t> nests;         // Into fNests, outermost first.
        std::vector<std::int64_t> nestStrides;  // Within the axis.
        std::int64_t length = 1;
        std::int64_t cellStride = 1;
        bool excludeEmpty = false;
    };
    // A range test on one fact column: a slice or a default member below the top. The range
    // is in its hierarchy's leaf numbers: ownLeaves maps fact leaves to them (null: the same).
    struct Filter {
        std::size_t column;
        std::int32_t first;
        std::int32_t end;
        std::int32_t const* ownLeaves;
    };
    class DenseCells;
    class SparseCells;

    MemMember* checked_member(ZELT_o::Member* member) const;
    void plan(Layout const& layout);
    void build_nest_tables();
    template <class Cells>
    void scan(Cells& cells) const;
    // The pass over the facts when every nest puts each leaf in one position at most, the
    // common case: each fact then has one cell, found by adding one table entry per column.
    // Blocks of facts run on several threads. False, and nothing done, when the layout needs
    // the general pass.
    bool scan_direct(DenseCells& cells) const;
    template <class Cells>
    support::Ref<MemResultSet> finish(Cells& cells) const;

    MemCube& fCube;
    FactTable const& fFacts;
    std::vector<Nest> fNests;
    std::vector<AxisPlan> fAxes;
    std::vector<Filter> fFilters;
    std::size_t fMeasure = 0;  // The measure when Measures is not nested.
    bool fMeasuresNested = false;
    CellBudget fBudget;
    std::int64_t fCellCount = 1;
    std::vector<std::int32_t> fColumnLeaves;  // The number of leaves of each fact column.
};

}  // namespace memcube
