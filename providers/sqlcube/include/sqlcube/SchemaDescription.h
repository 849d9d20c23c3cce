// SchemaDescription: how a star schema of a database makes a cube. The cube's name; per
// dimension its table, key column and levels (top first, each with its column); the fact table
// with one key column per dimension and its measures. Kept as XML in a one-row table
// pova_cube(description TEXT) of the database or in a file FILE.cube.xml beside it.
#pragma once

#include <sqlcube/sqlcube_export.h>

#include <string>
#include <vector>

namespace sqlcube {

class Connection;

struct LevelDescription {
    std::string name;
    std::string column;
    bool operator==(LevelDescription const&) const = default;
};

struct DimensionDescription {
    std::string name;
    std::string table;
    std::string keyColumn;
    std::vector<LevelDescription> levels;  // Top first.
    std::string factKeyColumn;             // The fact table's column holding the key.

    // The level's depth (0 for the top level), or -1.
    int levelIndex(std::string const& level) const;
    bool operator==(DimensionDescription const&) const = default;
};

struct MeasureDescription {
    std::string name;
    std::string column;
    std::string format;             // The number format of its cells.
    std::string aggregate = "SUM";  // The only aggregate so far.
    // The column holds the value times 10^scale, as an integer: revenue in cents has scale 2,
    // so that sums are exact to the cent.
    int scale = 0;
    bool operator==(MeasureDescription const&) const = default;
};

struct SQLCUBE_API SchemaDescription {
    std::string cube;
    std::string factTable;
    std::vector<DimensionDescription> dimensions;
    std::vector<MeasureDescription> measures;

    // Index into dimensions/measures, or -1.
    int dimensionIndex(std::string const& name) const;
    int measureIndex(std::string const& name) const;

    std::string toXml() const;
    // Raises kDescriptionInvalid for malformed XML or a missing name, table or column.
    static SchemaDescription fromXml(std::string const& xml);
    bool operator==(SchemaDescription const&) const = default;
};

// The sample star schema's description (from starschema), revenue stored in cents.
SQLCUBE_API SchemaDescription describeSample();

// The description file of a database file: "PATH.cube.xml".
SQLCUBE_API std::string descriptionFile(std::string const& databasePath);
// Stores the description in the database's pova_cube table (made if missing) in place of the
// one there.
SQLCUBE_API void storeDescription(Connection& connection, SchemaDescription const& description);
SQLCUBE_API void writeDescriptionFile(std::string const& path,
                                      SchemaDescription const& description);
// The description in the database's pova_cube table, else in the file beside the database;
// raises kDescriptionMissing when neither has one. The description is checked (below).
SQLCUBE_API SchemaDescription readDescription(Connection& connection);
// Raises kTableMissing or kColumnMissing for the first table or column of the description
// that the database lacks.
SQLCUBE_API void checkDescription(Connection& connection, SchemaDescription const& description);

}  // namespace sqlcube
