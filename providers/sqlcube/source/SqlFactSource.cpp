#include "SqlFactSource.h"

#include <memcube/MemCube.h>
#include <pova/Dimension.h>
#include <pova/Hierarchy.h>
#include <pova/Level.h>
#include <pova/Member.h>
#include <pova/MemberSet.h>
#include <pova/support/Ref.h>
#include <sqlcube/Errors.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace sqlcube {

namespace {

MemberRef member_ref(ZELT_o::Member const& member) {
    MemberRef ref{member.getDimension()->getName().string(), {}, {}};
    if (member.getMemberType() == ZELT_o::Member::kAll) {
        return ref;
    }
    ref.level = member.getLevel()->getName().string();
    for (ZELT_o::Member const* m = &member;
         m != nullptr && m->getMemberType() != ZELT_o::Member::kAll; m = m->getParent()) {
        ref.path.push_back(m->getName().string());
    }
    std::reverse(ref.path.begin(), ref.path.end());
    return ref;
}

// A member's key in a nest's lookup: its path's names, each ended by a separator.
std::string path_key(std::vector<std::string> const& path) {
    std::string key;
    for (std::string const& name : path) {
        key += name;
        key += '\x1f';
    }
    return key;
}

// A non-measure nest: its members for the query and, by path, the cell offsets of the
// positions holding each (a member may stand at several positions).
struct NestMap {
    std::vector<MemberRef> members;
    std::unordered_map<std::string, std::vector<std::int64_t>> offsets;
    std::vector<std::string> wholeLevels;  // See QueryAxis::wholeLevels.
};

// The levels of which `listed` (distinct members per level) holds every member.
std::vector<std::string> whole_levels(std::unordered_map<ZELT_o::Level*, LONG> const& listed) {
    std::vector<std::string> names;
    for (auto const& [level, count] : listed) {
        auto const members = support::adopt(level->getMemberSet());
        if (members->getCount() == count) {
            names.push_back(level->getName().string());
        }
    }
    return names;
}

// The test as a HAVING condition on the measures' totals, each comparison widened by a margin
// (AND and OR only ever keep more when their operands do); none when the test holds anything
// else than comparisons of a measure with a number, joined by AND and OR.
std::optional<MeasureFilter> having(memcube::MeasureTest const& test,
                                    std::vector<ZELT_o::Member*> const& measures) {
    using Op = memcube::MeasureTest::Op;
    using Comparison = MeasureFilter::Comparison;
    struct Operand {
        std::optional<double> number;
        std::optional<std::size_t> measure;
        std::optional<MeasureFilter> filter;
    };
    auto compare = [&](std::size_t m, Comparison comparison, double value) {
        MeasureFilter filter;
        filter.measure = measures[m]->getName().string();
        filter.comparison = comparison;
        filter.value = value;
        return filter;
    };
    auto join = [](MeasureFilter::Kind kind, MeasureFilter a, MeasureFilter b) {
        MeasureFilter joined;
        joined.kind = kind;
        joined.operands = {std::move(a), std::move(b)};
        return joined;
    };
    std::vector<Operand> stack;
    for (memcube::MeasureTest::Step const& step : test.steps) {
        if (step.op == Op::kNumber || step.op == Op::kMeasure) {
            if (step.op == Op::kMeasure && step.measure >= measures.size()) {
                return std::nullopt;
            }
            stack.push_back(step.op == Op::kNumber ? Operand{step.number, {}, {}}
                                                   : Operand{{}, step.measure, {}});
            continue;
        }
        if (step.op == Op::kNegate && !stack.empty() && stack.back().number) {
            stack.back().number = -*stack.back().number;
            continue;
        }
        if (step.op == Op::kNegate || step.op == Op::kNot || stack.size() < 2) {
            return std::nullopt;
        }
        Operand b = std::move(stack.back());
        stack.pop_back();
        Operand a = std::move(stack.back());
        if (step.op == Op::kAnd || step.op == Op::kOr) {
            if (!a.filter || !b.filter) {
                return std::nullopt;
            }
            stack.back() = {
                {},
                {},
                join(step.op == Op::kAnd ? MeasureFilter::Kind::kAnd : MeasureFilter::Kind::kOr,
                     std::move(*a.filter), std::move(*b.filter))};
            continue;
        }
        // measure OP number, or number OP measure read the other way round.
        Op op = step.op;
        if (a.number && b.measure) {
            std::swap(a, b);
            op = op == Op::kLess           ? Op::kGreater
                 : op == Op::kLessEqual    ? Op::kGreaterEqual
                 : op == Op::kGreater      ? Op::kLess
                 : op == Op::kGreaterEqual ? Op::kLessEqual
                                           : op;
        }
        if (!a.measure || !b.number || op == Op::kNotEqual) {
            return std::nullopt;
        }
        double const value = *b.number;
        double const margin = std::abs(value) * 1e-9 + 1e-9;
        MeasureFilter const atLeast =
            compare(*a.measure, Comparison::kGreaterOrEqual, value - margin);
        MeasureFilter const atMost = compare(*a.measure, Comparison::kLessOrEqual, value + margin);
        stack.back() = {{},
                        {},
                        op == Op::kEqual ? join(MeasureFilter::Kind::kAnd, atLeast, atMost)
                        : op == Op::kGreater || op == Op::kGreaterEqual ? atLeast
                                                                        : atMost};
    }
    if (stack.size() != 1 || !stack.back().filter) {
        return std::nullopt;
    }
    return std::move(stack.back().filter);
}

}  // namespace

SqlFactSource::SqlFactSource(std::unique_ptr<Connection> connection, SchemaDescription description)
    : fConnection(std::move(connection)), fEngine(*fConnection, std::move(description)) {}

void SqlFactSource::aggregate(memcube::MemCube const& cube, memcube::Layout const& layout,
                              memcube::CellSink& sink) {
    run(cube, layout, sink, nullptr);
}

bool SqlFactSource::aggregateNarrowed(memcube::MemCube const& cube, memcube::Layout const& layout,
                                      memcube::CellSink& sink,
                                      memcube::Narrowing const& narrowing) {
    bool const shaped = layout.axes.size() == 2 && layout.axes[1].nests.size() == 1 &&
                        !layout.axes[1].nests[0].empty() &&
                        layout.axes[1].nests[0][0]->getDimension()->isMeasures() &&
                        !layout.axes[0].nests.empty();
    std::optional<MeasureFilter> filter;
    if (shaped && !narrowing.test.steps.empty()) {
        filter = having(narrowing.test, layout.axes[1].nests[0]);
    }
    if (!shaped || (!narrowing.test.steps.empty() && !filter)) {
        run(cube, layout, sink, nullptr);
        return false;
    }
    std::vector<ZELT_o::Member*> const& measures = layout.axes[1].nests[0];
    run(cube, layout, sink, [&](QueryAxis& axis) {
        axis.filter = filter;
        if (auto const& order = narrowing.order; order && order->measure < measures.size()) {
            axis.sort = AxisSort{measures[order->measure]->getName().string(), order->descending};
            axis.top = order->keep;
        }
    });
    return true;
}

void SqlFactSource::run(memcube::MemCube const& cube, memcube::Layout const& layout,
                        memcube::CellSink& sink, std::function<void(QueryAxis&)> const& shape) {
    std::uint64_t const cancels = [this] {
        std::lock_guard const lock(fCancelMutex);
        return fCancels;
    }();
    std::vector<NestMap> nests;
    // The measures the query computes, and for each the cell offsets that take it.
    std::vector<std::string> measures;
    std::vector<std::vector<std::int64_t>> measureOffsets;
    auto measure_at = [&](ZELT_o::Member const& measure, std::int64_t offset) {
        std::string const name = measure.getName().string();
        auto found = std::find(measures.begin(), measures.end(), name);
        if (found == measures.end()) {
            measures.push_back(name);
            measureOffsets.emplace_back();
            found = measures.end() - 1;
        }
        measureOffsets[static_cast<std::size_t>(found - measures.begin())].push_back(offset);
    };
    std::vector<ZELT_o::Dimension const*> used;
    bool measuresNested = false;
    // Axis 0 varies fastest among the cells; within an axis, the innermost nest.
    std::int64_t cellStride = 1;
    for (memcube::Layout::Axis const& axis : layout.axes) {
        std::int64_t stride = cellStride;
        for (auto nest = axis.nests.rbegin(); nest != axis.nests.rend(); ++nest) {
            if (nest->empty()) {
                return;  // No cells at all.
            }
            used.push_back(nest->front()->getDimension());
            if (nest->front()->getDimension()->isMeasures()) {
                measuresNested = true;
                for (std::size_t p = 0; p < nest->size(); ++p) {
                    measure_at(*(*nest)[p], static_cast<std::int64_t>(p) * stride);
                }
            } else {
                NestMap map;
                std::unordered_map<ZELT_o::Level*, LONG> listed;
                for (std::size_t p = 0; p < nest->size(); ++p) {
                    ZELT_o::Member const& member = *(*nest)[p];
                    MemberRef ref = member_ref(member);
                    auto& offsets = map.offsets[path_key(ref.path)];
                    if (offsets.empty()) {
                        map.members.push_back(std::move(ref));
                        if (member.getMemberType() != ZELT_o::Member::kAll) {
                            ++listed[member.getLevel()];
                        }
                    }
                    offsets.push_back(static_cast<std::int64_t>(p) * stride);
                }
                map.wholeLevels = whole_levels(listed);
                nests.push_back(std::move(map));
            }
            stride *= static_cast<std::int64_t>(nest->size());
        }
        cellStride = stride;
    }

    QuerySpec spec;
    auto restrict_to = [&](ZELT_o::Member const& member) {
        if (member.getDimension()->isMeasures()) {
            if (!measuresNested) {
                measure_at(member, 0);
            }
        } else if (member.getMemberType() != ZELT_o::Member::kAll) {
            spec.slices.push_back(member_ref(member));
        }
    };
    for (ZELT_o::Member const* slice : layout.slices) {
        used.push_back(slice->getDimension());
        restrict_to(*slice);
    }
    std::vector<ZELT_o::Dimension*> dimensions;
    cube.getDimensions(dimensions);
    for (ZELT_o::Dimension const* dimension : dimensions) {
        if (std::find(used.begin(), used.end(), dimension) == used.end()) {
            restrict_to(*dimension->getDefaultHierarchy()->getDefaultMember());
        }
    }
    // One query axis of every nest: the cells are keyed by the whole tuple anyway.
    if (!nests.empty()) {
        QueryAxis& axis = spec.axes.emplace_back();
        for (NestMap const& nest : nests) {
            axis.nests.push_back(nest.members);
            axis.wholeLevels.push_back(nest.wholeLevels);
        }
        if (shape) {
            shape(axis);
        }
    }
    spec.measures = measures;

    QueryResult result;
    {
        std::lock_guard const running(fRunning);
        try {
            std::unique_lock cancelled(fCancelMutex);
            if (fCancels != cancels) {
                raise(kQueryCancelled);
            }
            cancelled.unlock();
            result = fEngine.run(spec);
        } catch (...) {
            std::lock_guard const last(fLastMutex);
            fLastQuery = fEngine.lastQuery();
            throw;
        }
        std::lock_guard const last(fLastMutex);
        fLastQuery = fEngine.lastQuery();
    }

    auto add_cells = [&](CellKey const& key, std::int64_t offset) {
        for (std::size_t m = 0; m < measures.size(); ++m) {
            if (auto const value = result.value(key, m)) {
                for (std::int64_t const measureOffset : measureOffsets[m]) {
                    sink.add(offset + measureOffset, *value);
                }
            }
        }
    };
    if (nests.empty()) {
        add_cells(CellKey{}, 0);
        return;
    }
    CellKey key(1);
    for (Tuple const& tuple : result.axisTuples(0)) {
        key[0] = tuple;
        // Every combination of the positions holding the tuple's members.
        auto combine = [&](auto& self, std::size_t n, std::int64_t offset) -> void {
            if (n == nests.size()) {
                add_cells(key, offset);
                return;
            }
            auto const found = nests[n].offsets.find(path_key(tuple[n].path));
            if (found == nests[n].offsets.end()) {
                return;
            }
            for (std::int64_t const position : found->second) {
                self(self, n + 1, offset + position);
            }
        };
        combine(combine, 0, 0);
    }
}

std::string SqlFactSource::lastQuery() const {
    std::lock_guard const last(fLastMutex);
    return fLastQuery;
}

void SqlFactSource::cancel() {
    std::lock_guard const lock(fCancelMutex);
    ++fCancels;
    fConnection->cancel();
}

}  // namespace sqlcube
