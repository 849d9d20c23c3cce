// The PostgreSQL backend over libpq: parameters and results in text form, bulk rows by COPY.
#include <sqlcube/Connection.h>
#include <sqlcube/Errors.h>

#include <libpq-fe.h>

#include <cstring>
#include <mutex>

namespace sqlcube {

namespace {

struct ResultDeleter {
    void operator()(PGresult* result) const { PQclear(result); }
};
using ResultHandle = std::unique_ptr<PGresult, ResultDeleter>;

struct ConnectionDeleter {
    void operator()(PGconn* connection) const { PQfinish(connection); }
};

struct CancelDeleter {
    void operator()(PGcancel* cancel) const { PQfreeCancel(cancel); }
};

// Type OIDs of the built-in types a cube query returns.
enum : Oid {
    kBool = 16,
    kInt8 = 20,
    kInt2 = 21,
    kInt4 = 23,
    kOid = 26,
    kFloat4 = 700,
    kFloat8 = 701,
    kNumeric = 1700
};

std::string trimmed(char const* message) {
    std::string text = message != nullptr ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

// Raises the error a failed call stands for: a broken connection, a cancellation or a refusal.
[[noreturn]] void raise_failure(PGconn* connection, PGresult const* result) {
    char const* state = result != nullptr ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    std::string const code = state != nullptr ? state : "";
    std::string const message =
        trimmed(result != nullptr ? PQresultErrorMessage(result) : PQerrorMessage(connection));
    if (PQstatus(connection) == CONNECTION_BAD || code.starts_with("08") ||
        code.starts_with("57P")) {
        raise(kConnectionLost, message.empty() ? trimmed(PQerrorMessage(connection)) : message);
    }
    if (code == "57014") {
        raise(kQueryCancelled);
    }
    raise(kStatementRefused, message);
}

void check(PGconn* connection, ResultHandle const& result) {
    if (result == nullptr) {
        raise_failure(connection, nullptr);
    }
    ExecStatusType const status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_COPY_IN) {
        raise_failure(connection, result.get());
    }
}

Value column_value(PGresult const* result, int row, int column) {
    if (PQgetisnull(result, row, column) != 0) {
        return std::monostate{};
    }
    char const* text = PQgetvalue(result, row, column);
    switch (PQftype(result, column)) {
        case kInt2:
        case kInt4:
        case kInt8:
        case kOid:
            return std::int64_t{std::strtoll(text, nullptr, 10)};
        case kBool:
            return std::int64_t{text[0] == 't' ? 1 : 0};
        case kFloat4:
        case kFloat8:
            return std::strtod(text, nullptr);
        case kNumeric:
            // Sums of integer columns come back as numeric: keep them exact when they are whole.
            if (std::strchr(text, '.') == nullptr && std::strchr(text, 'N') == nullptr) {
                return std::int64_t{std::strtoll(text, nullptr, 10)};
            }
            // Others stay as the server wrote them: a decimal level value names its member and
            // must select it again exactly, which a double's text would not.
            return std::string(text, static_cast<std::size_t>(PQgetlength(result, row, column)));
        default:
            return std::string(text, static_cast<std::size_t>(PQgetlength(result, row, column)));
    }
}

// COPY's text format: tab-separated, backslash escapes, \N for NULL.
void append_copy_field(std::string& line, Value const& value) {
    if (std::holds_alternative<std::monostate>(value)) {
        line += "\\N";
        return;
    }
    for (char c : toText(value)) {
        switch (c) {
            case '\\':
                line += "\\\\";
                break;
            case '\t':
                line += "\\t";
                break;
            case '\n':
                line += "\\n";
                break;
            case '\r':
                line += "\\r";
                break;
            default:
                line += c;
        }
    }
}

class PostgresInserter final : public Inserter {
public:
    PostgresInserter(PGconn* connection, std::string const& sql) : fConnection(connection) {
        ResultHandle const result(PQexec(fConnection, sql.c_str()));
        check(fConnection, result);
        fCopying = true;
    }

    ~PostgresInserter() override {
        if (fCopying) {
            // Abandoned part-way: end the COPY with an error so that nothing of it stays.
            PQputCopyEnd(fConnection, "abandoned");
            while (ResultHandle const result{PQgetResult(fConnection)}) {
            }
        }
    }

    void add(std::span<Value const> row) override {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i != 0) {
                fBuffer += '\t';
            }
            append_copy_field(fBuffer, row[i]);
        }
        fBuffer += '\n';
        if (fBuffer.size() >= kFlushSize) {
            flush();
        }
    }

    void finish() override {
        flush();
        fCopying = false;
        if (PQputCopyEnd(fConnection, nullptr) != 1) {
            raise_failure(fConnection, nullptr);
        }
        while (ResultHandle const result{PQgetResult(fConnection)}) {
            check(fConnection, result);
        }
    }

private:
    static constexpr std::size_t kFlushSize = 1 << 20;
    PGconn* fConnection;
    std::string fBuffer;
    bool fCopying = false;

    void flush() {
        if (!fBuffer.empty() &&
            PQputCopyData(fConnection, fBuffer.data(), static_cast<int>(fBuffer.size())) != 1) {
            raise_failure(fConnection, nullptr);
        }
        fBuffer.clear();
    }
};

class PostgresConnection final : public Connection {
public:
    explicit PostgresConnection(std::string const& conninfo)
        : fConnection(PQconnectdb(conninfo.c_str())) {
        if (fConnection == nullptr) {
            raise(kServerUnreachable, "out of memory");
        }
        if (PQstatus(fConnection.get()) != CONNECTION_OK) {
            raise(kServerUnreachable, trimmed(PQerrorMessage(fConnection.get())));
        }
        // Notices (such as those of DROP TABLE IF EXISTS) are not errors; keep them off stderr.
        PQsetNoticeProcessor(
            fConnection.get(), [](void*, char const*) {}, nullptr);
        fCancel.reset(PQgetCancel(fConnection.get()));
    }

    Dialect const& dialect() const override { return postgresDialect(); }

    void execute(std::string const& sql) override {
        reconnect_if_lost();
        ResultHandle const result(PQexec(fConnection.get(), sql.c_str()));
        check(fConnection.get(), result);
    }

    Rows query(std::string const& sql, std::span<Value const> parameters) override {
        reconnect_if_lost();
        std::vector<std::string> texts;
        std::vector<char const*> pointers;
        texts.reserve(parameters.size());
        for (Value const& value : parameters) {
            texts.push_back(toText(value));
            pointers.push_back(
                std::holds_alternative<std::monostate>(value) ? nullptr : texts.back().c_str());
        }
        ResultHandle const result(PQexecParams(fConnection.get(), sql.c_str(),
                                               static_cast<int>(pointers.size()), nullptr,
                                               pointers.data(), nullptr, nullptr, 0));
        check(fConnection.get(), result);
        int const rows = PQntuples(result.get());
        int const count = PQnfields(result.get());
        std::vector<std::string> columns;
        for (int c = 0; c < count; ++c) {
            columns.emplace_back(PQfname(result.get(), c));
        }
        std::vector<Value> cells;
        cells.reserve(static_cast<std::size_t>(rows) * static_cast<std::size_t>(count));
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < count; ++c) {
                cells.push_back(column_value(result.get(), r, c));
            }
        }
        return Rows(std::move(columns), std::move(cells));
    }

    std::unique_ptr<Inserter> inserter(std::string const& table,
                                       std::vector<std::string> const& columns) override {
        std::string sql = "COPY " + dialect().quote(table) + " (";
        for (std::size_t i = 0; i < columns.size(); ++i) {
            sql += (i == 0 ? "" : ", ") + dialect().quote(columns[i]);
        }
        sql += ") FROM STDIN";
        reconnect_if_lost();
        return std::make_unique<PostgresInserter>(fConnection.get(), sql);
    }

    // PQcancel is meant to be called from another thread than the one waiting for the result.
    void cancel() override {
        std::lock_guard const lock(fCancelLock);
        if (fCancel != nullptr) {
            char message[256];
            PQcancel(fCancel.get(), message, sizeof message);
        }
    }

    std::string const& path() const override { return fPath; }

private:
    std::unique_ptr<PGconn, ConnectionDeleter> fConnection;
    // Replaced on reconnection while another thread may be cancelling.
    std::mutex fCancelLock;
    std::unique_ptr<PGcancel, CancelDeleter> fCancel;  // Guarded by fCancelLock.
    std::string fPath;

    // A connection the server dropped (the error was raised then) is opened again by the next
    // statement, so that one lost session does not leave the cube unusable. The cancel object
    // names the server session, so it is renewed too.
    void reconnect_if_lost() {
        if (PQstatus(fConnection.get()) != CONNECTION_BAD) {
            return;
        }
        PQreset(fConnection.get());
        if (PQstatus(fConnection.get()) != CONNECTION_OK) {
            raise(kConnectionLost, trimmed(PQerrorMessage(fConnection.get())));
        }
        std::lock_guard const lock(fCancelLock);
        fCancel.reset(PQgetCancel(fConnection.get()));
    }
};

}  // namespace

std::unique_ptr<Connection> openPostgres(std::string const& conninfo) {
    return std::make_unique<PostgresConnection>(conninfo);
}

}  // namespace sqlcube
