// SqlFactSource: the cells of a memcube cube computed by SQL. A layout becomes one QuerySpec
// (its members as MemberRef paths), run by SqlEngine; each result row goes back to the cells of
// every position whose member it is.
#pragma once

#include <memcube/FactSource.h>
#include <sqlcube/Connection.h>
#include <sqlcube/SqlEngine.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace sqlcube {

class SqlFactSource final : public memcube::FactSource {
public:
    SqlFactSource(std::unique_ptr<Connection> connection, SchemaDescription description);

    void aggregate(memcube::MemCube const& cube, memcube::Layout const& layout,
                   memcube::CellSink& sink) override;
    // The narrowing's test becomes a HAVING (each comparison widened a little, since the
    // database's arithmetic may round otherwise than the cube's), its order an ORDER BY and a
    // LIMIT. Tests it cannot write (NOT, <>, a comparison of two measures) leave it unused.
    bool aggregateNarrowed(memcube::MemCube const& cube, memcube::Layout const& layout,
                           memcube::CellSink& sink, memcube::Narrowing const& narrowing) override;
    std::string lastQuery() const override;
    // Interrupts the aggregates begun before the call: the running statement, and the
    // statements of those still waiting for the connection, which then do not start.
    void cancel() override;

private:
    // The cells of the layout, its one query axis changed by `shape` when given.
    void run(memcube::MemCube const& cube, memcube::Layout const& layout, memcube::CellSink& sink,
             std::function<void(QueryAxis&)> const& shape);

    std::unique_ptr<Connection> fConnection;
    // The connection serves one thread at a time: aggregates wait for each other.
    std::mutex fRunning;
    // Counts cancel() calls; an aggregate that sees it change before its statement starts
    // raises kQueryCancelled. Taken with the check, so that a cancel either comes before the
    // check or finds the statement started.
    std::mutex fCancelMutex;
    std::uint64_t fCancels = 0;  // Guarded by fCancelMutex.
    SqlEngine fEngine;
    mutable std::mutex fLastMutex;
    std::string fLastQuery;
};

}  // namespace sqlcube
