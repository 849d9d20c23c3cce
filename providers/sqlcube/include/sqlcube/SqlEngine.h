/// @file
/// SqlEngine: runs cube queries on a connection, one statement each, and returns their cells
/// keyed by member tuples. Used by one thread at a time, like its connection.
#pragma once

#include <sqlcube/Connection.h>
#include <sqlcube/QueryBuilder.h>
#include <sqlcube/SchemaDescription.h>
#include <sqlcube/sqlcube_export.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sqlcube {

/// One member per nest of an axis, outermost first.
using Tuple = std::vector<MemberRef>;
/// One tuple per result axis.
using CellKey = std::vector<Tuple>;

/// The cells of one query and the tuples of its axes.
class SQLCUBE_API QueryResult {
public:
    /// The axis's tuples that have a cell, in the axis's order (its sort, or the rows' order).
    std::vector<Tuple> const& axisTuples(std::size_t axis) const { return fAxes.at(axis); }
    /// The number of cells the query returned.
    std::size_t cellCount() const { return fCells.size(); }
    /// The sum as the database returned it (an integer for integer columns), for measure
    /// `measure` of the query's list; null for an empty cell.
    Value const* raw(CellKey const& key, std::size_t measure) const;
    /// The measure's value in the cube's units (the raw sum divided by 10^scale).
    std::optional<double> value(CellKey const& key, std::size_t measure) const;

private:
    friend class SqlEngine;
    std::vector<std::vector<Tuple>> fAxes;
    std::map<CellKey, std::vector<Value>> fCells;
    std::vector<int> fScales;  ///< Per measure of the query.
};

/// Runs cube queries on a connection; see the file's description.
class SQLCUBE_API SqlEngine {
public:
    ///@{
    /// `connection` must outlive the engine. Without a description, the database's own is read
    /// and checked against its tables (readDescription).
    explicit SqlEngine(Connection& connection);
    SqlEngine(Connection& connection, SchemaDescription description);
    ///@}

    /// The description the queries are built from.
    SchemaDescription const& description() const { return fDescription; }
    /// Builds the query's statement, keeps it as the last query, runs it.
    QueryResult run(QuerySpec const& spec);
    ///@{
    /// The statement text of the last query built, and its parameters.
    std::string const& lastQuery() const { return fLast.text; }
    std::vector<Value> const& lastParameters() const { return fLast.parameters; }
    ///@}

private:
    Connection& fConnection;
    SchemaDescription fDescription;
    QueryBuilder fBuilder;
    SqlQuery fLast;
};

}  // namespace sqlcube
