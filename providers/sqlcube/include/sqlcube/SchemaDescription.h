/// @file
/// SchemaDescription: how a star schema of a database makes a cube. The cube's name; per
/// dimension its table, key column and levels (top first, each with its column); the fact table
/// with one key column per dimension and its measures. Kept as XML in a one-row table
/// pova_cube(description TEXT) of the database or in a file FILE.cube.xml beside it.
#pragma once

#include <sqlcube/sqlcube_export.h>

#include <string>
#include <vector>

namespace sqlcube {

class Connection;

/// A level of a dimension and the column of the dimension table holding its members' names.
struct LevelDescription {
    std::string name;    ///< The level's name.
    std::string column;  ///< Its column in the dimension table.
    /// Equal when every field is.
    bool operator==(LevelDescription const&) const = default;
};

/// A dimension: its table, key column and levels, and the fact table's column of its key.
struct DimensionDescription {
    std::string name;                      ///< The dimension's name.
    std::string table;                     ///< The dimension table.
    std::string keyColumn;                 ///< The dimension table's key column.
    std::vector<LevelDescription> levels;  ///< Top first.
    std::string factKeyColumn;             ///< The fact table's column holding the key.

    /// The level's depth (0 for the top level), or -1.
    int levelIndex(std::string const& level) const;
    /// Equal when every field is.
    bool operator==(DimensionDescription const&) const = default;
};

/// A measure: the fact table's column it sums and how its cells are shown.
struct MeasureDescription {
    std::string name;               ///< The measure's name.
    std::string column;             ///< Its column in the fact table.
    std::string format;             ///< The number format of its cells.
    std::string aggregate = "SUM";  ///< The only aggregate so far.
    /// The column holds the value times 10^scale, as an integer: revenue in cents has scale 2,
    /// so that sums are exact to the cent.
    int scale = 0;
    /// Equal when every field is.
    bool operator==(MeasureDescription const&) const = default;
};

/// How a star schema makes a cube; see the file's description.
struct SQLCUBE_API SchemaDescription {
    std::string cube;                              ///< The cube's name.
    std::string factTable;                         ///< The fact table.
    std::vector<DimensionDescription> dimensions;  ///< The dimensions, in the cube's order.
    std::vector<MeasureDescription> measures;      ///< The measures, in the cube's order.

    ///@{
    /// Index into dimensions/measures, or -1.
    int dimensionIndex(std::string const& name) const;
    int measureIndex(std::string const& name) const;
    ///@}

    /// The description as XML, as stored in the database or a description file.
    std::string toXml() const;
    /// Raises kDescriptionInvalid for malformed XML or a missing name, table or column.
    static SchemaDescription fromXml(std::string const& xml);
    /// Equal when every field is.
    bool operator==(SchemaDescription const&) const = default;
};

/// The sample star schema's description (from starschema), revenue stored in cents.
SQLCUBE_API SchemaDescription describeSample();

/// The description file of a database file: "PATH.cube.xml".
SQLCUBE_API std::string descriptionFile(std::string const& databasePath);
/// Stores the description in the database's pova_cube table (made if missing) in place of the
/// one there.
SQLCUBE_API void storeDescription(Connection& connection, SchemaDescription const& description);
/// Writes the description's XML to the file at `path`, in place of any there.
SQLCUBE_API void writeDescriptionFile(std::string const& path,
                                      SchemaDescription const& description);
/// The description in the database's pova_cube table, else in the file beside the database;
/// raises kDescriptionMissing when neither has one. The description is checked (below).
SQLCUBE_API SchemaDescription readDescription(Connection& connection);
/// Raises kTableMissing or kColumnMissing for the first table or column of the description
/// that the database lacks.
SQLCUBE_API void checkDescription(Connection& connection, SchemaDescription const& description);

}  // namespace sqlcube
