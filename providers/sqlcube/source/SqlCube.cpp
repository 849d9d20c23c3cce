#include <sqlcube/Errors.h>
#include <sqlcube/SampleLoader.h>
#include <sqlcube/SqlCube.h>

#include "SqlFactSource.h"

#include <atomic>
#include <filesystem>
#include <stdexcept>

#include <unistd.h>

namespace sqlcube {

std::vector<DimensionPaths> readMembers(Connection& connection,
                                        SchemaDescription const& description) {
    Dialect const& dialect = connection.dialect();
    std::vector<DimensionPaths> members;
    for (DimensionDescription const& dimension : description.dimensions) {
        std::string columns;
        for (LevelDescription const& level : dimension.levels) {
            columns += (columns.empty() ? "" : ", ") + dialect.quote(level.column);
        }
        // By key, so that members come in the order the table's rows give them (dates by
        // date, say), which a sort by name need not be.
        Rows const rows = connection.query(
            "SELECT " + columns + " FROM " + dialect.quote(dimension.table) + " GROUP BY " +
            columns + " ORDER BY MIN(" + dialect.quote(dimension.keyColumn) + ")");
        DimensionPaths& paths = members.emplace_back();
        paths.reserve(rows.rowCount());
        for (std::size_t r = 0; r < rows.rowCount(); ++r) {
            std::vector<std::string>& path = paths.emplace_back();
            for (std::size_t c = 0; c < rows.columnCount(); ++c) {
                // A NULL would become a member named "" that no fact's row matches.
                if (rows.isNull(r, c)) {
                    raise(kDescriptionInvalid, "column " + dimension.levels[c].column +
                                                   " of table " + dimension.table +
                                                   " holds NULL, which names no member");
                }
                path.push_back(rows.text(r, c));
            }
        }
    }
    return members;
}

memcube::CubeBuilder cubeBuilder(SchemaDescription const& description,
                                 std::vector<DimensionPaths> const& members) {
    memcube::CubeBuilder builder(description.cube);
    for (std::size_t d = 0; d < description.dimensions.size(); ++d) {
        DimensionDescription const& dimension = description.dimensions[d];
        std::vector<std::string> levels;
        for (LevelDescription const& level : dimension.levels) {
            levels.push_back(level.name);
        }
        builder.hierarchy(dimension.name, levels,
                          d < members.size() ? members[d] : DimensionPaths{});
    }
    std::vector<std::string> measures;
    for (MeasureDescription const& measure : description.measures) {
        measures.push_back(measure.name);
    }
    builder.measures(measures);
    for (MeasureDescription const& measure : description.measures) {
        builder.measureFormat(measure.name, measure.format);
    }
    return builder;
}

support::Ref<memcube::MemCube> openCube(std::unique_ptr<Connection> connection) {
    SchemaDescription description = readDescription(*connection);
    return openCube(std::move(connection), std::move(description));
}

support::Ref<memcube::MemCube> openCube(std::unique_ptr<Connection> connection,
                                        SchemaDescription description) {
    checkDescription(*connection, description);
    for (DimensionDescription const& dimension : description.dimensions) {
        for (LevelDescription const& level : dimension.levels) {
            // Queries find a level by name: a second one of that name could not be asked for.
            if (&dimension.levels[static_cast<std::size_t>(dimension.levelIndex(level.name))] !=
                &level) {
                raise(kDescriptionInvalid,
                      "two levels named " + level.name + " in dimension " + dimension.name);
            }
        }
    }
    std::vector<DimensionPaths> const members = readMembers(*connection, description);
    // The builder refuses what no cube can have (two dimensions or measures of one name, no
    // measure): a fault of the description, raised as such.
    try {
        memcube::CubeBuilder builder = cubeBuilder(description, members);
        builder.factSource(
            std::make_shared<SqlFactSource>(std::move(connection), std::move(description)));
        return builder.build();
    } catch (std::invalid_argument const& error) {
        raise(kDescriptionInvalid, error.what());
    }
}

support::Ref<memcube::MemCube> openSqliteCube(std::string const& path, bool createSample,
                                              std::size_t facts) {
    std::error_code error;
    if (createSample && !std::filesystem::exists(path, error)) {
        // Made under another name and renamed into place once whole: a run that fails or is
        // killed part-way leaves no file that the next one would take for a database.
        // Named apart for each call, so that two makings at once, even in one process, do not
        // share a file.
        static std::atomic<unsigned> calls{0};
        std::string const partial =
            path + ".partial-" + std::to_string(::getpid()) + "-" + std::to_string(calls++);
        auto remove_partial = [&partial] {
            std::error_code ignored;
            std::filesystem::remove(partial, ignored);
            std::filesystem::remove(partial + "-journal", ignored);
        };
        remove_partial();
        try {
            auto connection = openSqlite(partial, true);
            createSampleDatabase(*connection, facts);
        } catch (...) {
            remove_partial();
            throw;
        }
        std::filesystem::rename(partial, path, error);
        if (error) {
            remove_partial();
            raise(kDatabaseNotOpened, path, error.message());
        }
    }
    return openCube(openSqlite(path, false));
}

support::Ref<memcube::MemCube> openPostgresCube(std::string const& conninfo) {
    return openCube(openPostgres(conninfo));
}

}  // namespace sqlcube
