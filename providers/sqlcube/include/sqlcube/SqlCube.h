/// @file
/// SqlCube: a cube over a SQL database, for the client and any viewpoint. Its dimensions,
/// members and viewpoint logic are memcube's, built from the database's dimension tables;
/// only its cells come from SQL: each query of the cube runs one statement (SqlEngine) on the
/// connection the cube has taken over. The provider name is memcube's, the cube's name the
/// description's.
#pragma once

#include <memcube/CubeBuilder.h>
#include <memcube/MemCube.h>
#include <pova/support/Ref.h>
#include <sqlcube/Connection.h>
#include <sqlcube/SchemaDescription.h>
#include <sqlcube/sqlcube_export.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace sqlcube {

/// The members of one dimension as paths of level values, top first, one per distinct row.
using DimensionPaths = std::vector<std::vector<std::string>>;

/// The facts a sample database made on first use holds.
inline constexpr std::size_t kSampleCubeFacts = 100'000;

/// The paths of each dimension of the description, as its table holds them, in the order of
/// their smallest key: the order the table's rows give the members.
SQLCUBE_API std::vector<DimensionPaths> readMembers(Connection& connection,
                                                    SchemaDescription const& description);

/// A builder of the description's cube: its dimensions in order, each with its levels and
/// members (one DimensionPaths per dimension), then Measures with the measures and their
/// formats. No facts and no fact source: openCube adds its source; a caller may add facts.
SQLCUBE_API memcube::CubeBuilder cubeBuilder(SchemaDescription const& description,
                                             std::vector<DimensionPaths> const& members);

///@{
/// The cube of the database's own description (readDescription: from the database, else the
/// file beside it), or of the given one, checked against the database. Takes the connection
/// over; the cube uses it from then on, one query at a time.
SQLCUBE_API support::Ref<memcube::MemCube> openCube(std::unique_ptr<Connection> connection);
SQLCUBE_API support::Ref<memcube::MemCube> openCube(std::unique_ptr<Connection> connection,
                                                    SchemaDescription description);
///@}

/// The cube of a SQLite database file. With `createSample`, a missing file is made into the
/// sample database (`facts` facts) first; without, it raises kDatabaseNotOpened.
SQLCUBE_API support::Ref<memcube::MemCube> openSqliteCube(std::string const& path,
                                                          bool createSample = false,
                                                          std::size_t facts = kSampleCubeFacts);
/// The cube of a PostgreSQL database, by libpq connection string.
SQLCUBE_API support::Ref<memcube::MemCube> openPostgresCube(std::string const& conninfo);

}  // namespace sqlcube
