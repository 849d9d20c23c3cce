/// @file
/// Builds the sample star schema (starschema) in a database: its dimension tables, `facts`
/// rows of its fact table and the cube description, in one transaction, so that a failure
/// leaves the database as it was.
#pragma once

#include <sqlcube/sqlcube_export.h>

#include <cstddef>

namespace sqlcube {

class Connection;

/// Replaces the sample's tables (and pova_cube) if they exist.
SQLCUBE_API void createSampleDatabase(Connection& connection, std::size_t facts);

}  // namespace sqlcube
