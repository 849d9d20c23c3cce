/// @class memcube::FactSource
/// Where a cube's cells come from when its facts live elsewhere (a database, say): the cube
/// keeps its dimensions, members and viewpoint logic, and asks the source for the sums a
/// layout needs instead of scanning facts of its own.
#pragma once

#include <memcube/Layout.h>
#include <memcube/memcube_export.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace memcube {

class MemCube;

/// Receives the non-empty cells of a layout.
class CellSink {
public:
    virtual ~CellSink() = default;
    /// The value of one cell, numbered as Layout documents: axis 0 varies fastest and, within
    /// an axis, the innermost nest. Each cell is given at most once.
    virtual void add(std::int64_t cell, double value) = 0;
};

/// A test of one tuple's measure values, in postfix order: numbers and measures are pushed,
/// operators take their operands from the stack and push their result (0 is false). An empty
/// value counts as 0.
struct MeasureTest {
    /// What a step does.
    enum class Op {
        kNumber,       ///< Pushes `number`.
        kMeasure,      ///< Pushes the tuple's value of measure `measure` (its place on axis 1).
        kNegate,       ///< Negates the top.
        kNot,          ///< 1 for 0, else 0.
        kAnd,          ///< Both operands non-zero.
        kOr,           ///< Either operand non-zero.
        kEqual,        ///< a = b
        kNotEqual,     ///< a <> b
        kLess,         ///< a < b
        kLessEqual,    ///< a <= b
        kGreater,      ///< a > b
        kGreaterEqual  ///< a >= b
    };
    /// One step of the test.
    struct Step {
        Op op = Op::kNumber;      ///< What it does.
        double number = 0;        ///< kNumber: the number pushed.
        std::size_t measure = 0;  ///< kMeasure: the measure's place on axis 1.
    };
    std::vector<Step> steps;  ///< No steps: every tuple passes.
};

/// What a source may leave out of the cells of a layout that holds tuples on axis 0 and
/// measures on axis 1: the tuples whose measures fail `test` and then, with `order`, all but
/// the first `keep` tuples by one measure. It may keep more than that; the cube tests and
/// ranks the tuples it is given again.
struct Narrowing {
    /// The order of the tuples kept.
    struct Order {
        std::size_t measure = 0;  ///< The measure's place on axis 1.
        bool descending = true;   ///< Largest first.
        std::size_t keep = 0;     ///< How many tuples to keep.
    };
    MeasureTest test;            ///< The test every tuple kept passes.
    std::optional<Order> order;  ///< None: every tuple that passes.
};

class MEMCUBE_API FactSource {
public:
    virtual ~FactSource() = default;
    FactSource(FactSource const&) = delete;
    FactSource& operator=(FactSource const&) = delete;
    /// Adds every non-empty cell of the layout's cross join into the sink. The layout is
    /// valid (checked by the cube) and its members are the cube's. Failures are thrown as the
    /// source's own errors; the cube stays usable.
    virtual void aggregate(MemCube const& cube, Layout const& layout, CellSink& sink) = 0;
    /// As aggregate, leaving out what `narrowing` allows when the source can (on a database,
    /// the test becomes a HAVING, the order an ORDER BY and a LIMIT). Returns whether it did;
    /// when it returns false, every non-empty cell was added. By default, aggregate.
    virtual bool aggregateNarrowed(MemCube const& cube, Layout const& layout, CellSink& sink,
                                   Narrowing const& narrowing);
    /// The text of the last statement aggregate ran, or "".
    virtual std::string lastQuery() const { return {}; }
    /// Interrupts the aggregates running on other threads, which then throw; a source may also
    /// stop those begun but not yet at their statement. Does nothing when none runs. A result
    /// set's chunk request calls it when its handler is cancelled. The source lives as long as
    /// the cubes that share it, so the calling thread holds a reference to one of them.
    virtual void cancel() {}

protected:
    FactSource() = default;
};

}  // namespace memcube
