#include "CubeSource.h"

#include "ClientError.h"

#include <memcube/SalesCube.h>

namespace pova_tool {

support::Ref<ZELT_o::Cube> openCube(CubeOptions const& options) {
    if (options.provider == "memcube") {
        // The sample cube is generated in memory: there is nothing to read or connect to.
        if (!options.database.empty() || !options.connection.empty()) {
            throw UsageError("the memcube provider takes no --database or --connection",
                             "type 'pova --help' to see the options");
        }
        return memcube::makeSalesCube();
    }
    throw UsageError("unknown provider '" + options.provider + "': the providers are memcube",
                     "type 'pova --help' to see the options");
}

}  // namespace pova_tool
