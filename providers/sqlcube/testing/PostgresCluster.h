// PostgresCluster: a throwaway PostgreSQL server for the tests and benchmarks, one per process:
// initdb in a fresh temporary directory, started with its socket there and no TCP, stopped and
// deleted when the process ends. As root, the server runs as the "postgres" user, since
// PostgreSQL refuses to run as root.
#pragma once

#include <string>

namespace sqlcube_testing {

class PostgresCluster {
public:
    // The process's cluster, started on first use; throws std::runtime_error (with the
    // server's log) when it cannot be started.
    static PostgresCluster& instance();
    ~PostgresCluster();
    PostgresCluster(PostgresCluster const&) = delete;
    PostgresCluster& operator=(PostgresCluster const&) = delete;

    // The libpq connection string of a database of the cluster.
    std::string conninfo(std::string const& database = "postgres") const;
    // Creates an empty database (dropping one of that name) and returns its connection string.
    std::string createDatabase(std::string const& name);

private:
    PostgresCluster();
    std::string fDirectory;  // Holds the data directory, the socket and the logs.
    std::string fBin;
    std::string fRunAs;  // The command prefix that runs a program as the server's user.
    bool fStarted = false;

    void stop() noexcept;
};

}  // namespace sqlcube_testing
