// The SQLite backend: one sqlite3 handle, statements prepared per call.
#include <sqlcube/Connection.h>
#include <sqlcube/Errors.h>

#include <sqlite3.h>

namespace sqlcube {

namespace {

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

struct DatabaseDeleter {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};

[[noreturn]] void raise_failure(sqlite3* db, int result) {
    if (result == SQLITE_INTERRUPT) {
        raise(kQueryCancelled);
    }
    // Found only on first use: the file is not a database, which is no fault of a statement.
    if (result == SQLITE_NOTADB) {
        raise(kDatabaseNotOpened, sqlite3_db_filename(db, "main"), sqlite3_errmsg(db));
    }
    raise(kStatementRefused, sqlite3_errmsg(db));
}

StatementHandle prepare(sqlite3* db, std::string const& sql) {
    sqlite3_stmt* statement = nullptr;
    int const result =
        sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr);
    StatementHandle handle(statement);
    if (result != SQLITE_OK) {
        raise_failure(db, result);
    }
    return handle;
}

void bind(sqlite3* db, sqlite3_stmt* statement, std::span<Value const> values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        int const index = static_cast<int>(i + 1);
        Value const& value = values[i];
        int result = SQLITE_OK;
        if (auto const* integer = std::get_if<std::int64_t>(&value)) {
            result = sqlite3_bind_int64(statement, index, *integer);
        } else if (auto const* real = std::get_if<double>(&value)) {
            result = sqlite3_bind_double(statement, index, *real);
        } else if (auto const* text = std::get_if<std::string>(&value)) {
            result = sqlite3_bind_text(statement, index, text->data(),
                                       static_cast<int>(text->size()), SQLITE_TRANSIENT);
        } else {
            result = sqlite3_bind_null(statement, index);
        }
        if (result != SQLITE_OK) {
            raise_failure(db, result);
        }
    }
}

Value column_value(sqlite3_stmt* statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
        case SQLITE_INTEGER:
            return std::int64_t{sqlite3_column_int64(statement, column)};
        case SQLITE_FLOAT:
            return sqlite3_column_double(statement, column);
        case SQLITE_NULL:
            return std::monostate{};
        default: {
            auto const* text =
                reinterpret_cast<char const*>(sqlite3_column_text(statement, column));
            return std::string(text,
                               static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
        }
    }
}

class SqliteInserter final : public Inserter {
public:
    SqliteInserter(sqlite3* db, std::string const& sql) : fDb(db), fStatement(prepare(db, sql)) {}

    void add(std::span<Value const> row) override {
        bind(fDb, fStatement.get(), row);
        int const result = sqlite3_step(fStatement.get());
        if (result != SQLITE_DONE) {
            raise_failure(fDb, result);
        }
        sqlite3_reset(fStatement.get());
    }

    void finish() override { fStatement.reset(); }

private:
    sqlite3* fDb;
    StatementHandle fStatement;
};

class SqliteConnection final : public Connection {
public:
    static constexpr int kBusyMilliseconds = 10'000;

    SqliteConnection(std::string path, bool create) : fPath(std::move(path)) {
        sqlite3* db = nullptr;
        int const flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
        int const result = sqlite3_open_v2(fPath.c_str(), &db, flags, nullptr);
        fDb.reset(db);
        if (result != SQLITE_OK) {
            raise(kDatabaseNotOpened, fPath, db != nullptr ? sqlite3_errmsg(db) : "out of memory");
        }
        // Another process writing the file (a second client making the sample, say) holds its
        // lock for a while: wait for it rather than fail at once.
        sqlite3_busy_timeout(fDb.get(), kBusyMilliseconds);
    }

    Dialect const& dialect() const override { return sqliteDialect(); }

    void execute(std::string const& sql) override {
        char* message = nullptr;
        int const result = sqlite3_exec(fDb.get(), sql.c_str(), nullptr, nullptr, &message);
        std::unique_ptr<char, decltype(&sqlite3_free)> const owned(message, &sqlite3_free);
        if (result != SQLITE_OK) {
            raise_failure(fDb.get(), result);
        }
    }

    Rows query(std::string const& sql, std::span<Value const> parameters) override {
        StatementHandle const statement = prepare(fDb.get(), sql);
        bind(fDb.get(), statement.get(), parameters);
        int const count = sqlite3_column_count(statement.get());
        std::vector<std::string> columns;
        for (int c = 0; c < count; ++c) {
            columns.emplace_back(sqlite3_column_name(statement.get(), c));
        }
        std::vector<Value> cells;
        int result;
        while ((result = sqlite3_step(statement.get())) == SQLITE_ROW) {
            for (int c = 0; c < count; ++c) {
                cells.push_back(column_value(statement.get(), c));
            }
        }
        if (result != SQLITE_DONE) {
            raise_failure(fDb.get(), result);
        }
        return Rows(std::move(columns), std::move(cells));
    }

    std::unique_ptr<Inserter> inserter(std::string const& table,
                                       std::vector<std::string> const& columns) override {
        std::string sql = "INSERT INTO " + dialect().quote(table) + " (";
        std::string values;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            sql += (i == 0 ? "" : ", ") + dialect().quote(columns[i]);
            values += i == 0 ? "?" : ", ?";
        }
        sql += ") VALUES (" + values + ")";
        return std::make_unique<SqliteInserter>(fDb.get(), sql);
    }

    // sqlite3_interrupt may be called from any thread while the handle is open.
    void cancel() override { sqlite3_interrupt(fDb.get()); }

    std::string const& path() const override { return fPath; }

private:
    std::string fPath;
    std::unique_ptr<sqlite3, DatabaseDeleter> fDb;
};

}  // namespace

std::unique_ptr<Connection> openSqlite(std::string const& path, bool create) {
    return std::make_unique<SqliteConnection>(path, create);
}

}  // namespace sqlcube
