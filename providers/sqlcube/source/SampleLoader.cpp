#include <sqlcube/Connection.h>
#include <sqlcube/SampleLoader.h>
#include <sqlcube/SchemaDescription.h>

#include <starschema/StarSchema.h>

#include <array>

namespace sqlcube {

namespace {

void create_dimension(Connection& connection, DimensionDescription const& dimension,
                      starschema::DimensionTable const& table) {
    Dialect const& dialect = connection.dialect();
    std::string sql = "CREATE TABLE " + dialect.quote(dimension.table) + " (" +
                      dialect.quote(dimension.keyColumn) + " INTEGER PRIMARY KEY";
    std::vector<std::string> columns{dimension.keyColumn};
    for (LevelDescription const& level : dimension.levels) {
        sql += ", " + dialect.quote(level.column) + " TEXT NOT NULL";
        columns.push_back(level.column);
    }
    connection.execute(sql + ")");
    auto const inserter = connection.inserter(dimension.table, columns);
    std::vector<Value> row(columns.size());
    for (std::size_t key = 0; key < table.rows.size(); ++key) {
        row[0] = static_cast<std::int64_t>(key);
        for (std::size_t l = 0; l < table.rows[key].size(); ++l) {
            row[l + 1] = table.rows[key][l];
        }
        inserter->add(row);
    }
    inserter->finish();
}

}  // namespace

void createSampleDatabase(Connection& connection, std::size_t facts) {
    SchemaDescription const description = describeSample();
    Dialect const& dialect = connection.dialect();
    Transaction transaction(connection);
    for (DimensionDescription const& dimension : description.dimensions) {
        connection.execute("DROP TABLE IF EXISTS " + dialect.quote(dimension.table));
    }
    connection.execute("DROP TABLE IF EXISTS " + dialect.quote(description.factTable));
    for (std::size_t d = 0; d < description.dimensions.size(); ++d) {
        create_dimension(connection, description.dimensions[d], starschema::dimensions()[d]);
    }
    // Revenue is stored in cents (scale 2), so that its sums are exact integers.
    std::string sql = "CREATE TABLE " + dialect.quote(description.factTable) + " (";
    std::vector<std::string> columns;
    for (DimensionDescription const& dimension : description.dimensions) {
        columns.push_back(dimension.factKeyColumn);
    }
    for (MeasureDescription const& measure : description.measures) {
        columns.push_back(measure.column);
    }
    for (std::size_t c = 0; c < columns.size(); ++c) {
        sql += (c == 0 ? "" : ", ") + dialect.quote(columns[c]) + " " + dialect.integerType() +
               " NOT NULL";
    }
    connection.execute(sql + ")");
    auto const inserter = connection.inserter(description.factTable, columns);
    std::array<Value, starschema::kDimensionCount + 2> row;
    for (std::size_t i = 0; i < facts; ++i) {
        starschema::Fact const fact = starschema::fact(i);
        for (std::size_t d = 0; d < starschema::kDimensionCount; ++d) {
            row[d] = std::int64_t{fact.keys[d]};
        }
        row[starschema::kDimensionCount] = fact.revenueCents;
        row[starschema::kDimensionCount + 1] = std::int64_t{fact.quantity};
        inserter->add(row);
    }
    inserter->finish();
    storeDescription(connection, description);
    transaction.commit();
    // Planner statistics, so that the fact table is joined by hashing where the engine can.
    connection.execute("ANALYZE");
}

}  // namespace sqlcube
