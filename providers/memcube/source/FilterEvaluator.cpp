#include "FilterEvaluator.h"

#include "FilterCompiler.h"
#include "FilterNarrowing.h"
#include "MemResultSet.h"

#include <basekit/OleAuto.h>
#include <memcube/MemCube.h>
#include <pova/Dimension.h>
#include <pova/Filter.h>
#include <pova/Hierarchy.h>
#include <pova/Level.h>
#include <pova/Member.h>
#include <pova/common/ViewpointCommon.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <variant>

namespace memcube {

namespace {

// Whether the level or hierarchy named restricts which members of the dimension are tested.
bool names_level_or_hierarchy(ZELT_o::Dimension const& dimension, PovaString const& name) {
    std::vector<ZELT_o::Hierarchy*> hierarchies;
    dimension.getHierarchies(hierarchies);
    std::vector<ZELT_o::Level*> levels;
    for (ZELT_o::Hierarchy const* hierarchy : hierarchies) {
        if (hierarchy->getUniqueName() == name) {
            return true;
        }
        hierarchy->getLevels(levels);
        for (ZELT_o::Level const* level : levels) {
            if (level->getUniqueName() == name) {
                return true;
            }
        }
    }
    return false;
}

// The tuples of one result axis, and which of them are kept.
struct AxisLines {
    MemResultSet::Axis const& axis;
    std::vector<char>& keep;

    ZELT_o::Member* member(std::size_t tuple, std::size_t position) const {
        return axis.members[tuple * static_cast<std::size_t>(axis.depth) + position];
    }
    std::span<ZELT_o::Member* const> tuple(std::size_t tuple) const {
        return {axis.members.data() + tuple * static_cast<std::size_t>(axis.depth),
                static_cast<std::size_t>(axis.depth)};
    }
};

// The value of each measure for each combination of the filter's members: one query of the
// cube, the combinations on axis 0 and the measures on axis 1. With a narrowing, a source may
// leave out combinations (see FactSource::aggregateNarrowed).
class MeasureTable {
public:
    MeasureTable(MemCube& cube, Layout const& layout,
                 std::vector<std::vector<ZELT_o::Member*>> const& members,
                 std::vector<ZELT_o::Member*> const& measures, Narrowing const* narrowing) {
        fStrides.assign(members.size(), 1);
        for (std::size_t i = members.size(); i-- > 1;) {
            fStrides[i - 1] = fStrides[i] * members[i].size();
        }
        fCombinations = members.empty() ? 0 : fStrides.front() * members.front().size();
        if (measures.empty() || fCombinations == 0) {
            return;
        }
        Layout query;
        query.axes.resize(2);
        query.axes[0].nests = members;
        query.axes[1].nests = {measures};
        for (ZELT_o::Member* slice : layout.slices) {
            if (!slice->getDimension()->isMeasures()) {
                query.slices.push_back(slice);
            }
        }
        fValues = narrowing != nullptr ? cube.evaluate(query, *narrowing, fNarrowed)
                                       : cube.evaluate(query);
    }

    void read(std::size_t combination, std::vector<double>& values) const {
        for (std::size_t m = 0; m < values.size(); ++m) {
            // An empty value counts as 0, as comparisons in expressions take it.
            values[m] = value(combination, m).value_or(0.0);
        }
    }

    // Whether the query gave the combination any value.
    bool has(std::size_t combination, std::size_t measures) const {
        for (std::size_t m = 0; m < measures; ++m) {
            if (value(combination, m)) {
                return true;
            }
        }
        return false;
    }

    std::vector<std::size_t> const& strides() const { return fStrides; }
    // Whether the source left out what the narrowing allowed.
    bool narrowed() const { return fNarrowed; }

private:
    std::optional<double> value(std::size_t combination, std::size_t measure) const {
        if (!fValues) {
            return std::nullopt;
        }
        basekit::Variant cell;
        static_cast<MemResultSet&>(*fValues).cellValue(
            static_cast<LONG>(combination + measure * fCombinations), cell.get());
        return cell->vt == VT_R8 ? std::optional<double>(cell->dblVal) : std::nullopt;
    }

    std::vector<std::size_t> fStrides;
    std::size_t fCombinations = 0;
    support::Ref<ZELT_o::ViewResultSet> fValues;
    bool fNarrowed = false;
};

// A filter of one result axis, compiled when the query was planned.
struct PlannedFilter {
    std::vector<std::size_t> positions;     // of the filter's dimensions on the axis
    std::vector<PovaString> restrictions;   // per dimension: a level or hierarchy tested, or ""
    std::vector<Test> tests;                // applied in order, each to the lines still kept
    std::vector<ZELT_o::Member*> measures;  // the measures the tests read
    // What a fact source may leave out of the measure table, when the filter allows it.
    std::optional<Narrowing> narrowing;
};

// A tuple filter of one result axis: the tuples it lists, by their members' unique names.
struct PlannedTupleFilter {
    std::size_t start = 0;  // the position of its first dimension on the axis
    std::size_t count = 0;
    std::unordered_set<std::string> listed;
};

// The key of `count` members' unique names, as PlannedTupleFilter::listed holds them.
template <class NameAt>
std::string tuple_key(std::size_t count, NameAt name_at) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += name_at(i).string();
        text += '\n';
    }
    return text;
}

std::optional<PlannedFilter> plan_filter(MemCube& cube, ZELT_o::Filter const& filter,
                                         std::vector<ZELT_o::Dimension*> const& onAxis) {
    PlannedFilter planned;
    std::vector<ZELT_o::Dimension*> const& dimensions = filter.getDimVec();
    std::vector<PovaString> const& restrictions = filter.getNameVec();
    bool measuresDimension = false;
    for (std::size_t i = 0; i < dimensions.size(); ++i) {
        auto const it = std::find(onAxis.begin(), onAxis.end(), dimensions[i]);
        if (it == onAxis.end()) {
            return std::nullopt;  // not this axis's filter after all
        }
        planned.positions.push_back(static_cast<std::size_t>(it - onAxis.begin()));
        measuresDimension = measuresDimension || dimensions[i]->isMeasures();
        PovaString const restriction = i < restrictions.size() ? restrictions[i] : PovaString();
        if (!restriction.empty() && !names_level_or_hierarchy(*dimensions[i], restriction)) {
            refuseFilter(filter, "\"" + restriction.string() + "\" is no level or hierarchy of " +
                                     dimensions[i]->getName().string());
        }
        planned.restrictions.push_back(restriction);
    }
    planned.tests = compileFilter(cube, filter, onAxis, planned.measures);
    if (planned.tests.empty()) {
        return std::nullopt;
    }
    if (measuresDimension && !planned.measures.empty()) {
        refuseFilter(filter, "a filter on the Measures dimension cannot read a measure");
    }
    planned.narrowing = narrowingOf(
        planned.tests, planned.positions.size() == 1 && planned.restrictions.front().empty());
    return planned;
}

std::optional<PlannedTupleFilter> plan_tuple_filter(ZELT_o::Filter const& filter,
                                                    std::vector<ZELT_o::Dimension*> const& onAxis) {
    std::vector<ZELT_o::Dimension*> const& dimensions = filter.getDimVec();
    std::vector<PovaString> const& names = filter.getNameVec();
    PlannedTupleFilter planned;
    planned.start = static_cast<std::size_t>(
        std::search(onAxis.begin(), onAxis.end(), dimensions.begin(), dimensions.end()) -
        onAxis.begin());
    planned.count = dimensions.size();
    if (planned.count == 0 || planned.start + planned.count > onAxis.size()) {
        return std::nullopt;
    }
    for (std::size_t first = 0; first + planned.count <= names.size(); first += planned.count) {
        planned.listed.insert(
            tuple_key(planned.count, [&](std::size_t i) { return names[first + i]; }));
    }
    return planned;
}

// Applies the filter's tests to the lines still kept. Returns false, having changed nothing
// that matters, when a table narrowed by `narrowing` cannot settle the rank.
bool run_filter(MemCube& cube, PlannedFilter const& filter, Layout const& layout,
                AxisLines const& lines, Narrowing const* narrowing) {
    std::vector<std::size_t> const& positions = filter.positions;
    std::vector<PovaString> const& restrictions = filter.restrictions;
    // The lines the filter tests, and the distinct members of its dimensions on them.
    auto const length = static_cast<std::size_t>(lines.axis.length);
    std::vector<std::size_t> tested;
    for (std::size_t t = 0; t < length; ++t) {
        bool restricted = false;
        for (std::size_t i = 0; i < positions.size(); ++i) {
            ZELT_o::Member const* m = lines.member(t, positions[i]);
            restricted = restricted || (!restrictions[i].empty() &&
                                        m->getLevel()->getUniqueName() != restrictions[i] &&
                                        m->getHierarchy()->getUniqueName() != restrictions[i]);
        }
        if (lines.keep[t] != 0 && !restricted) {
            tested.push_back(t);
        }
    }
    std::vector<std::vector<ZELT_o::Member*>> members(positions.size());
    std::vector<std::unordered_map<ZELT_o::Member*, std::size_t>> numbers(positions.size());
    for (std::size_t const t : tested) {
        for (std::size_t i = 0; i < positions.size(); ++i) {
            ZELT_o::Member* m = lines.member(t, positions[i]);
            if (numbers[i].emplace(m, members[i].size()).second) {
                members[i].push_back(m);
            }
        }
    }
    MeasureTable const table(cube, layout, members, filter.measures, narrowing);
    std::vector<std::size_t> combinationOf(length);
    for (std::size_t const t : tested) {
        for (std::size_t i = 0; i < positions.size(); ++i) {
            combinationOf[t] += numbers[i].at(lines.member(t, positions[i])) * table.strides()[i];
        }
    }
    std::vector<double> values(filter.measures.size());
    std::vector<double> stack;
    for (Test const& test : filter.tests) {
        if (auto const* condition = std::get_if<Condition>(&test)) {
            for (std::size_t const t : tested) {
                if (lines.keep[t] != 0) {
                    table.read(combinationOf[t], values);
                    lines.keep[t] =
                        evaluate(*condition, stack, lines.tuple(t), values) != 0 ? 1 : 0;
                }
            }
            continue;
        }
        // The combinations of the kept lines in the order they first appear, ranked.
        Rank const& rank = std::get<Rank>(test);
        std::vector<std::pair<std::size_t, double>> ranked;  // combination, value
        std::unordered_set<std::size_t> seen;
        std::unordered_set<std::size_t> given;  // the combinations the table has values for
        std::size_t givenRanked = 0;
        for (std::size_t const t : tested) {
            std::size_t const combination = combinationOf[t];
            bool const has = table.has(combination, filter.measures.size());
            if (has) {
                given.insert(combination);
            }
            if (lines.keep[t] != 0 && seen.insert(combination).second) {
                givenRanked += has ? 1 : 0;
                double value = 0;
                if (!rank.value.empty()) {
                    table.read(combination, values);
                    value = evaluate(rank.value, stack, lines.tuple(t), values);
                }
                ranked.emplace_back(combination, value);
            }
        }
        if (!rank.value.empty()) {
            std::stable_sort(ranked.begin(), ranked.end(), [&rank](auto const& a, auto const& b) {
                return rank.top ? a.second > b.second : a.second < b.second;
            });
        }
        if (table.narrowed() && narrowing->order &&
            !ranksSettled(ranked, rank, *narrowing->order, given.size(), givenRanked,
                          filter.tests.size() > 1)) {
            return false;
        }
        std::unordered_set<std::size_t> best;
        for (std::size_t i = 0; i < std::min(rank.count, ranked.size()); ++i) {
            best.insert(ranked[i].first);
        }
        for (std::size_t const t : tested) {
            if (best.count(combinationOf[t]) == 0) {
                lines.keep[t] = 0;
            }
        }
    }
    return true;
}

void apply_filter(MemCube& cube, PlannedFilter const& filter, Layout const& layout,
                  AxisLines const& lines) {
    if (filter.narrowing) {
        std::vector<char> const before = lines.keep;
        if (run_filter(cube, filter, layout, lines, &*filter.narrowing)) {
            return;
        }
        lines.keep = before;
    }
    run_filter(cube, filter, layout, lines, nullptr);
}

void apply_tuple_filter(PlannedTupleFilter const& filter, AxisLines const& lines) {
    auto const length = static_cast<std::size_t>(lines.axis.length);
    for (std::size_t t = 0; t < length; ++t) {
        if (lines.keep[t] != 0 && filter.listed.count(tuple_key(filter.count, [&](std::size_t i) {
                return lines.member(t, filter.start + i)->getUniqueName();
            })) != 0) {
            lines.keep[t] = 0;
        }
    }
}

// A new result of the kept tuples. An axis that leaves out empty lines also loses the tuples
// left without a value among the kept tuples of the other axes.
support::Ref<ZELT_o::ViewResultSet> rebuild(MemCube& cube, MemResultSet const& result,
                                            Layout const& layout,
                                            std::vector<std::vector<char>>& keep) {
    std::size_t const axes = keep.size();
    std::vector<std::size_t> strides(axes, 1);
    std::size_t cells = 1;
    for (std::size_t a = 0; a < axes; ++a) {
        strides[a] = cells;
        cells *= keep[a].size();
    }
    auto const present = [&result](std::size_t cell) {
        basekit::Variant value;
        result.cellValue(static_cast<LONG>(cell), value.get());
        return value->vt != VT_EMPTY;
    };
    std::vector<std::vector<char>> hit(axes);
    for (std::size_t a = 0; a < axes; ++a) {
        hit[a].assign(keep[a].size(), 0);
    }
    for (std::size_t cell = 0; cell < cells; ++cell) {
        bool kept = true;
        for (std::size_t a = 0; a < axes && kept; ++a) {
            kept = keep[a][(cell / strides[a]) % keep[a].size()] != 0;
        }
        if (kept && present(cell)) {
            for (std::size_t a = 0; a < axes; ++a) {
                hit[a][(cell / strides[a]) % keep[a].size()] = 1;
            }
        }
    }
    std::vector<std::vector<std::size_t>> kept(axes);
    std::vector<MemResultSet::Axis> newAxes(axes);
    for (std::size_t a = 0; a < axes; ++a) {
        MemResultSet::Axis const& old = result.axis(static_cast<LONG>(a));
        auto const depth = static_cast<std::size_t>(old.depth);
        newAxes[a].depth = old.depth;
        for (std::size_t t = 0; t < keep[a].size(); ++t) {
            if (keep[a][t] != 0 && (!layout.axes[a].excludeEmpty || hit[a][t] != 0)) {
                kept[a].push_back(t);
                newAxes[a].members.insert(newAxes[a].members.end(),
                                          old.members.begin() + static_cast<long>(t * depth),
                                          old.members.begin() + static_cast<long>((t + 1) * depth));
            }
        }
        newAxes[a].length = static_cast<LONG>(kept[a].size());
    }
    std::size_t newCells = 1;
    for (auto const& k : kept) {
        newCells *= k.size();
    }
    std::vector<double> values(newCells, 0.0);
    std::vector<std::uint8_t> presence(newCells, 0);
    for (std::size_t cell = 0; cell < newCells; ++cell) {
        std::size_t rest = cell;
        std::size_t old = 0;
        for (std::size_t a = 0; a < axes; ++a) {
            old += kept[a][rest % kept[a].size()] * strides[a];
            rest /= kept[a].size();
        }
        basekit::Variant value;
        result.cellValue(static_cast<LONG>(old), value.get());
        if (value->vt == VT_R8) {
            values[cell] = value->dblVal;
            presence[cell] = 1;
        }
    }
    return support::adopt<ZELT_o::ViewResultSet>(
        new MemResultSet(support::retain<ZELT_o::Cube>(&cube), std::move(newAxes),
                         std::move(values), std::move(presence)));
}

}  // namespace

struct FilterPlan {
    struct Axis {
        std::vector<PlannedFilter> filters;
        std::vector<PlannedTupleFilter> tupleFilters;
    };
    std::vector<Axis> axes;  // one per result axis
};

std::shared_ptr<FilterPlan const> planFilters(MemCube& cube, common::ViewpointCommon& viewpoint,
                                              Layout const& layout,
                                              std::vector<LONG> const& viewAxes) {
    if (viewAxes.size() != layout.axes.size()) {
        return nullptr;
    }
    auto plan = std::make_shared<FilterPlan>();
    plan->axes.resize(viewAxes.size());
    bool any = false;
    std::vector<LONG> ids;
    for (std::size_t r = 0; r < viewAxes.size(); ++r) {
        // A copy: what the filters ask of the viewpoint may change its state.
        std::vector<ZELT_o::Dimension*> const onAxis = viewpoint.getAxisDimensions(viewAxes[r]);
        if (onAxis.size() != layout.axes[r].nests.size()) {
            continue;
        }
        FilterPlan::Axis& axis = plan->axes[r];
        ZELT_o::Filter* filter = nullptr;
        viewpoint.getAvailableFilters(ids, viewAxes[r]);
        for (LONG id : ids) {
            viewpoint.getFilter(id, &filter, -1);
            if (auto planned = plan_filter(cube, *filter, onAxis)) {
                axis.filters.push_back(std::move(*planned));
            }
        }
        viewpoint.getAvailableTupleFilters(ids, viewAxes[r]);
        for (LONG id : ids) {
            viewpoint.getFilter(id, &filter, viewAxes[r]);
            if (filter->isValid() && filter->validate(&viewpoint)) {
                if (auto planned = plan_tuple_filter(*filter, onAxis)) {
                    axis.tupleFilters.push_back(std::move(*planned));
                }
            }
        }
        any = any || !axis.filters.empty() || !axis.tupleFilters.empty();
    }
    return any ? plan : nullptr;
}

support::Ref<ZELT_o::ViewResultSet> applyFilters(MemCube& cube, FilterPlan const* plan,
                                                 Layout const& layout,
                                                 support::Ref<ZELT_o::ViewResultSet> result) {
    auto const* computed = dynamic_cast<MemResultSet const*>(result.get());
    if (plan == nullptr || computed == nullptr ||
        static_cast<std::size_t>(computed->getAxisCount()) != plan->axes.size()) {
        return result;
    }
    std::vector<std::vector<char>> keep(plan->axes.size());
    bool removed = false;
    for (std::size_t r = 0; r < plan->axes.size(); ++r) {
        MemResultSet::Axis const& axis = computed->axis(static_cast<LONG>(r));
        keep[r].assign(static_cast<std::size_t>(axis.length), 1);
        AxisLines const lines{axis, keep[r]};
        for (PlannedFilter const& filter : plan->axes[r].filters) {
            apply_filter(cube, filter, layout, lines);
        }
        for (PlannedTupleFilter const& filter : plan->axes[r].tupleFilters) {
            apply_tuple_filter(filter, lines);
        }
        removed = removed || std::find(keep[r].begin(), keep[r].end(), 0) != keep[r].end();
    }
    if (!removed) {
        return result;
    }
    return rebuild(cube, *computed, layout, keep);
}

}  // namespace memcube
