// CubeSource: where the client's cube comes from. The global options --provider, --database
// and --connection choose it: memcube (the sample cube in memory), sqlite (--database FILE,
// made into the sample database when missing) or postgres (--connection, a libpq connection
// string). Opening it is this one function, so that a provider is added
// here without touching the rest of the client.
#pragma once

#include <pova/Cube.h>
#include <pova/support/Ref.h>

#include <string>

namespace pova_tool {

struct CubeOptions {
    std::string provider = "memcube";
    std::string database;    // --database: empty when not given.
    std::string connection;  // --connection: empty when not given.
};

// The cube the options name, one reference for the caller. A UsageError for an unknown
// provider or an option the provider does not take; library errors pass to the caller.
support::Ref<ZELT_o::Cube> openCube(CubeOptions const& options);

}  // namespace pova_tool
