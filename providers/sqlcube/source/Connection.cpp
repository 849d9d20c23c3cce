#include <sqlcube/Connection.h>

#include <charconv>
#include <cstdlib>

namespace sqlcube {

namespace {

class SqliteDialect final : public Dialect {
public:
    char const* name() const override { return "SQLite"; }
    std::string placeholder(std::size_t) const override { return "?"; }
    bool hasGroupingSets() const override { return false; }
    char const* integerType() const override { return "INTEGER"; }
};

class PostgresDialect final : public Dialect {
public:
    char const* name() const override { return "PostgreSQL"; }
    std::string placeholder(std::size_t n) const override { return "$" + std::to_string(n); }
    bool hasGroupingSets() const override { return true; }
    char const* integerType() const override { return "BIGINT"; }
};

}  // namespace

std::string toText(Value const& value) {
    if (auto const* integer = std::get_if<std::int64_t>(&value)) {
        return std::to_string(*integer);
    }
    if (auto const* real = std::get_if<double>(&value)) {
        // The shortest text that reads back as the same double: a level value 0.1 names its
        // member "0.1", and the text still selects the value exactly.
        char text[32];
        auto const end = std::to_chars(text, text + sizeof text, *real).ptr;
        return std::string(text, end);
    }
    if (auto const* text = std::get_if<std::string>(&value)) {
        return *text;
    }
    return {};
}

std::string Dialect::quote(std::string_view identifier) const {
    std::string quoted = "\"";
    for (char c : identifier) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted += '"';
}

std::string Dialect::limit(std::string_view count) const {
    return "LIMIT " + std::string(count);
}

Dialect const& sqliteDialect() {
    static SqliteDialect const kDialect;
    return kDialect;
}

Dialect const& postgresDialect() {
    static PostgresDialect const kDialect;
    return kDialect;
}

Rows::Rows(std::vector<std::string> columns, std::vector<Value> cells)
    : fColumns(std::move(columns)), fCells(std::move(cells)) {}

Value const& Rows::at(std::size_t row, std::size_t column) const {
    return fCells.at(row * fColumns.size() + column);
}

bool Rows::isNull(std::size_t row, std::size_t column) const {
    return std::holds_alternative<std::monostate>(at(row, column));
}

std::string Rows::text(std::size_t row, std::size_t column) const {
    return toText(at(row, column));
}

std::int64_t Rows::integer(std::size_t row, std::size_t column) const {
    Value const& value = at(row, column);
    if (auto const* integer = std::get_if<std::int64_t>(&value)) {
        return *integer;
    }
    if (auto const* real = std::get_if<double>(&value)) {
        return static_cast<std::int64_t>(*real);
    }
    if (auto const* text = std::get_if<std::string>(&value)) {
        std::int64_t result = 0;
        std::from_chars(text->data(), text->data() + text->size(), result);
        return result;
    }
    return 0;
}

double Rows::real(std::size_t row, std::size_t column) const {
    Value const& value = at(row, column);
    if (auto const* integer = std::get_if<std::int64_t>(&value)) {
        return static_cast<double>(*integer);
    }
    if (auto const* real = std::get_if<double>(&value)) {
        return *real;
    }
    if (auto const* text = std::get_if<std::string>(&value)) {
        return std::strtod(text->c_str(), nullptr);
    }
    return 0;
}

Transaction::Transaction(Connection& connection) : fConnection(connection) {
    fConnection.execute("BEGIN");
}

Transaction::~Transaction() {
    if (fOpen) {
        try {
            fConnection.execute("ROLLBACK");
        } catch (...) {
            // A lost connection has rolled the transaction back already.
        }
    }
}

void Transaction::commit() {
    fConnection.execute("COMMIT");
    fOpen = false;
}

}  // namespace sqlcube
