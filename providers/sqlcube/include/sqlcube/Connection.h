/// @file
/// Connection: one session with a SQL database, SQLite (embedded) or PostgreSQL (a server),
/// behind the Dialect that says how statements are spelled for it.
///
/// Every value a user can influence travels as a bound parameter; only identifiers from a cube
/// description are written into statement text, quoted by the dialect. A connection is used by
/// one thread at a time, except cancel(), which any thread may call while a statement runs.
/// Failures raise the BaseErrors of Errors.h.
#pragma once

#include <sqlcube/sqlcube_export.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace sqlcube {

/// A parameter or result value: NULL, an integer, a double or UTF-8 text.
using Value = std::variant<std::monostate, std::int64_t, double, std::string>;

/// A value's text: integers and doubles in the C locale (a double in the shortest text that
/// reads back as it), NULL as the empty string.
SQLCUBE_API std::string toText(Value const& value);

/// How statements are spelled for one database engine: quoting, placeholders, limits and
/// column types.
class SQLCUBE_API Dialect {
public:
    virtual ~Dialect() = default;
    /// The engine's name: "SQLite" or "PostgreSQL".
    virtual char const* name() const = 0;
    /// A double-quoted identifier, its double quotes doubled.
    std::string quote(std::string_view identifier) const;
    /// The placeholder of the n-th parameter, counting from 1.
    virtual std::string placeholder(std::size_t n) const = 0;
    /// The clause that keeps the first rows; `count` is a placeholder or a number.
    std::string limit(std::string_view count) const;
    /// Whether GROUP BY accepts GROUPING SETS.
    virtual bool hasGroupingSets() const = 0;
    /// The column type that holds 64-bit integers exactly.
    virtual char const* integerType() const = 0;
};

///@{
/// The process-wide dialect of SQLite, of PostgreSQL.
SQLCUBE_API Dialect const& sqliteDialect();
SQLCUBE_API Dialect const& postgresDialect();
///@}

/// The rows of a result, all read: a statement returns once its last row has arrived.
class SQLCUBE_API Rows {
public:
    /// No columns and no rows.
    Rows() = default;
    /// The named columns and their cells, row after row.
    Rows(std::vector<std::string> columns, std::vector<Value> cells);

    /// The number of columns.
    std::size_t columnCount() const { return fColumns.size(); }
    /// The number of rows.
    std::size_t rowCount() const { return fColumns.empty() ? 0 : fCells.size() / fColumns.size(); }
    /// The column's name as the statement gave it.
    std::string const& columnName(std::size_t column) const { return fColumns[column]; }
    /// The value in that row and column.
    Value const& at(std::size_t row, std::size_t column) const;
    /// Whether the value in that row and column is NULL.
    bool isNull(std::size_t row, std::size_t column) const;
    /// The value's text (see toText).
    std::string text(std::size_t row, std::size_t column) const;
    ///@{
    /// An integer or a double converted; 0 for NULL; text is parsed.
    std::int64_t integer(std::size_t row, std::size_t column) const;
    double real(std::size_t row, std::size_t column) const;
    ///@}

private:
    std::vector<std::string> fColumns;
    std::vector<Value> fCells;  ///< Row after row.
};

/// Adds rows to one table within the connection's open transaction: a prepared insert on
/// SQLite, COPY on PostgreSQL. finish() must be called for the rows to be sent.
class SQLCUBE_API Inserter {
public:
    virtual ~Inserter() = default;
    Inserter(Inserter const&) = delete;
    Inserter& operator=(Inserter const&) = delete;
    /// One value per column, in the order given when the inserter was made.
    virtual void add(std::span<Value const> row) = 0;
    /// Sends the rows not sent yet and ends the insert; add() may not be called after it.
    virtual void finish() = 0;

protected:
    /// Made by Connection::inserter.
    Inserter() = default;
};

/// One session with a database; see the file's description.
class SQLCUBE_API Connection {
public:
    virtual ~Connection() = default;
    Connection(Connection const&) = delete;
    Connection& operator=(Connection const&) = delete;

    /// How statements are spelled for this database.
    virtual Dialect const& dialect() const = 0;
    /// Runs statements that return no rows (several may be separated by semicolons).
    virtual void execute(std::string const& sql) = 0;
    /// Runs one statement with its parameters bound to the dialect's placeholders.
    virtual Rows query(std::string const& sql, std::span<Value const> parameters = {}) = 0;
    /// An inserter of rows into `table`, one value per column of `columns`, in that order.
    virtual std::unique_ptr<Inserter> inserter(std::string const& table,
                                               std::vector<std::string> const& columns) = 0;
    /// Interrupts the statement running on another thread, which then raises
    /// kQueryCancelled; does nothing when none runs.
    virtual void cancel() = 0;
    /// The database file beside which a description file is looked for; empty for a server.
    virtual std::string const& path() const = 0;

protected:
    /// Made by openSqlite or openPostgres.
    Connection() = default;
};

/// Opens a SQLite database file; a missing file raises kDatabaseNotOpened unless `create`.
SQLCUBE_API std::unique_ptr<Connection> openSqlite(std::string const& path, bool create = false);
/// Connects to a PostgreSQL server with a libpq connection string ("host=/tmp dbname=x").
SQLCUBE_API std::unique_ptr<Connection> openPostgres(std::string const& conninfo);

/// Begins a transaction and rolls it back on destruction unless committed.
class SQLCUBE_API Transaction {
public:
    /// Begins a transaction on the connection, which must outlive it.
    explicit Transaction(Connection& connection);
    /// Rolls the transaction back unless it was committed.
    ~Transaction();
    Transaction(Transaction const&) = delete;
    Transaction& operator=(Transaction const&) = delete;
    /// Commits the transaction; destruction then leaves it alone.
    void commit();

private:
    Connection& fConnection;
    bool fOpen = true;
};

}  // namespace sqlcube
