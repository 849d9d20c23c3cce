#include "CubeSource.h"

#include "ClientError.h"

#include <memcube/SalesCube.h>
#include <sqlcube/SqlCube.h>

namespace pova_tool {

namespace {

void refuse_option(bool given, std::string const& provider, char const* option) {
    if (given) {
        throw UsageError("the " + provider + " provider takes no " + option,
                         "type 'pova --help' to see the options");
    }
}

}  // namespace

support::Ref<ZELT_o::Cube> openCube(CubeOptions const& options) {
    if (options.provider == "memcube") {
        // The sample cube is generated in memory: there is nothing to read or connect to.
        if (!options.database.empty() || !options.connection.empty()) {
            throw UsageError("the memcube provider takes no --database or --connection",
                             "type 'pova --help' to see the options");
        }
        return memcube::makeSalesCube();
    }
    if (options.provider == "sqlite") {
        refuse_option(!options.connection.empty(), options.provider, "--connection");
        if (options.database.empty()) {
            throw UsageError("the sqlite provider needs --database FILE",
                             "type 'pova --help' to see the options");
        }
        // A missing file becomes the sample database, so that a first run has data to show.
        return sqlcube::openSqliteCube(options.database, true);
    }
    if (options.provider == "postgres") {
        refuse_option(!options.database.empty(), options.provider, "--database");
        if (options.connection.empty()) {
            throw UsageError("the postgres provider needs --connection TEXT",
                             "type 'pova --help' to see the options");
        }
        return sqlcube::openPostgresCube(options.connection);
    }
    throw UsageError(
        "unknown provider '" + options.provider + "': the providers are memcube, sqlite, postgres",
        "type 'pova --help' to see the options");
}

}  // namespace pova_tool
