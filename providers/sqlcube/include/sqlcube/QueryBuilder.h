// QueryBuilder: a cube query stated without a viewpoint, by dimension, level and member names,
// turned into one SQL statement and its parameters.
//
// The view axes' members become a GROUP BY over their level columns (one grouping per
// combination of levels, joined by UNION ALL), slices and member lists a WHERE, measure filters
// a HAVING, sorts an ORDER BY and top counts a LIMIT. On a query of several axes, an axis's
// sort, filter and top count work on the axis tuples' totals over the other axes, computed by
// window functions in an enclosing query. Names and numbers are bound as parameters; only the
// description's identifiers are written into the text, quoted.
#pragma once

#include <sqlcube/Connection.h>
#include <sqlcube/SchemaDescription.h>
#include <sqlcube/sqlcube_export.h>

#include <optional>
#include <string>
#include <vector>

namespace sqlcube {

// A member by its dimension, level and the names of its ancestors and itself, top first: one
// name per level down to `level`. An empty path (and level) stands for the all member.
struct MemberRef {
    std::string dimension;
    std::string level;
    std::vector<std::string> path;
    auto operator<=>(MemberRef const&) const = default;
};

// A measure total compared with a number; or several conditions joined by AND or OR.
struct MeasureFilter {
    enum class Kind { kCompare, kAnd, kOr };
    enum class Comparison { kLess, kLessOrEqual, kEqual, kNotEqual, kGreaterOrEqual, kGreater };
    Kind kind = Kind::kCompare;
    std::string measure;  // kCompare
    Comparison comparison = Comparison::kGreater;
    double value = 0;
    std::vector<MeasureFilter> operands;  // kAnd, kOr
};

struct AxisSort {
    std::string measure;
    bool descending = false;
};

struct QueryAxis {
    // One member list per dimension nested on the axis, outermost first.
    std::vector<std::vector<MemberRef>> nests;
    // Empty tuples have no row, so they are dropped anyway; keeping them is the caller's part
    // (from the member lists), when this is false.
    bool excludeEmpty = true;
    std::optional<AxisSort> sort;
    std::optional<std::size_t> top;  // Keep the first N tuples (after the sort).
    std::optional<MeasureFilter> filter;
    // Per nest (may be shorter than `nests`): the names of the levels whose every member the
    // nest lists. Those members select every fact, so the statement names none of them.
    std::vector<std::vector<std::string>> wholeLevels;
};

struct QuerySpec {
    std::vector<QueryAxis> axes;
    std::vector<MemberRef> slices;  // One member per sliced dimension.
    std::vector<std::string> measures;
};

// A statement and what its result columns mean.
struct SqlQuery {
    std::string text;
    std::vector<Value> parameters;
    // Per axis, per nest: the first result column of the nest's level columns and how many
    // there are; the nest's level number (-1: all member) is in column `levelColumn`.
    struct NestColumns {
        std::size_t firstColumn;
        std::size_t columnCount;
        std::size_t levelColumn;
    };
    std::vector<std::vector<NestColumns>> axes;
    // The computed measures (those asked for first) start here, one column each.
    std::size_t firstMeasureColumn = 0;
    // Per axis whose order is not the rows' order: the column of the total it is sorted by.
    struct AxisOrder {
        std::optional<std::size_t> totalColumn;
        bool descending = false;
    };
    std::vector<AxisOrder> orders;
};

class SQLCUBE_API QueryBuilder {
public:
    QueryBuilder(SchemaDescription description, Dialect const& dialect);
    // Raises kUnknownName for a dimension, level, path or measure the description lacks.
    SqlQuery build(QuerySpec const& spec) const;

private:
    SchemaDescription fDescription;
    Dialect const& fDialect;  // The dialects are process-wide objects.
};

}  // namespace sqlcube
