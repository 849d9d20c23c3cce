/// @file
/// The errors sqlcube raises: BaseErrors of module "SQLCUBE", each with the catalog text of its
/// code and, as inserts, the names involved and the database driver's own message.
#pragma once

#include <sqlcube/sqlcube_export.h>

#include <string>

class BaseError;

namespace sqlcube {

/// The module of every error sqlcube raises.
inline constexpr char const kModule[] = "SQLCUBE";

/// The codes of sqlcube's errors; the inserts each carries are in parentheses.
enum ErrorCode : unsigned {
    /// The database file is missing or cannot be opened (path, driver message).
    kDatabaseNotOpened = 0xC201C200u,
    /// The server cannot be reached (driver message).
    kServerUnreachable = 0xC201C201u,
    /// The server connection broke during a call (driver message).
    kConnectionLost = 0xC201C202u,
    /// The database refused a statement (driver message, statement).
    kStatementRefused = 0xC201C203u,
    /// Connection::cancel interrupted the running statement.
    kQueryCancelled = 0xC201C204u,
    /// The schema description names a table the database lacks (table, driver message).
    kTableMissing = 0xC201C205u,
    /// The schema description names a column its table lacks (column, table).
    kColumnMissing = 0xC201C206u,
    /// Neither the database nor a file beside it holds a description (where looked).
    kDescriptionMissing = 0xC201C207u,
    /// The description's XML is malformed or incomplete (what is wrong).
    kDescriptionInvalid = 0xC201C208u,
    /// A query names a dimension, level, member path or measure the description lacks.
    kUnknownName = 0xC201C209u,
};

/// Throws BaseError(code, kModule) with the given inserts.
[[noreturn]] SQLCUBE_API void raise(ErrorCode code, std::string const& insert1 = {},
                                    std::string const& insert2 = {});

}  // namespace sqlcube
