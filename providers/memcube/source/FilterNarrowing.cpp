#include "FilterNarrowing.h"

#include <pova/Expression.h>

#include <algorithm>

namespace memcube {

namespace {

using ZELT_o::Expression;

// The number of measures a condition reads: one past the highest slot.
std::size_t narrowing_measures(Condition const& condition) {
    std::size_t count = 0;
    for (Step const& step : condition) {
        if (step.op == Step::kMeasure) {
            count = std::max(count, step.slot + 1);
        }
    }
    return count;
}

// A filter's conditions as a source's measure test, when they read only measures and numbers.
bool to_measure_test(Condition const& condition, MeasureTest& test) {
    using Op = MeasureTest::Op;
    for (Step const& step : condition) {
        switch (step.op) {
            case Step::kPush:
                test.steps.push_back({Op::kNumber, step.number, 0});
                break;
            case Step::kMeasure:
                test.steps.push_back({Op::kMeasure, 0, step.slot});
                break;
            case Step::kNot:
                test.steps.push_back({Op::kNot});
                break;
            case Step::kNegate:
                test.steps.push_back({Op::kNegate});
                break;
            case Step::kAnd:
                test.steps.push_back({Op::kAnd});
                break;
            case Step::kOr:
                test.steps.push_back({Op::kOr});
                break;
            case Step::kCompare: {
                Op const op = step.kind == Expression::kEqual       ? Op::kEqual
                              : step.kind == Expression::kNotEqual  ? Op::kNotEqual
                              : step.kind == Expression::kLess      ? Op::kLess
                              : step.kind == Expression::kLessEqual ? Op::kLessEqual
                              : step.kind == Expression::kGreater   ? Op::kGreater
                                                                    : Op::kGreaterEqual;
                test.steps.push_back({op});
                break;
            }
            case Step::kIsMember:
            case Step::kIsAncestor:
                return false;
        }
    }
    return true;
}

}  // namespace

// A source may leave out the combinations that fail the filter's conditions only when an empty
// combination fails them too, for it reads as empty then. It may rank too when the filter ranks
// last, by one measure, the members of one dimension that it tests all of: then it ranks
// exactly the combinations the filter ranks.
std::optional<Narrowing> narrowingOf(std::vector<Test> const& tests, bool oneWholeDimension) {
    Narrowing narrowing;
    bool emptyFails = false;
    std::vector<double> stack;
    for (std::size_t i = 0; i < tests.size(); ++i) {
        if (auto const* condition = std::get_if<Condition>(&tests[i])) {
            bool const first = narrowing.test.steps.empty();
            if (!to_measure_test(*condition, narrowing.test)) {
                return std::nullopt;
            }
            if (!first) {
                narrowing.test.steps.push_back({MeasureTest::Op::kAnd});
            }
            // Without member tests, a condition reads no tuple; an empty one reads zeros.
            emptyFails = emptyFails ||
                         evaluate(*condition, stack, {},
                                  std::vector<double>(narrowing_measures(*condition), 0.0)) == 0;
            continue;
        }
        Rank const& rank = std::get<Rank>(tests[i]);
        bool const negated = rank.value.size() == 2 && rank.value[1].op == Step::kNegate;
        if (i + 1 != tests.size() || !oneWholeDimension || rank.value.empty() ||
            rank.value.front().op != Step::kMeasure || (rank.value.size() != 1 && !negated)) {
            return std::nullopt;
        }
        narrowing.order =
            Narrowing::Order{rank.value.front().slot, rank.top != negated, rank.count + 1};
    }
    if (!narrowing.test.steps.empty() && !emptyFails) {
        return std::nullopt;
    }
    if (narrowing.test.steps.empty() && !narrowing.order) {
        return std::nullopt;
    }
    return narrowing;
}

// Every combination the source gave must have survived; when it gave as many as it may, the
// last one kept must rank strictly before the first one dropped and before an empty
// combination (which is how every combination the source dropped reads), unless conditions
// exclude those.
bool ranksSettled(std::vector<std::pair<std::size_t, double>> const& ranked, Rank const& rank,
                  Narrowing::Order const& order, std::size_t given, std::size_t givenRanked,
                  bool conditions) {
    if (given != givenRanked) {
        return false;
    }
    if (rank.count == 0 || given < order.keep) {
        return true;
    }
    auto const before = [&rank](double a, double b) { return rank.top ? a > b : a < b; };
    double const last = ranked[rank.count - 1].second;
    return before(last, ranked[rank.count].second) && (conditions || before(last, 0.0));
}

}  // namespace memcube
