#include "QueryEngine.h"

#include "FactTable.h"
#include "MemDimension.h"
#include "MemHierarchy.h"
#include "MemMember.h"
#include "MemResultSet.h"
#include "Parallel.h"

#include <basekit/BaseError.h>
#include <memcube/MemCube.h>

#include <algorithm>
#include <array>
#include <bit>
#include <memory>
#include <type_traits>
#include <unordered_map>

namespace memcube {

namespace {

// Facts per block of the direct pass, at least; a result of many cells takes larger blocks,
// so that adding up the partials stays cheap next to the pass.
constexpr std::size_t kMinBlock = std::size_t{1} << 16;
constexpr std::size_t kFactsPerPartialCell = 4;
// The direct pass's table entry for a leaf outside the slice or the nest: the sum of a fact's
// entries stays negative whatever the other columns add (cell offsets are below kMaxCells =
// 2^24, and there are at most kMaxDirectColumns columns).
constexpr std::int32_t kOutside = -(std::int32_t{1} << 26);
constexpr std::size_t kMaxDirectColumns = 16;
// Cells added together when a result is held whole, at most, per chunk of the final sum.
constexpr std::size_t kCombineChunk = std::size_t{1} << 13;
// A single sum runs in this many interleaved lanes, which the compiler keeps in vector
// registers; lane i takes the block's facts i, i + kLanes, ..., and the lanes are then added
// in a fixed order.
constexpr std::size_t kLanes = 8;
// Facts a block is worked through at a time: a multiple of kLanes.
constexpr std::size_t kStep = 4096;

// A cell no fact has reached yet. Adding a value to -0.0 gives the value itself, and no sum
// of values other than -0.0 comes back to -0.0, so a grid's cells start there and need no
// separate record of which ones the facts reached (a measure holding -0.0 takes the general
// pass).
constexpr double kNoFact = -0.0;

bool is_no_fact(double sum) {
    return std::bit_cast<std::uint64_t>(sum) == std::bit_cast<std::uint64_t>(kNoFact);
}

using Lanes = std::array<double, kLanes>;

// Adds the values of `count` facts (a multiple of kLanes but at a block's end) to the lanes;
// with `offsets`, only those whose offset is not negative.
void add_lanes(Lanes& sums, double const* values, std::int32_t const* offsets, std::size_t count) {
    Lanes lanes = sums;  // A copy the values cannot alias, kept in registers.
    std::size_t const whole = count - count % kLanes;
    if (offsets == nullptr) {
        for (std::size_t i = 0; i < whole; i += kLanes) {
            for (std::size_t k = 0; k < kLanes; ++k) {
                lanes[k] += values[i + k];
            }
        }
        for (std::size_t i = whole; i < count; ++i) {
            lanes[i - whole] += values[i];
        }
    } else {
        for (std::size_t i = 0; i < whole; i += kLanes) {
            for (std::size_t k = 0; k < kLanes; ++k) {
                lanes[k] += offsets[i + k] >= 0 ? values[i + k] : 0.0;
            }
        }
        for (std::size_t i = whole; i < count; ++i) {
            lanes[i - whole] += offsets[i] >= 0 ? values[i] : 0.0;
        }
    }
    sums = lanes;
}

double lane_total(Lanes lanes) {
    for (std::size_t width = kLanes / 2; width > 0; width /= 2) {
        for (std::size_t k = 0; k < width; ++k) {
            lanes[k] += lanes[k + width];
        }
    }
    return lanes[0];
}

// Counts beyond this are "too many" and stay there, so that products cannot overflow.
constexpr std::int64_t kSaturated = std::int64_t{1} << 62;
// A filtered axis is examined tuple by tuple before it is filtered.
constexpr std::int64_t kMaxFilteredAxis = std::int64_t{1} << 26;

}  // namespace

std::int64_t CellBudget::times(std::int64_t a, std::int64_t b) {
    std::int64_t product = 0;
    if (__builtin_mul_overflow(a, b, &product) || product > kSaturated) {
        return kSaturated;
    }
    return product;
}

void CellBudget::addAxis(std::int64_t length, bool excludeEmpty) {
    fFiltered = fFiltered || excludeEmpty;
    fAxisTooLong = fAxisTooLong || length > (excludeEmpty ? kMaxFilteredAxis : MemCube::kMaxCells);
    fCells = times(fCells, length);
}

bool CellBudget::fits() const {
    return !fAxisTooLong && fCells < kSaturated && (fFiltered || fCells <= MemCube::kMaxCells);
}

// Cells of a grid small enough to hold whole.
class QueryEngine::DenseCells {
public:
    explicit DenseCells(std::int64_t count)
        : fSums(static_cast<std::size_t>(count)), fPresent(static_cast<std::size_t>(count)) {}

    void add(std::int64_t cell, double value) {
        auto const i = static_cast<std::size_t>(cell);
        fSums[i] += value;
        fPresent[i] = 1;
    }
    template <class Visit>
    void forEach(Visit visit) const {
        for (std::size_t i = 0; i < fSums.size(); ++i) {
            if (fPresent[i] != 0) {
                visit(static_cast<std::int64_t>(i), fSums[i]);
            }
        }
    }

    std::vector<double> fSums;
    std::vector<std::uint8_t> fPresent;
};

// Cells of a grid too large to hold, of which only the non-empty ones are kept: the facts
// fill few of them, and empty tuples are to be dropped.
class QueryEngine::SparseCells {
public:
    void add(std::int64_t cell, double value) { fSums[cell] += value; }
    template <class Visit>
    void forEach(Visit visit) const {
        for (auto const& [cell, sum] : fSums) {
            visit(cell, sum);
        }
    }

private:
    std::unordered_map<std::int64_t, double> fSums;
};

QueryEngine::QueryEngine(MemCube& cube)
    : fCube(cube), fFacts(cube.facts()), fColumnLeaves(cube.facts().dimensionCount()) {
    for (LONG i = 0; i < cube.countDimensions(); ++i) {
        MemDimension const* dimension = cube.memDimension(i);
        if (!dimension->isMeasures()) {
            fColumnLeaves[static_cast<std::size_t>(dimension->factColumn())] =
                dimension->hierarchy()->leafCount();
        }
    }
}

MemMember* QueryEngine::checked_member(ZELT_o::Member* member) const {
    auto* checked = dynamic_cast<MemMember*>(member);
    if (checked == nullptr || checked->hierarchy()->cube() != &fCube) {
        throwResult(E_INVALIDARG);
    }
    return checked;
}

bool QueryEngine::fits(Layout const& layout) {
    try {
        plan(layout);
    } catch (ResultError const&) {
        return false;
    }
    return fBudget.fits();
}

support::Ref<MemResultSet> QueryEngine::evaluate(Layout const& layout, Narrowing const* narrowing,
                                                 bool* narrowed) {
    if (narrowed != nullptr) {
        *narrowed = false;
    }
    plan(layout);
    if (!fBudget.fits()) {
        throwResult(E_OUTOFMEMORY);
    }
    if (FactSource* const source = fCube.factSource()) {
        // The source sums the cells; dropping empty tuples is the same as after a scan. A cell
        // number outside the grid would be taken apart into positions past the axes' ends.
        struct Sink final : CellSink {
            explicit Sink(std::int64_t count) : count(count) {}
            std::int64_t count;
            SparseCells cells;
            void add(std::int64_t cell, double value) override {
                if (cell < 0 || cell >= count) {
                    throwResult(E_UNEXPECTED);
                }
                cells.add(cell, value);
            }
        } sink(fCellCount);
        if (narrowing != nullptr) {
            bool const left = source->aggregateNarrowed(fCube, layout, sink, *narrowing);
            if (narrowed != nullptr) {
                *narrowed = left;
            }
        } else {
            source->aggregate(fCube, layout, sink);
        }
        return finish(sink.cells);
    }
    build_nest_tables();
    if (fCellCount <= MemCube::kMaxCells) {
        DenseCells cells(fCellCount);
        if (!scan_direct(cells)) {
            scan(cells);
        }
        return finish(cells);
    }
    SparseCells cells;
    scan(cells);
    return finish(cells);
}

void QueryEngine::plan(Layout const& layout) {
    std::vector<bool> used(static_cast<std::size_t>(fCube.countDimensions()), false);
    auto use = [&](MemDimension* dimension) {
        auto const ordinal = static_cast<std::size_t>(dimension->getOrdinal());
        if (used[ordinal]) {
            throwResult(E_INVALIDARG);
        }
        used[ordinal] = true;
    };
    // A slice or default member: which measure, or which leaves.
    auto restrict_to = [&](MemMember* member) {
        MemDimension* dimension = member->hierarchy()->dimension();
        if (dimension->isMeasures()) {
            fMeasure = static_cast<std::size_t>(member->measureIndex());
        } else if (member->firstLeaf() > 0 ||
                   member->endLeaf() < member->hierarchy()->leafCount()) {
            fFilters.push_back({static_cast<std::size_t>(dimension->factColumn()),
                                member->firstLeaf(), member->endLeaf(),
                                member->hierarchy()->ownLeaves()});
        }
    };

    for (Layout::Axis const& axis : layout.axes) {
        AxisPlan plan;
        plan.excludeEmpty = axis.excludeEmpty;
        for (auto const& members : axis.nests) {
            Nest nest;
            MemHierarchy* hierarchy = nullptr;
            for (ZELT_o::Member* member : members) {
                MemMember* checked = checked_member(member);
                if (hierarchy != nullptr && checked->hierarchy() != hierarchy) {
                    throwResult(E_INVALIDARG);
                }
                hierarchy = checked->hierarchy();
                nest.members.push_back(checked);
            }
            if (hierarchy != nullptr) {
                use(hierarchy->dimension());
                nest.measures = hierarchy->dimension()->isMeasures();
                fMeasuresNested = fMeasuresNested || nest.measures;
                if (!nest.measures) {
                    nest.column = static_cast<std::size_t>(hierarchy->dimension()->factColumn());
                }
            }
            plan.nests.push_back(fNests.size());
            fNests.push_back(std::move(nest));
        }
        fAxes.push_back(std::move(plan));
    }
    for (ZELT_o::Member* member : layout.slices) {
        MemMember* checked = checked_member(member);
        use(checked->hierarchy()->dimension());
        restrict_to(checked);
    }
    for (LONG i = 0; i < fCube.countDimensions(); ++i) {
        if (!used[static_cast<std::size_t>(i)]) {
            MemHierarchy* hierarchy = fCube.memDimension(i)->hierarchy();
            restrict_to(static_cast<MemMember*>(hierarchy->getDefaultMember()));
        }
    }

    // Nest 0 of an axis is the outermost; axis 0 varies fastest among the cells.
    std::int64_t cellStride = 1;
    for (AxisPlan& axis : fAxes) {
        axis.cellStride = cellStride;
        axis.nestStrides.assign(axis.nests.size(), 1);
        std::int64_t length = 1;
        for (std::size_t i = axis.nests.size(); i-- > 0;) {
            axis.nestStrides[i] = length;
            length = CellBudget::times(
                length, static_cast<std::int64_t>(fNests[axis.nests[i]].members.size()));
        }
        axis.length = length;
        for (std::size_t i = 0; i < axis.nests.size(); ++i) {
            fNests[axis.nests[i]].stride = CellBudget::times(axis.nestStrides[i], cellStride);
        }
        fBudget.addAxis(length, axis.excludeEmpty);
        cellStride = fBudget.cellCount();
    }
    fCellCount = cellStride;
}

void QueryEngine::build_nest_tables() {
    for (Nest& nest : fNests) {
        if (nest.members.empty()) {
            continue;
        }
        if (nest.measures) {
            for (std::size_t p = 0; p < nest.members.size(); ++p) {
                nest.measureOffsets.emplace_back(
                    static_cast<std::int64_t>(p) * nest.stride,
                    static_cast<std::size_t>(nest.members[p]->measureIndex()));
            }
            continue;
        }
        // Indexed by fact leaf, which a hierarchy other than the default numbers differently.
        MemHierarchy const& hierarchy = *nest.members.front()->hierarchy();
        auto const leaves = static_cast<std::size_t>(hierarchy.leafCount());
        nest.first.assign(leaves + 1, 0);
        for (MemMember* member : nest.members) {
            for (LONG leaf = member->firstLeaf(); leaf < member->endLeaf(); ++leaf) {
                ++nest.first[static_cast<std::size_t>(hierarchy.factLeaf(leaf)) + 1];
            }
        }
        for (std::size_t leaf = 0; leaf < leaves; ++leaf) {
            nest.first[leaf + 1] += nest.first[leaf];
        }
        nest.offsets.resize(static_cast<std::size_t>(nest.first[leaves]));
        std::vector<std::int32_t> next(nest.first.begin(), nest.first.end() - 1);
        for (std::size_t p = 0; p < nest.members.size(); ++p) {
            MemMember const* member = nest.members[p];
            for (LONG leaf = member->firstLeaf(); leaf < member->endLeaf(); ++leaf) {
                auto const factLeaf = static_cast<std::size_t>(hierarchy.factLeaf(leaf));
                nest.offsets[static_cast<std::size_t>(next[factLeaf]++)] =
                    static_cast<std::int64_t>(p) * nest.stride;
            }
        }
    }
}

template <class Cells>
void QueryEngine::scan(Cells& cells) const {
    if (fCellCount == 0) {
        return;
    }
    struct Column {
        std::int32_t const* leaves;
        std::int32_t const* first;
        std::int64_t const* offsets;
    };
    std::vector<Column> columns;
    Nest const* measuresNest = nullptr;
    for (Nest const& nest : fNests) {
        if (nest.measures) {
            measuresNest = &nest;
        } else {
            columns.push_back(
                {fFacts.leaves(nest.column).data(), nest.first.data(), nest.offsets.data()});
        }
    }
    std::vector<double const*> values;
    for (std::size_t m = 0; m < fFacts.measureCount(); ++m) {
        values.push_back(fFacts.values(m).data());
    }
    double const* fixed = values[fMeasure];

    auto emit = [&](auto& target, std::int64_t offset, std::size_t fact) {
        if (measuresNest == nullptr) {
            target.add(offset, fixed[fact]);
            return;
        }
        for (auto const& [measureOffset, measure] : measuresNest->measureOffsets) {
            target.add(offset + measureOffset, values[measure][fact]);
        }
    };

    // Adds facts from .. to - 1 into `target`.
    auto run = [&](auto& target, std::size_t from, std::size_t to) {
        std::vector<std::pair<std::int32_t, std::int32_t>> spans(columns.size());
        for (std::size_t fact = from; fact < to; ++fact) {
            bool selected = true;
            for (Filter const& filter : fFilters) {
                std::int32_t leaf = fFacts.leaves(filter.column)[fact];
                leaf = filter.ownLeaves != nullptr ? filter.ownLeaves[leaf] : leaf;
                if (leaf < filter.first || leaf >= filter.end) {
                    selected = false;
                    break;
                }
            }
            if (!selected) {
                continue;
            }
            std::int64_t offset = 0;
            bool single = true;
            for (std::size_t c = 0; c < columns.size() && selected; ++c) {
                std::int32_t const leaf = columns[c].leaves[fact];
                std::int32_t const begin = columns[c].first[leaf];
                std::int32_t const end = columns[c].first[leaf + 1];
                selected = begin < end;
                single = single && end - begin == 1;
                offset += selected ? columns[c].offsets[begin] : 0;
                spans[c] = {begin, end};
            }
            if (!selected) {
                continue;
            }
            if (single) {
                emit(target, offset, fact);
                continue;
            }
            // Overlapping members (a year and its quarters, say): every combination counts.
            auto combine = [&](auto& self, std::size_t c, std::int64_t partial) -> void {
                if (c == columns.size()) {
                    emit(target, partial, fact);
                    return;
                }
                for (std::int32_t i = spans[c].first; i < spans[c].second; ++i) {
                    self(self, c + 1, partial + columns[c].offsets[i]);
                }
            };
            combine(combine, 0, 0);
        }
    };

    std::size_t const count = fFacts.size();
    if constexpr (std::is_same_v<Cells, DenseCells>) {
        // As in the direct pass: blocks cut by the data, each summed apart on any thread, the
        // sums added in block order.
        auto const cellCount = static_cast<std::size_t>(fCellCount);
        std::size_t const blockSize =
            std::max(kMinBlock, std::bit_ceil(cellCount * kFactsPerPartialCell));
        std::size_t const blocks = (count + blockSize - 1) / blockSize;
        if (blocks > 1) {
            std::vector<std::unique_ptr<DenseCells>> partials(blocks);
            forEachBlock(blocks, threadsFor(blocks, blockSize), [&](std::size_t block, unsigned) {
                partials[block] = std::make_unique<DenseCells>(fCellCount);
                run(*partials[block], block * blockSize, std::min(count, (block + 1) * blockSize));
            });
            std::size_t const chunks = (cellCount + kCombineChunk - 1) / kCombineChunk;
            forEachBlock(chunks, threadsFor(chunks, kCombineChunk * blocks),
                         [&](std::size_t chunk, unsigned) {
                             std::size_t const first = chunk * kCombineChunk;
                             std::size_t const end = std::min(cellCount, first + kCombineChunk);
                             for (auto const& partial : partials) {
                                 for (std::size_t cell = first; cell < end; ++cell) {
                                     cells.fSums[cell] += partial->fSums[cell];
                                     cells.fPresent[cell] |= partial->fPresent[cell];
                                 }
                             }
                         });
            return;
        }
    }
    run(cells, 0, count);
}

bool QueryEngine::scan_direct(DenseCells& cells) const {
    struct Column {
        std::int32_t const* leaves;
        std::vector<std::int32_t> table;  // Fact leaf to cell offset, or kOutside.
    };
    std::vector<Column> columns;
    std::vector<std::pair<std::int32_t, double const*>> measures;  // Cell offset, values.
    for (Nest const& nest : fNests) {
        if (nest.measures) {
            for (auto const& [offset, measure] : nest.measureOffsets) {
                measures.emplace_back(static_cast<std::int32_t>(offset),
                                      fFacts.values(measure).data());
            }
            continue;
        }
        std::vector<std::int32_t> table(nest.first.empty() ? 0 : nest.first.size() - 1);
        for (std::size_t leaf = 0; leaf < table.size(); ++leaf) {
            std::int32_t const positions = nest.first[leaf + 1] - nest.first[leaf];
            if (positions > 1) {
                return false;
            }
            table[leaf] = positions == 1
                              ? static_cast<std::int32_t>(
                                    nest.offsets[static_cast<std::size_t>(nest.first[leaf])])
                              : kOutside;
        }
        columns.push_back({fFacts.leaves(nest.column).data(), std::move(table)});
    }
    bool const grid = !columns.empty();
    if (fCellCount == 0 || fCellCount > MemCube::kMaxCells) {
        return fCellCount == 0;
    }
    if (measures.empty()) {
        measures.emplace_back(0, fFacts.values(fMeasure).data());
    }
    for (std::size_t m = 0; m < fFacts.measureCount() && grid; ++m) {
        if (fFacts.holdsNegativeZero(m)) {
            return false;
        }
    }
    for (Filter const& filter : fFilters) {
        std::vector<std::int32_t> table(static_cast<std::size_t>(fColumnLeaves[filter.column]));
        for (std::size_t leaf = 0; leaf < table.size(); ++leaf) {
            std::int32_t const own = filter.ownLeaves != nullptr ? filter.ownLeaves[leaf]
                                                                 : static_cast<std::int32_t>(leaf);
            table[leaf] = own >= filter.first && own < filter.end ? 0 : kOutside;
        }
        columns.push_back({fFacts.leaves(filter.column).data(), std::move(table)});
    }
    if (columns.size() > kMaxDirectColumns) {
        return false;
    }
    if (fFacts.size() == 0) {
        return true;
    }

    // The columns that leave some facts out come first, so that the others only look at the
    // facts kept.
    std::size_t narrowing = 0;
    for (Column& column : columns) {
        if (std::find(column.table.begin(), column.table.end(), kOutside) != column.table.end()) {
            std::swap(column, columns[narrowing++]);
        }
    }

    auto const cellCount = static_cast<std::size_t>(fCellCount);
    std::size_t const count = fFacts.size();
    std::size_t const blockSize =
        grid ? std::max(kMinBlock, std::bit_ceil(cellCount * kFactsPerPartialCell)) : kMinBlock;
    std::size_t const blocks = (count + blockSize - 1) / blockSize;
    std::size_t const partialSize = grid ? cellCount : measures.size();
    // A grid of one block sums straight into the result.
    std::unique_ptr<double[]> partialSpace;
    double* partials = cells.fSums.data();
    if (!grid || blocks > 1) {
        partialSpace = std::make_unique_for_overwrite<double[]>(blocks * partialSize);
        partials = partialSpace.get();
    }
    std::vector<std::size_t> selected(blocks);  // Without a grid: facts in the result.
    unsigned const threads = threadsFor(blocks, blockSize);

    forEachBlock(blocks, threads, [&](std::size_t block, unsigned) {
        std::size_t const first = block * blockSize;
        std::size_t const end = std::min(count, first + blockSize);
        double* partial = partials + block * partialSize;
        if (grid) {
            std::fill(partial, partial + cellCount, kNoFact);
        }
        std::vector<Lanes> lanes(grid ? 0 : measures.size());
        std::size_t inside = 0;
        // A step at a time, so that the offsets stay in the nearest cache.
        std::array<std::int32_t, kStep> offset;
        std::array<std::uint32_t, kStep> kept;
        for (std::size_t step = first; step < end; step += kStep) {
            std::size_t const size = std::min(kStep, end - step);
            // Each fact's cell offset, a column at a time: each loop is a short chain of loads
            // the core overlaps.
            std::fill(offset.begin(), offset.begin() + static_cast<std::ptrdiff_t>(size), 0);
            for (std::size_t c = 0; c < narrowing; ++c) {
                std::int32_t const* leaves = columns[c].leaves + step;
                std::int32_t const* table = columns[c].table.data();
                for (std::size_t i = 0; i < size; ++i) {
                    offset[i] += table[leaves[i]];
                }
            }
            if (!grid) {
                std::int32_t const* selection = narrowing > 0 ? offset.data() : nullptr;
                inside += size;
                for (std::size_t i = 0; i < size && selection != nullptr; ++i) {
                    inside -= selection[i] < 0 ? 1 : 0;
                }
                for (std::size_t m = 0; m < measures.size(); ++m) {
                    add_lanes(lanes[m], measures[m].second + step, selection, size);
                }
                continue;
            }
            // The facts inside the result, when some are not: a slice keeps few of them.
            std::size_t keptCount = size;
            if (narrowing > 0) {
                keptCount = 0;
                for (std::size_t i = 0; i < size; ++i) {
                    std::int32_t const cell = offset[i];
                    kept[keptCount] = static_cast<std::uint32_t>(i);
                    offset[keptCount] = cell;
                    keptCount += cell >= 0 ? 1 : 0;
                }
            }
            for (std::size_t c = narrowing; c < columns.size(); ++c) {
                std::int32_t const* leaves = columns[c].leaves + step;
                std::int32_t const* table = columns[c].table.data();
                if (narrowing > 0) {
                    for (std::size_t i = 0; i < keptCount; ++i) {
                        offset[i] += table[leaves[kept[i]]];
                    }
                } else {
                    for (std::size_t i = 0; i < keptCount; ++i) {
                        offset[i] += table[leaves[i]];
                    }
                }
            }
            for (auto const& [measureOffset, column] : measures) {
                double const* values = column + step;
                if (narrowing > 0) {
                    for (std::size_t i = 0; i < keptCount; ++i) {
                        partial[offset[i] + measureOffset] += values[kept[i]];
                    }
                } else {
                    for (std::size_t i = 0; i < keptCount; ++i) {
                        partial[offset[i] + measureOffset] += values[i];
                    }
                }
            }
        }
        if (!grid) {
            selected[block] = inside;
            for (std::size_t m = 0; m < measures.size(); ++m) {
                partial[m] = lane_total(lanes[m]);
            }
        }
    });

    if (!grid) {
        std::size_t inside = 0;
        for (std::size_t block = 0; block < blocks; ++block) {
            inside += selected[block];
        }
        for (std::size_t m = 0; m < measures.size() && inside > 0; ++m) {
            double sum = 0.0;
            for (std::size_t block = 0; block < blocks; ++block) {
                sum += partials[block * partialSize + m];
            }
            cells.fSums[static_cast<std::size_t>(measures[m].first)] = sum;
            cells.fPresent[static_cast<std::size_t>(measures[m].first)] = 1;
        }
        return true;
    }
    // Each cell is the sum of its partials in block order; chunks of cells run in parallel.
    std::size_t const chunks = (cellCount + kCombineChunk - 1) / kCombineChunk;
    forEachBlock(chunks, threadsFor(chunks, kCombineChunk * blocks),
                 [&](std::size_t chunk, unsigned) {
                     std::size_t const first = chunk * kCombineChunk;
                     std::size_t const end = std::min(cellCount, first + kCombineChunk);
                     double* sums = cells.fSums.data();
                     std::uint8_t* present = cells.fPresent.data();
                     if (partials != sums) {
                         std::copy(partials + first, partials + end, sums + first);
                     }
                     for (std::size_t block = 1; block < blocks; ++block) {
                         double const* partial = partials + block * partialSize;
                         for (std::size_t cell = first; cell < end; ++cell) {
                             sums[cell] += partial[cell];
                         }
                     }
                     for (std::size_t cell = first; cell < end; ++cell) {
                         bool const reached = !is_no_fact(sums[cell]);
                         present[cell] = reached ? 1 : 0;
                         sums[cell] = reached ? sums[cell] : 0.0;
                     }
                 });
    return true;
}

template <class Cells>
support::Ref<MemResultSet> QueryEngine::finish(Cells& cells) const {
    // Tuples kept on each axis: all of them, or those with a non-empty cell.
    std::vector<std::vector<std::int32_t>> newIndex(fAxes.size());
    std::vector<std::int64_t> newLength(fAxes.size());
    for (std::size_t a = 0; a < fAxes.size(); ++a) {
        if (fAxes[a].excludeEmpty) {
            newIndex[a].assign(static_cast<std::size_t>(fAxes[a].length), -1);
        }
    }
    auto tuple_of = [&](std::int64_t cell, std::size_t a) {
        return static_cast<std::size_t>((cell / fAxes[a].cellStride) % fAxes[a].length);
    };
    cells.forEach([&](std::int64_t cell, double) {
        for (std::size_t a = 0; a < fAxes.size(); ++a) {
            if (fAxes[a].excludeEmpty) {
                newIndex[a][tuple_of(cell, a)] = 0;
            }
        }
    });
    std::int64_t resultCells = 1;
    bool filtered = false;
    for (std::size_t a = 0; a < fAxes.size(); ++a) {
        if (fAxes[a].excludeEmpty) {
            filtered = true;
            std::int32_t kept = 0;
            for (std::int32_t& index : newIndex[a]) {
                index = index < 0 ? -1 : kept++;
            }
            newLength[a] = kept;
        } else {
            newLength[a] = fAxes[a].length;
        }
        resultCells = CellBudget::times(resultCells, newLength[a]);
    }
    if (resultCells > MemCube::kMaxCells) {
        throwResult(E_OUTOFMEMORY);
    }

    std::vector<double> values;
    std::vector<std::uint8_t> present;
    if constexpr (std::is_same_v<Cells, DenseCells>) {
        if (!filtered) {
            values = std::move(cells.fSums);
            present = std::move(cells.fPresent);
        }
    }
    if (values.size() != static_cast<std::size_t>(resultCells)) {
        values.assign(static_cast<std::size_t>(resultCells), 0.0);
        present.assign(static_cast<std::size_t>(resultCells), 0);
        cells.forEach([&](std::int64_t cell, double sum) {
            std::int64_t target = 0;
            std::int64_t stride = 1;
            for (std::size_t a = 0; a < fAxes.size(); ++a) {
                std::size_t const tuple = tuple_of(cell, a);
                std::int64_t const index =
                    fAxes[a].excludeEmpty ? newIndex[a][tuple] : static_cast<std::int64_t>(tuple);
                target += index * stride;
                stride *= newLength[a];
            }
            values[static_cast<std::size_t>(target)] = sum;
            present[static_cast<std::size_t>(target)] = 1;
        });
    }

    std::vector<MemResultSet::Axis> axes(fAxes.size());
    for (std::size_t a = 0; a < fAxes.size(); ++a) {
        AxisPlan const& plan = fAxes[a];
        MemResultSet::Axis& axis = axes[a];
        axis.depth = static_cast<LONG>(plan.nests.size());
        axis.length = static_cast<LONG>(newLength[a]);
        axis.members.reserve(static_cast<std::size_t>(axis.length) * plan.nests.size());
        for (std::int64_t tuple = 0; tuple < plan.length; ++tuple) {
            if (plan.excludeEmpty && newIndex[a][static_cast<std::size_t>(tuple)] < 0) {
                continue;
            }
            for (std::size_t i = 0; i < plan.nests.size(); ++i) {
                Nest const& nest = fNests[plan.nests[i]];
                auto const position = static_cast<std::size_t>(
                    (tuple / plan.nestStrides[i]) % static_cast<std::int64_t>(nest.members.size()));
                axis.members.push_back(nest.members[position]);
            }
        }
    }
    return support::adopt(new MemResultSet(support::retain<ZELT_o::Cube>(&fCube), std::move(axes),
                                           std::move(values), std::move(present)));
}

}  // namespace memcube
