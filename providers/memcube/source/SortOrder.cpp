#include "SortOrder.h"

#include "MemResultSet.h"

#include <memcube/MemCube.h>
#include <pova/Dimension.h>
#include <pova/Member.h>
#include <pova/Sort.h>
#include <pova/Viewpoint.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <optional>
#include <unordered_map>

namespace memcube {

namespace {

// A line's value: the sum of its counted cells, and whether it has any.
struct Key {
    double sum = 0;
    bool present = false;

    void add(Key const& other) {
        sum += other.sum;
        present = present || other.present;
    }
};

// A line without a value is lower than every value.
bool lower(Key const& a, Key const& b) {
    if (a.present != b.present) {
        return !a.present;
    }
    return a.present && a.sum < b.sum;
}

AxisOrder order_of(ZELT_o::Viewpoint& viewpoint, LONG axis) {
    AxisOrder order;
    std::vector<LONG> ids;
    viewpoint.getAvailableSorts(ids, axis);
    ZELT_o::Sort* sort = nullptr;
    if (!ids.empty()) {
        viewpoint.getSort(ids.front(), &sort);
    }
    if (sort == nullptr) {
        return order;
    }
    order.sorted = true;
    order.descending = sort->getDirection() == ZELT_o::Sort::kDescending;
    for (LONG const id : sort->getModifiers()) {
        ZELT_o::Sort* modifier = nullptr;
        viewpoint.getSort(id, &modifier);
        if (modifier != nullptr && modifier->isApplied()) {
            order.descending = order.descending != modifier->getIsReversing();
            order.flat = order.flat || modifier->getChangeHier();
        }
    }
    return order;
}

// The whole result, to be read and rearranged.
struct Grid {
    std::vector<MemResultSet::Axis> axes;
    std::vector<std::int64_t> strides;  // Axis 0 varies fastest.
    std::vector<double> values;
    std::vector<std::uint8_t> present;

    explicit Grid(MemResultSet const& result) {
        std::int64_t stride = 1;
        for (LONG a = 0; a < result.getAxisCount(); ++a) {
            axes.push_back(result.axis(a));
            strides.push_back(stride);
            stride *= axes.back().length;
        }
        auto const cells = static_cast<std::size_t>(result.getItemCount());
        values.assign(cells, 0.0);
        present.assign(cells, 0);
        for (std::size_t c = 0; c < cells; ++c) {
            VARIANT value;
            result.cellValue(static_cast<LONG>(c), &value);
            if (value.vt == VT_R8) {
                values[c] = value.dblVal;
                present[c] = 1;
            }
        }
    }

    LONG tuple_of(std::size_t cell, std::size_t axis) const {
        return static_cast<LONG>((static_cast<std::int64_t>(cell) / strides[axis]) %
                                 axes[axis].length);
    }
};

// Which tuples of an axis count towards the other axes' keys: with Measures nested on it, those
// of its first measure; else all (an empty list).
std::vector<bool> counted_tuples(MemResultSet::Axis const& axis) {
    for (LONG depth = 0; depth < axis.depth && axis.length > 0; ++depth) {
        ZELT_o::Member const* first = axis.members[static_cast<std::size_t>(depth)];
        ZELT_o::Dimension const* dimension = first != nullptr ? first->getDimension() : nullptr;
        if (dimension != nullptr && dimension->isMeasures()) {
            std::vector<bool> counted(static_cast<std::size_t>(axis.length));
            for (LONG t = 0; t < axis.length; ++t) {
                counted[static_cast<std::size_t>(t)] =
                    axis.members[static_cast<std::size_t>(t * axis.depth + depth)] == first;
            }
            return counted;
        }
    }
    return {};
}

std::vector<Key> line_keys(Grid const& grid, std::size_t axis) {
    std::vector<std::vector<bool>> counted(grid.axes.size());
    for (std::size_t b = 0; b < grid.axes.size(); ++b) {
        if (b != axis) {
            counted[b] = counted_tuples(grid.axes[b]);
        }
    }
    std::vector<Key> keys(static_cast<std::size_t>(grid.axes[axis].length));
    for (std::size_t c = 0; c < grid.values.size(); ++c) {
        if (grid.present[c] == 0) {
            continue;
        }
        bool counts = true;
        for (std::size_t b = 0; b < grid.axes.size() && counts; ++b) {
            counts =
                counted[b].empty() || counted[b][static_cast<std::size_t>(grid.tuple_of(c, b))];
        }
        if (counts) {
            keys[static_cast<std::size_t>(grid.tuple_of(c, axis))].add({grid.values[c], true});
        }
    }
    return keys;
}

template <class KeyOf>
auto by_key(KeyOf key, bool descending) {
    return [key, descending](auto x, auto y) {
        return descending ? lower(key(y), key(x)) : lower(key(x), key(y));
    };
}

// The tuples (positions of the axis, in their order) as one list ordered by their keys.
std::vector<LONG> flat_order(std::vector<Key> const& keys, bool descending) {
    std::vector<LONG> tuples(keys.size());
    std::iota(tuples.begin(), tuples.end(), 0);
    std::stable_sort(
        tuples.begin(), tuples.end(),
        by_key([&keys](LONG t) { return keys[static_cast<std::size_t>(t)]; }, descending));
    return tuples;
}

// The tuples, which share their members outside `depth`, grouped by their member at `depth`:
// each group ordered among its siblings (the groups whose nearest ancestor in the list is the
// same), after its ancestor, and ordered within by the next depth.
std::vector<LONG> nested_order(MemResultSet::Axis const& axis, std::vector<Key> const& keys,
                               bool descending, std::vector<LONG> const& tuples, LONG depth) {
    if (depth >= axis.depth || tuples.size() < 2) {
        return tuples;
    }
    std::vector<ZELT_o::Member*> members;
    std::vector<std::vector<LONG>> groups;
    std::vector<Key> groupKeys;
    std::unordered_map<ZELT_o::Member*, std::size_t> groupOf;
    for (LONG const t : tuples) {
        ZELT_o::Member* member = axis.members[static_cast<std::size_t>(t * axis.depth + depth)];
        auto const [found, added] = groupOf.emplace(member, members.size());
        if (added) {
            members.push_back(member);
            groups.emplace_back();
            groupKeys.emplace_back();
        }
        groups[found->second].push_back(t);
        groupKeys[found->second].add(keys[static_cast<std::size_t>(t)]);
    }
    std::vector<std::vector<std::size_t>> children(members.size());
    std::vector<std::size_t> roots;
    for (std::size_t g = 0; g < members.size(); ++g) {
        std::optional<std::size_t> parent;
        for (ZELT_o::Member* up = members[g] != nullptr ? members[g]->getParent() : nullptr;
             up != nullptr && !parent; up = up->getParent()) {
            if (auto const found = groupOf.find(up); found != groupOf.end()) {
                parent = found->second;
            }
        }
        (parent ? children[*parent] : roots).push_back(g);
    }
    auto const order = by_key([&groupKeys](std::size_t g) { return groupKeys[g]; }, descending);
    std::vector<LONG> ordered;
    ordered.reserve(tuples.size());
    auto emit = [&](auto& self, std::vector<std::size_t>& siblings) -> void {
        std::stable_sort(siblings.begin(), siblings.end(), order);
        for (std::size_t const g : siblings) {
            std::vector<LONG> const inner =
                nested_order(axis, keys, descending, groups[g], depth + 1);
            ordered.insert(ordered.end(), inner.begin(), inner.end());
            self(self, children[g]);
        }
    };
    emit(emit, roots);
    return ordered;
}

}  // namespace

std::vector<AxisOrder> planSorts(ZELT_o::Viewpoint& viewpoint,
                                 std::vector<LONG> const& resultAxes) {
    std::vector<AxisOrder> orders;
    for (LONG const axis : resultAxes) {
        orders.push_back(order_of(viewpoint, axis));
    }
    return orders;
}

support::Ref<ZELT_o::ViewResultSet> orderBySorts(MemCube& cube,
                                                 std::vector<AxisOrder> const& orders,
                                                 support::Ref<ZELT_o::ViewResultSet> result) {
    auto const* computed = dynamic_cast<MemResultSet const*>(result.get());
    if (computed == nullptr) {
        return result;
    }
    std::size_t const count =
        std::min(orders.size(), static_cast<std::size_t>(computed->getAxisCount()));
    if (std::none_of(orders.begin(), orders.begin() + static_cast<std::ptrdiff_t>(count),
                     [](AxisOrder const& order) { return order.sorted; })) {
        return result;
    }

    Grid grid(*computed);
    // For each axis, the old position of the tuple at each new position.
    std::vector<std::vector<LONG>> moved(grid.axes.size());
    for (std::size_t a = 0; a < grid.axes.size(); ++a) {
        std::vector<LONG>& order = moved[a];
        order.resize(static_cast<std::size_t>(grid.axes[a].length));
        std::iota(order.begin(), order.end(), 0);
        if (a >= count || !orders[a].sorted) {
            continue;
        }
        std::vector<Key> const keys = line_keys(grid, a);
        order = orders[a].flat ? flat_order(keys, orders[a].descending)
                               : nested_order(grid.axes[a], keys, orders[a].descending, order, 0);
    }

    std::vector<MemResultSet::Axis> axes = grid.axes;
    for (std::size_t a = 0; a < axes.size(); ++a) {
        auto const depth = static_cast<std::size_t>(axes[a].depth);
        for (std::size_t t = 0; t < moved[a].size(); ++t) {
            auto const from = static_cast<std::size_t>(moved[a][t]) * depth;
            std::copy_n(grid.axes[a].members.begin() + static_cast<std::ptrdiff_t>(from), depth,
                        axes[a].members.begin() + static_cast<std::ptrdiff_t>(t * depth));
        }
    }
    std::vector<double> values(grid.values.size());
    std::vector<std::uint8_t> present(grid.present.size());
    for (std::size_t c = 0; c < values.size(); ++c) {
        std::int64_t from = 0;
        for (std::size_t a = 0; a < axes.size(); ++a) {
            from += moved[a][static_cast<std::size_t>(grid.tuple_of(c, a))] * grid.strides[a];
        }
        values[c] = grid.values[static_cast<std::size_t>(from)];
        present[c] = grid.present[static_cast<std::size_t>(from)];
    }
    return support::adopt<ZELT_o::ViewResultSet>(
        new MemResultSet(support::retain<ZELT_o::Cube>(&cube), std::move(axes), std::move(values),
                         std::move(present)));
}

}  // namespace memcube
