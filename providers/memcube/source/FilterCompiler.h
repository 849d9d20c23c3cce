// memcube's reading of a filter's expressions: each becomes a condition over the tuples of one
// axis, in postfix order, or a rank (TopCount, BottomCount). What memcube does not evaluate is
// refused with kFilterNotEvaluated.
#pragma once

#include <basekit/WinTypes.h>

#include <cstddef>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace ZELT_o {
class Dimension;
class Filter;
class Member;
}  // namespace ZELT_o

namespace memcube {

class MemCube;

// One step of a condition in postfix order, evaluated on a stack of numbers (0 is false).
struct Step {
    enum Op { kPush, kMeasure, kCompare, kAnd, kOr, kNot, kNegate, kIsMember, kIsAncestor };
    Op op;
    double number = 0;                       // kPush
    std::size_t slot = 0;                    // kMeasure: the measure; kIs*: the tuple position
    LONG kind = 0;                           // kCompare: the comparison's node kind
    ZELT_o::Member const* member = nullptr;  // kIs*
};
using Condition = std::vector<Step>;

// `TopCount( set , n [, value] )` and `BottomCount`: a filter expression that keeps the n lines
// with the highest (lowest) values, rather than testing each line.
struct Rank {
    std::size_t count = 0;
    bool top = true;
    Condition value;  // empty: the lines' own order
};

// One expression of a filter: a condition every line must meet, or a rank.
using Test = std::variant<Condition, Rank>;

// Raises kFilterNotEvaluated for the filter (inserts: its name and the reason).
[[noreturn]] void refuseFilter(ZELT_o::Filter const& filter, std::string const& reason);

// The filter's expressions as tests of the tuples of an axis that holds `onAxis`, one per
// expression; the measures they read are numbered in `measures`.
std::vector<Test> compileFilter(MemCube& cube, ZELT_o::Filter const& filter,
                                std::vector<ZELT_o::Dimension*> const& onAxis,
                                std::vector<ZELT_o::Member*>& measures);

// The condition's value (0 is false) for a tuple: its members by position on the axis, and
// the values of the measures the condition reads. `stack` is scratch space.
double evaluate(Condition const& condition, std::vector<double>& stack,
                std::span<ZELT_o::Member* const> tuple, std::vector<double> const& measures);

}  // namespace memcube
