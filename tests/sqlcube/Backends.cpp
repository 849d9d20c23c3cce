#include "Backends.h"

#include "PostgresCluster.h"

#include <basekit/BaseError.h>
#include <sqlcube/SampleLoader.h>

#include <cstdlib>
#include <filesystem>
#include <map>

namespace sqlcube_test {

namespace {

// The process's directory of SQLite files, deleted at exit.
struct TempDirectory {
    std::string path;
    TempDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pova-sql-XXXXXX");
        path = mkdtemp(pattern.data()) != nullptr ? pattern : "";
    }
    ~TempDirectory() {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
};

std::string temp_file(std::string const& name) {
    static TempDirectory const directory;
    return directory.path + "/" + name + ".db";
}

}  // namespace

std::unique_ptr<sqlcube::Connection> freshDatabase(Kind kind, std::string const& name) {
    if (kind == Kind::kSqlite) {
        std::filesystem::remove(temp_file(name));
        return sqlcube::openSqlite(temp_file(name), true);
    }
    auto& cluster = sqlcube_testing::PostgresCluster::instance();
    return sqlcube::openPostgres(cluster.createDatabase(name));
}

sqlcube::Connection& sampleDatabase(Kind kind) {
    static std::map<Kind, std::unique_ptr<sqlcube::Connection>> databases;
    auto& connection = databases[kind];
    if (connection == nullptr) {
        auto fresh = freshDatabase(kind, "sample");
        sqlcube::createSampleDatabase(*fresh, kSampleFacts);
        connection = std::move(fresh);
    }
    return *connection;
}

std::string expectError(unsigned code, std::function<void()> const& call) {
    try {
        call();
    } catch (BaseError const& error) {
        EXPECT_EQ(error.code(), code) << error.what();
        EXPECT_EQ(error.module().string(), "SQLCUBE");
        return error.numInserts() > 0 ? error.getInsert(0).string() : std::string();
    }
    ADD_FAILURE() << "no error raised";
    return {};
}

}  // namespace sqlcube_test
