#include "QueryEngine.h"

#include "FactTable.h"
#include "MemDimension.h"
#include "MemHierarchy.h"
#include "MemMember.h"
#include "MemResultSet.h"

#include <basekit/BaseError.h>
#include <memcube/MemCube.h>

#include <type_traits>
#include <unordered_map>

namespace memcube {

namespace {

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

QueryEngine::QueryEngine(MemCube& cube) : fCube(cube), fFacts(cube.facts()) {}

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

support::Ref<MemResultSet> QueryEngine::evaluate(Layout const& layout) {
    plan(layout);
    if (!fBudget.fits()) {
        throwResult(E_OUTOFMEMORY);
    }
    if (FactSource* const source = fCube.factSource()) {
        // The source sums the cells; dropping empty tuples is the same as after a scan.
        struct Sink final : CellSink {
            SparseCells cells;
            void add(std::int64_t cell, double value) override { cells.add(cell, value); }
        } sink;
        source->aggregate(fCube, layout, sink);
        return finish(sink.cells);
    }
    build_nest_tables();
    if (fCellCount <= MemCube::kMaxCells) {
        DenseCells cells(fCellCount);
        scan(cells);
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

    auto emit = [&](std::int64_t offset, std::size_t fact) {
        if (measuresNest == nullptr) {
            cells.add(offset, fixed[fact]);
            return;
        }
        for (auto const& [measureOffset, measure] : measuresNest->measureOffsets) {
            cells.add(offset + measureOffset, values[measure][fact]);
        }
    };

    std::vector<std::pair<std::int32_t, std::int32_t>> spans(columns.size());
    std::size_t const count = fFacts.size();
    for (std::size_t fact = 0; fact < count; ++fact) {
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
            emit(offset, fact);
            continue;
        }
        // Overlapping members (a year and its quarters, say): every combination counts.
        auto combine = [&](auto& self, std::size_t c, std::int64_t partial) -> void {
            if (c == columns.size()) {
                emit(partial, fact);
                return;
            }
            for (std::int32_t i = spans[c].first; i < spans[c].second; ++i) {
                self(self, c + 1, partial + columns[c].offsets[i]);
            }
        };
        combine(combine, 0, 0);
    }
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
