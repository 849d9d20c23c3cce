// The two backends every sqlcube test runs on, with databases made for the tests: the sample
// loaded once per process (10,000 facts), and empty ones. PostgreSQL runs in the process's
// throwaway cluster.
#pragma once

#include <sqlcube/Connection.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace sqlcube_test {

enum class Kind { kSqlite, kPostgres };
inline constexpr std::size_t kSampleFacts = 10'000;

// An empty database named `name`.
std::unique_ptr<sqlcube::Connection> freshDatabase(Kind kind, std::string const& name);
// The sample database, loaded on first use; shared by the tests of the process.
sqlcube::Connection& sampleDatabase(Kind kind);

// Runs `call` and checks that it raises a BaseError with `code`; returns its first insert.
std::string expectError(unsigned code, std::function<void()> const& call);

class Backend : public ::testing::TestWithParam<Kind> {};
inline std::string backendName(::testing::TestParamInfo<Kind> const& info) {
    return info.param == Kind::kSqlite ? "sqlite" : "postgres";
}
#define SQLCUBE_ON_BOTH_BACKENDS(Suite)                                                \
    INSTANTIATE_TEST_SUITE_P(                                                          \
        Backends, Suite,                                                               \
        ::testing::Values(sqlcube_test::Kind::kSqlite, sqlcube_test::Kind::kPostgres), \
        sqlcube_test::backendName)

}  // namespace sqlcube_test
