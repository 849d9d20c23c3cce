#include "PostgresCluster.h"

#include <sqlcube/Connection.h>

#include <glob.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace sqlcube_testing {

namespace {

std::string command_output(char const* command) {
    std::string output;
    if (FILE* pipe = popen(command, "r")) {
        std::array<char, 256> buffer;
        while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) {
            output += buffer.data();
        }
        pclose(pipe);
    }
    while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) {
        output.pop_back();
    }
    return output;
}

// pg_config's answer, else the newest of Debian's versioned directories (initdb is not on
// PATH there).
std::string find_bin() {
    std::string bin = command_output("pg_config --bindir 2>/dev/null");
    if (!bin.empty() && std::filesystem::exists(bin + "/initdb")) {
        return bin;
    }
    glob_t found{};
    std::vector<std::string> candidates;
    if (glob("/usr/lib/postgresql/*/bin/initdb", 0, nullptr, &found) == 0) {
        for (std::size_t i = 0; i < found.gl_pathc; ++i) {
            candidates.emplace_back(std::filesystem::path(found.gl_pathv[i]).parent_path());
        }
    }
    globfree(&found);
    if (candidates.empty()) {
        throw std::runtime_error("no PostgreSQL server binaries (initdb) were found");
    }
    std::sort(candidates.begin(), candidates.end(), [](auto const& x, auto const& y) {
        return std::stoi(std::filesystem::path(x).parent_path().filename()) <
               std::stoi(std::filesystem::path(y).parent_path().filename());
    });
    return candidates.back();
}

std::string file_text(std::string const& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

PostgresCluster& PostgresCluster::instance() {
    static PostgresCluster cluster;
    return cluster;
}

PostgresCluster::PostgresCluster() : fBin(find_bin()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "pova-pg-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary directory for PostgreSQL");
    }
    fDirectory = pattern;
    if (getuid() == 0) {
        passwd const* user = getpwnam("postgres");
        if (user == nullptr || chown(fDirectory.c_str(), user->pw_uid, user->pw_gid) != 0) {
            stop();
            throw std::runtime_error("PostgreSQL cannot run as root and there is no postgres user");
        }
        fRunAs = "runuser -u postgres -- ";
    }
    std::string const initdb = "cd " + fDirectory + " && " + fRunAs + fBin + "/initdb -D " +
                               fDirectory + "/data -U postgres -A trust --no-sync -E UTF8 " +
                               "--locale=C > " + fDirectory + "/initdb.log 2>&1";
    if (std::system(initdb.c_str()) != 0) {
        std::string const log = file_text(fDirectory + "/initdb.log");
        stop();
        throw std::runtime_error("initdb failed: " + log);
    }
    std::string const start = "cd " + fDirectory + " && " + fRunAs + fBin + "/pg_ctl start -w -D " +
                              fDirectory + "/data -l " + fDirectory + "/server.log -o \"-c " +
                              "listen_addresses='' -k " + fDirectory +
                              " -c fsync=off\" > /dev/null 2>&1";
    fStarted = true;
    if (std::system(start.c_str()) != 0) {
        std::string const log = file_text(fDirectory + "/server.log");
        stop();
        throw std::runtime_error("the PostgreSQL server did not start: " + log);
    }
}

PostgresCluster::~PostgresCluster() {
    stop();
}

void PostgresCluster::stop() noexcept {
    if (fStarted) {
        std::string const command = "cd " + fDirectory + " && " + fRunAs + fBin +
                                    "/pg_ctl stop -m immediate -D " + fDirectory +
                                    "/data > /dev/null 2>&1";
        [[maybe_unused]] int const ignored = std::system(command.c_str());
        fStarted = false;
    }
    if (!fDirectory.empty()) {
        std::error_code error;
        std::filesystem::remove_all(fDirectory, error);
        fDirectory.clear();
    }
}

std::string PostgresCluster::conninfo(std::string const& database) const {
    return "host=" + fDirectory + " user=postgres dbname=" + database;
}

std::string PostgresCluster::createDatabase(std::string const& name) {
    auto const server = sqlcube::openPostgres(conninfo());
    server->execute("DROP DATABASE IF EXISTS " + server->dialect().quote(name));
    server->execute("CREATE DATABASE " + server->dialect().quote(name));
    return conninfo(name);
}

}  // namespace sqlcube_testing
