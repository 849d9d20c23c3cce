#include <sqlcube/Errors.h>
#include <sqlcube/QueryBuilder.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace sqlcube {

namespace {

// A nest of a result axis, with what the statement needs of it.
struct Nest {
    std::size_t axis;
    std::size_t dimension;
    std::vector<MemberRef> const* members;
    std::vector<int> levels;       // The distinct levels of its members, -1 for the all member.
    std::size_t columnCount;       // Level columns: those of its deepest level.
    std::vector<int> wholeLevels;  // Levels of which it lists every member.
};

// Parameters in the order their placeholders appear in the text, as positional placeholders
// need.
class Parameters {
public:
    explicit Parameters(Dialect const& dialect) : fDialect(dialect) {}
    std::string add(Value value) {
        fValues.push_back(std::move(value));
        return fDialect.placeholder(fValues.size());
    }
    std::vector<Value> take() { return std::move(fValues); }

private:
    Dialect const& fDialect;
    std::vector<Value> fValues;
};

char const* comparison_text(MeasureFilter::Comparison comparison) {
    switch (comparison) {
        case MeasureFilter::Comparison::kLess:
            return " < ";
        case MeasureFilter::Comparison::kLessOrEqual:
            return " <= ";
        case MeasureFilter::Comparison::kEqual:
            return " = ";
        case MeasureFilter::Comparison::kNotEqual:
            return " <> ";
        case MeasureFilter::Comparison::kGreaterOrEqual:
            return " >= ";
        case MeasureFilter::Comparison::kGreater:
            break;
    }
    return " > ";
}

std::string column_alias(char const* prefix, std::size_t n) {
    return prefix + std::to_string(n);
}

}  // namespace

QueryBuilder::QueryBuilder(SchemaDescription description, Dialect const& dialect)
    : fDescription(std::move(description)), fDialect(dialect) {}

SqlQuery QueryBuilder::build(QuerySpec const& spec) const {
    auto dimension_of = [this](std::string const& name) {
        int const index = fDescription.dimensionIndex(name);
        if (index < 0) {
            raise(kUnknownName, "dimension " + name);
        }
        return static_cast<std::size_t>(index);
    };
    // The member's level, -1 for the all member; checks that its path fits the level.
    auto level_of = [this](std::size_t dimension, MemberRef const& member) {
        if (member.path.empty()) {
            return -1;
        }
        DimensionDescription const& description = fDescription.dimensions[dimension];
        int const level = description.levelIndex(member.level);
        if (level < 0 || member.path.size() != static_cast<std::size_t>(level) + 1) {
            raise(kUnknownName, "member " + member.level + " of " + description.name +
                                    " (a path of " + std::to_string(member.path.size()) +
                                    " names)");
        }
        return level;
    };
    // Measures computed: those asked for, then those only the sorts and filters use.
    std::vector<std::size_t> measures;
    auto measure_column = [&](std::string const& name) {
        int const index = fDescription.measureIndex(name);
        if (index < 0) {
            raise(kUnknownName, "measure " + name);
        }
        auto const found = std::find(measures.begin(), measures.end(), index);
        if (found != measures.end()) {
            return static_cast<std::size_t>(found - measures.begin());
        }
        measures.push_back(static_cast<std::size_t>(index));
        return measures.size() - 1;
    };
    for (std::string const& name : spec.measures) {
        measure_column(name);
    }
    std::function<void(MeasureFilter const&)> collect = [&](MeasureFilter const& filter) {
        if (filter.kind == MeasureFilter::Kind::kCompare) {
            measure_column(filter.measure);
        }
        for (MeasureFilter const& operand : filter.operands) {
            collect(operand);
        }
    };
    for (QueryAxis const& axis : spec.axes) {
        if (axis.sort) {
            measure_column(axis.sort->measure);
        }
        if (axis.filter) {
            collect(*axis.filter);
        }
    }
    if (measures.empty()) {
        raise(kUnknownName, "no measure");
    }

    std::vector<Nest> nests;
    std::vector<bool> joined(fDescription.dimensions.size(), false);
    for (std::size_t a = 0; a < spec.axes.size(); ++a) {
        if (spec.axes[a].nests.empty()) {
            raise(kUnknownName, "no dimension on axis " + std::to_string(a));
        }
        QueryAxis const& axis = spec.axes[a];
        for (std::size_t n = 0; n < axis.nests.size(); ++n) {
            std::vector<MemberRef> const& members = axis.nests[n];
            if (members.empty()) {
                raise(kUnknownName, "an empty member list on axis " + std::to_string(a));
            }
            Nest nest{a, dimension_of(members.front().dimension), &members, {}, 0, {}};
            if (n < axis.wholeLevels.size()) {
                for (std::string const& level : axis.wholeLevels[n]) {
                    nest.wholeLevels.push_back(
                        fDescription.dimensions[nest.dimension].levelIndex(level));
                }
            }
            for (MemberRef const& member : members) {
                if (dimension_of(member.dimension) != nest.dimension) {
                    raise(kUnknownName, "dimension " + member.dimension + " in a nest of " +
                                            members.front().dimension);
                }
                nest.levels.push_back(level_of(nest.dimension, member));
            }
            std::sort(nest.levels.begin(), nest.levels.end());
            nest.levels.erase(std::unique(nest.levels.begin(), nest.levels.end()),
                              nest.levels.end());
            nest.columnCount = static_cast<std::size_t>(nest.levels.back() + 1);
            joined[nest.dimension] = true;
            nests.push_back(std::move(nest));
        }
    }
    std::vector<std::pair<std::size_t, int>> slices;
    for (MemberRef const& slice : spec.slices) {
        std::size_t const dimension = dimension_of(slice.dimension);
        int const level = level_of(dimension, slice);
        slices.emplace_back(dimension, level);
    }

    SqlQuery query;
    Parameters parameters(fDialect);
    auto const quote = [this](std::string const& identifier) { return fDialect.quote(identifier); };
    auto const dimension_alias = [](std::size_t d) { return column_alias("d", d); };
    auto const level_column = [&](std::size_t d, std::size_t level, char const* alias = "d") {
        return column_alias(alias, d) + "." +
               quote(fDescription.dimensions[d].levels[level].column);
    };
    // The member's condition on the columns of its dimension's table as `alias` ("s" in a
    // subquery), its names bound.
    auto const member_condition = [&](std::size_t d, MemberRef const& member,
                                      char const* alias = "s") {
        std::string text = "(";
        for (std::size_t l = 0; l < member.path.size(); ++l) {
            text += (l == 0 ? "" : " AND ") + level_column(d, l, alias) + " = " +
                    parameters.add(member.path[l]);
        }
        return text + ")";
    };
    auto const sum_of = [&](std::size_t m) {
        return "SUM(f." + quote(fDescription.measures[measures[m]].column) + ")";
    };
    // A filter's text, with `total(m)` giving the total of computed measure m. The number is
    // in the cube's units; the column holds it times 10^scale.
    std::function<std::string(MeasureFilter const&, std::function<std::string(std::size_t)> const&)>
        filter_text = [&](MeasureFilter const& filter, auto const& total) -> std::string {
        if (filter.kind == MeasureFilter::Kind::kCompare) {
            std::size_t const m = measure_column(filter.measure);
            double const scaled =
                filter.value * std::pow(10.0, fDescription.measures[measures[m]].scale);
            return total(m) + comparison_text(filter.comparison) + parameters.add(scaled);
        }
        std::string text = "(";
        for (std::size_t i = 0; i < filter.operands.size(); ++i) {
            if (i != 0) {
                text += filter.kind == MeasureFilter::Kind::kAnd ? " AND " : " OR ";
            }
            text += filter_text(filter.operands[i], total);
        }
        return text + ")";
    };

    // Result columns: each nest's level columns and level number, then the measures.
    std::size_t column = 0;
    query.axes.resize(spec.axes.size());
    query.orders.resize(spec.axes.size());
    for (Nest const& nest : nests) {
        query.axes[nest.axis].push_back({column, nest.columnCount, column + nest.columnCount});
        column += nest.columnCount + 1;
    }
    query.firstMeasureColumn = column;
    bool const windowed =
        spec.axes.size() > 1 &&
        std::any_of(spec.axes.begin(), spec.axes.end(),
                    [](QueryAxis const& axis) { return axis.sort || axis.top || axis.filter; });
    QueryAxis const* single = spec.axes.size() == 1 ? &spec.axes.front() : nullptr;

    std::string from = quote(fDescription.factTable) + " AS f";
    for (std::size_t d = 0; d < joined.size(); ++d) {
        if (joined[d]) {
            DimensionDescription const& dimension = fDescription.dimensions[d];
            from += " JOIN " + quote(dimension.table) + " AS " + dimension_alias(d) + " ON " +
                    dimension_alias(d) + "." + quote(dimension.keyColumn) + " = f." +
                    quote(dimension.factKeyColumn);
        }
    }
    // Slices and member lists restrict the fact keys to those of a subquery on the dimension
    // table: its conditions run once per dimension row, not once per fact. The slices come
    // first: one member each, they usually leave the fewest facts to test.
    auto const restrict_keys = [&](std::string& where, std::size_t d,
                                   std::string const& conditions) {
        DimensionDescription const& dimension = fDescription.dimensions[d];
        std::string const alias = column_alias("s", d);
        where += (where.empty() ? " WHERE f." : " AND f.") + quote(dimension.factKeyColumn) +
                 " IN (SELECT " + alias + "." + quote(dimension.keyColumn) + " FROM " +
                 quote(dimension.table) + " AS " + alias + " WHERE " + conditions + ")";
    };
    auto const slice_where = [&] {
        std::string where;
        for (std::size_t d = 0; d < fDescription.dimensions.size(); ++d) {
            std::string conditions;
            for (std::size_t s = 0; s < slices.size(); ++s) {
                if (slices[s].first == d && slices[s].second >= 0) {
                    conditions +=
                        (conditions.empty() ? "" : " AND ") + member_condition(d, spec.slices[s]);
                }
            }
            if (!conditions.empty()) {
                restrict_keys(where, d, conditions);
            }
        }
        return where;
    };
    // Whether the nest's members of the level select every fact: the all member, or a whole
    // level.
    auto const selects_all = [&](Nest const& nest, int level) {
        return level < 0 || std::find(nest.wholeLevels.begin(), nest.wholeLevels.end(), level) !=
                                nest.wholeLevels.end();
    };
    // The nest's members of the level, as a condition on the columns of its table as `alias`.
    auto const members_at = [&](Nest const& nest, int level, char const* alias) {
        std::string any;
        for (MemberRef const& member : *nest.members) {
            if (member.path.size() == static_cast<std::size_t>(level) + 1) {
                any +=
                    (any.empty() ? "" : " OR ") + member_condition(nest.dimension, member, alias);
            }
        }
        return "(" + any + ")";
    };
    std::size_t combinations = 1;
    for (Nest const& nest : nests) {
        combinations *= nest.levels.size();
    }

    std::string unioned;
    if (combinations > 1 && fDialect.hasGroupingSets()) {
        // One pass over the facts for every combination of levels: GROUPING SETS. A nest's
        // level number counts its grouped columns; the WHERE takes the facts of every level's
        // members, so the HAVING keeps the groups of the members asked for.
        std::string select;
        std::string sets;
        std::string where = slice_where();
        std::string having;
        std::size_t c = 0;
        std::vector<std::string> levelOf(nests.size());
        for (std::size_t n = 0; n < nests.size(); ++n) {
            Nest const& nest = nests[n];
            std::string grouped;
            for (std::size_t l = 0; l < nest.columnCount; ++l, ++c) {
                std::string const value = level_column(nest.dimension, l);
                select += (select.empty() ? "" : ", ") + value + " AS " + column_alias("c", c);
                grouped += " + (1 - GROUPING(" + value + "))";
            }
            levelOf[n] = "(-1" + grouped + ")";
            select += (select.empty() ? "" : ", ") + levelOf[n] + " AS " + column_alias("c", c);
            ++c;
            bool const everyFact = std::any_of(nest.levels.begin(), nest.levels.end(),
                                               [&](int level) { return selects_all(nest, level); });
            if (!everyFact) {
                std::string any;
                for (int const level : nest.levels) {
                    any += (any.empty() ? "" : " OR ") + members_at(nest, level, "s");
                }
                restrict_keys(where, nest.dimension, "(" + any + ")");
            }
        }
        for (std::size_t m = 0; m < measures.size(); ++m) {
            select += ", " + sum_of(m) + " AS " + column_alias("m", m);
        }
        for (std::size_t n = 0; n < nests.size(); ++n) {
            Nest const& nest = nests[n];
            std::string kept;
            for (int const level : nest.levels) {
                kept += (kept.empty() ? "" : " OR ") + std::string("(") + levelOf[n] + " = " +
                        std::to_string(level) +
                        (selects_all(nest, level) ? "" : " AND " + members_at(nest, level, "d")) +
                        ")";
            }
            having += (having.empty() ? "" : " AND ") + std::string("(") + kept + ")";
        }
        for (std::vector<std::size_t> choice(nests.size(), 0);;) {
            std::string set;
            for (std::size_t n = 0; n < nests.size(); ++n) {
                for (int l = 0; l <= nests[n].levels[choice[n]]; ++l) {
                    set += (set.empty() ? "" : ", ") +
                           level_column(nests[n].dimension, static_cast<std::size_t>(l));
                }
            }
            sets += (sets.empty() ? "" : ", ") + std::string("(") + set + ")";
            std::size_t n = nests.size();
            while (n-- > 0 && ++choice[n] == nests[n].levels.size()) {
                choice[n] = 0;
            }
            if (n == static_cast<std::size_t>(-1)) {
                break;
            }
        }
        if (single != nullptr && single->filter) {
            having += " AND " + filter_text(*single->filter, sum_of);
        }
        unioned = "SELECT " + select + " FROM " + from + where + " GROUP BY GROUPING SETS (" +
                  sets + ") HAVING " + having;
    }
    // Otherwise one grouping per combination of the nests' levels, joined by UNION ALL.
    std::vector<std::size_t> choice(nests.size(), 0);
    for (bool more = unioned.empty(); more;) {
        std::string select;
        std::string group;
        std::size_t c = 0;
        for (std::size_t n = 0; n < nests.size(); ++n) {
            Nest const& nest = nests[n];
            int const level = nest.levels[choice[n]];
            for (std::size_t l = 0; l < nest.columnCount; ++l, ++c) {
                bool const used = static_cast<int>(l) <= level;
                std::string const value = used ? level_column(nest.dimension, l) : "NULL";
                select += (select.empty() ? "" : ", ") + value + " AS " + column_alias("c", c);
                if (used) {
                    group += (group.empty() ? "" : ", ") + value;
                }
            }
            select += (select.empty() ? "" : ", ") + std::to_string(level) + " AS " +
                      column_alias("c", c);
            ++c;
        }
        for (std::size_t m = 0; m < measures.size(); ++m) {
            select += (select.empty() ? "" : ", ") + sum_of(m) + " AS " + column_alias("m", m);
        }
        std::string where = slice_where();
        for (std::size_t n = 0; n < nests.size(); ++n) {
            int const level = nests[n].levels[choice[n]];
            if (!selects_all(nests[n], level)) {
                restrict_keys(where, nests[n].dimension, members_at(nests[n], level, "s"));
            }
        }
        std::string branch = "SELECT " + select + " FROM " + from + where;
        if (!group.empty()) {
            branch += " GROUP BY " + group;
        }
        if (single != nullptr && single->filter) {
            branch += " HAVING " + filter_text(*single->filter, sum_of);
        }
        unioned += (unioned.empty() ? "" : " UNION ALL ") + branch;
        // The next combination, the last nest's level varying fastest.
        more = false;
        for (std::size_t n = nests.size(); n-- > 0;) {
            if (++choice[n] < nests[n].levels.size()) {
                more = true;
                break;
            }
            choice[n] = 0;
        }
    }

    if (single != nullptr) {
        query.text = unioned;
        if (single->sort) {
            query.text += " ORDER BY " + column_alias("m", measure_column(single->sort->measure)) +
                          (single->sort->descending ? " DESC" : "");
        }
        if (single->top) {
            query.text +=
                " " + fDialect.limit(parameters.add(static_cast<std::int64_t>(*single->top)));
        }
    } else if (!windowed) {
        query.text = unioned;
    } else {
        // Per axis that sorts, filters or keeps its top tuples: the totals of every measure
        // over the axis's tuples, by window; a rank for the top count; the filters on those
        // totals.
        std::size_t const baseColumns = query.firstMeasureColumn + measures.size();
        auto const total_column = [&](std::size_t a, std::size_t m) {
            return column_alias("a", a) + column_alias("m", m);
        };
        auto const partition = [&](std::size_t a, std::string const& prefix) {
            std::string text;
            for (SqlQuery::NestColumns const& nest : query.axes[a]) {
                for (std::size_t c = nest.firstColumn; c <= nest.levelColumn; ++c) {
                    text += (text.empty() ? "" : ", ") + prefix + column_alias("c", c);
                }
            }
            return text;
        };
        std::string totals;
        std::string ranks;
        std::size_t extra = 0;
        for (std::size_t a = 0; a < spec.axes.size(); ++a) {
            QueryAxis const& axis = spec.axes[a];
            if (!axis.sort && !axis.top && !axis.filter) {
                continue;
            }
            for (std::size_t m = 0; m < measures.size(); ++m) {
                totals += ", SUM(u." + column_alias("m", m) + ") OVER (PARTITION BY " +
                          partition(a, "u.") + ") AS " + total_column(a, m);
            }
            if (axis.sort) {
                query.orders[a] = {baseColumns + extra + measure_column(axis.sort->measure),
                                   axis.sort->descending};
            }
            extra += measures.size();
            if (axis.top) {
                std::string order;
                if (axis.sort) {
                    order = "q." + total_column(a, measure_column(axis.sort->measure)) +
                            (axis.sort->descending ? " DESC, " : ", ");
                }
                ranks += ", DENSE_RANK() OVER (ORDER BY " + order + partition(a, "q.") + ") AS " +
                         column_alias("r", a);
            }
        }
        // Filters first, then the top counts among the rows left: the ranks are computed after
        // the WHERE of their own query.
        std::string filters;
        for (std::size_t a = 0; a < spec.axes.size(); ++a) {
            if (spec.axes[a].filter) {
                filters += (filters.empty() ? " WHERE " : " AND ") +
                           filter_text(*spec.axes[a].filter,
                                       [&](std::size_t m) { return "q." + total_column(a, m); });
            }
        }
        query.text = "SELECT * FROM (SELECT q.*" + ranks + " FROM (SELECT u.*" + totals +
                     " FROM (" + unioned + ") AS u) AS q" + filters + ") AS w";
        std::string tops;
        std::string order;
        for (std::size_t a = 0; a < spec.axes.size(); ++a) {
            QueryAxis const& axis = spec.axes[a];
            if (axis.top) {
                tops += (tops.empty() ? " WHERE w." : " AND w.") + column_alias("r", a) +
                        " <= " + parameters.add(static_cast<std::int64_t>(*axis.top));
            }
            if (axis.sort) {
                order += (order.empty() ? " ORDER BY w." : ", w.") +
                         total_column(a, measure_column(axis.sort->measure)) +
                         (axis.sort->descending ? " DESC" : "");
            }
        }
        query.text += tops + order;
    }
    query.parameters = parameters.take();
    return query;
}

}  // namespace sqlcube
