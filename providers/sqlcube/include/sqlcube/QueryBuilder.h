/// @file
/// QueryBuilder: a cube query stated without a viewpoint, by dimension, level and member names,
/// turned into one SQL statement and its parameters.
///
/// The view axes' members become a GROUP BY over their level columns (one grouping per
/// combination of levels, joined by UNION ALL), slices and member lists a WHERE, measure filters
/// a HAVING, sorts an ORDER BY and top counts a LIMIT. On a query of several axes, an axis's
/// sort, filter and top count work on the axis tuples' totals over the other axes, computed by
/// window functions in an enclosing query. Names and numbers are bound as parameters; only the
/// description's identifiers are written into the text, quoted.
#pragma once

#include <sqlcube/Connection.h>
#include <sqlcube/SchemaDescription.h>
#include <sqlcube/sqlcube_export.h>

#include <optional>
#include <string>
#include <vector>

namespace sqlcube {

/// A member by its dimension, level and the names of its ancestors and itself, top first: one
/// name per level down to `level`. An empty path (and level) stands for the all member.
struct MemberRef {
    std::string dimension;          ///< The dimension's name.
    std::string level;              ///< The member's level; empty for the all member.
    std::vector<std::string> path;  ///< The names from the top level down to the member.
    /// Compared field by field: dimension, level, then path.
    auto operator<=>(MemberRef const&) const = default;
};

/// A measure total compared with a number; or several conditions joined by AND or OR.
struct MeasureFilter {
    /// A comparison, or a join of the operands.
    enum class Kind {
        kCompare,  ///< The measure's total compared with the value.
        kAnd,      ///< Every operand holds.
        kOr        ///< Some operand holds.
    };
    /// How the measure's total is compared with the value: total < value, and so on.
    enum class Comparison {
        kLess,            ///< <
        kLessOrEqual,     ///< <=
        kEqual,           ///< =
        kNotEqual,        ///< <>
        kGreaterOrEqual,  ///< >=
        kGreater          ///< >
    };
    Kind kind = Kind::kCompare;                    ///< What the filter is.
    std::string measure;                           ///< kCompare: the measure compared.
    Comparison comparison = Comparison::kGreater;  ///< kCompare: how.
    double value = 0;                              ///< kCompare: the number compared with.
    std::vector<MeasureFilter> operands;           ///< kAnd, kOr: the conditions joined.
};

/// The order of an axis's tuples: by a measure's total.
struct AxisSort {
    std::string measure;      ///< The measure sorted by.
    bool descending = false;  ///< Largest first rather than smallest first.
};

/// One axis of a query: its member lists and what is done to its tuples.
struct QueryAxis {
    /// One member list per dimension nested on the axis, outermost first.
    std::vector<std::vector<MemberRef>> nests;
    /// Empty tuples have no row, so they are dropped anyway; keeping them is the caller's part
    /// (from the member lists), when this is false.
    bool excludeEmpty = true;
    std::optional<AxisSort> sort;         ///< The tuples' order; none: the rows' order.
    std::optional<std::size_t> top;       ///< Keep the first N tuples (after the sort).
    std::optional<MeasureFilter> filter;  ///< The condition a tuple's totals must meet.
    /// Per nest (may be shorter than `nests`): the names of the levels whose every member the
    /// nest lists. Those members select every fact, so the statement names none of them.
    std::vector<std::vector<std::string>> wholeLevels;
};

/// A cube query: its axes, its slice and the measures it computes.
struct QuerySpec {
    std::vector<QueryAxis> axes;        ///< The result axes, in order.
    std::vector<MemberRef> slices;      ///< One member per sliced dimension.
    std::vector<std::string> measures;  ///< The measures computed, by name, in order.
};

/// A statement and what its result columns mean.
struct SqlQuery {
    std::string text;               ///< The statement.
    std::vector<Value> parameters;  ///< Its parameters, in placeholder order.
    /// Per axis, per nest: the first result column of the nest's level columns and how many
    /// there are; the nest's level number (-1: all member) is in column `levelColumn`.
    struct NestColumns {
        std::size_t firstColumn;  ///< The first of the nest's level columns.
        std::size_t columnCount;  ///< How many level columns the nest has.
        std::size_t levelColumn;  ///< The column of the nest's level number.
    };
    std::vector<std::vector<NestColumns>> axes;  ///< The columns of each axis's nests.
    /// The computed measures (those asked for first) start here, one column each.
    std::size_t firstMeasureColumn = 0;
    /// Per axis whose order is not the rows' order: the column of the total it is sorted by.
    struct AxisOrder {
        std::optional<std::size_t> totalColumn;  ///< The total's column; none: the rows' order.
        bool descending = false;                 ///< Largest total first.
    };
    std::vector<AxisOrder> orders;  ///< One per axis.
};

/// Turns cube queries into SQL statements for one description and dialect.
class SQLCUBE_API QueryBuilder {
public:
    /// A builder of statements over the description's tables, spelled for the dialect.
    QueryBuilder(SchemaDescription description, Dialect const& dialect);
    /// Raises kUnknownName for a dimension, level, path or measure the description lacks.
    SqlQuery build(QuerySpec const& spec) const;

private:
    SchemaDescription fDescription;
    Dialect const& fDialect;  ///< The dialects are process-wide objects.
};

}  // namespace sqlcube
