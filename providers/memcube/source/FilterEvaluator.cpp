#include "FilterEvaluator.h"

#include "MemResultSet.h"

#include <basekit/BaseError.h>
#include <basekit/OleAuto.h>
#include <memcube/MemCube.h>
#include <pova/Dimension.h>
#include <pova/Expression.h>
#include <pova/Filter.h>
#include <pova/Hierarchy.h>
#include <pova/Level.h>
#include <pova/Member.h>
#include <pova/common/ViewpointCommon.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <variant>

namespace memcube {

namespace {

using ZELT_o::Expression;

[[noreturn]] void refuse(ZELT_o::Filter const& filter, std::string const& reason) {
    BaseError error(kFilterNotEvaluated, "memcube", 1, 0);
    error.addInsert(filter.getName());
    error.addInsert(PovaString(reason));
    throw error;
}

std::string name_of(Expression const& node) {
    OLECHAR const* name = node.getStringValue();
    return name != nullptr ? PovaString(std::u16string(name)).string() : std::string();
}

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

bool is_comparison(LONG kind) {
    return kind >= Expression::kEqual && kind <= Expression::kGreaterEqual;
}

// Turns a filter's expressions into conditions over the tuples of one axis, refusing every
// construct memcube does not evaluate. The measures they read are numbered in `measures`.
class Compiler {
public:
    Compiler(MemCube& cube, ZELT_o::Filter const& filter,
             std::vector<ZELT_o::Dimension*> const& onAxis, std::vector<ZELT_o::Member*>& measures)
        : fCube(cube), fFilter(filter), fOnAxis(onAxis), fMeasures(measures) {}

    // Without recursion: trees of any depth are safe.
    Condition compile(Expression* root) {
        Condition steps;
        std::vector<std::pair<Expression*, bool>> pending{{root, false}};
        while (!pending.empty()) {
            Expression* const node = pending.back().first;
            bool const expanded = pending.back().second;
            pending.pop_back();
            if (node == nullptr) {
                refuse(fFilter, "an operand is missing");
            }
            LONG const kind = node->getType();
            if (expanded) {
                steps.push_back(operator_step(kind));
                continue;
            }
            std::vector<Expression*> const& children = node->getExpressions();
            auto const operands = [&](std::size_t count) {
                if (children.size() != count) {
                    refuse(fFilter, "operator " + std::to_string(kind) + " has " +
                                        std::to_string(children.size()) + " operands");
                }
                pending.emplace_back(node, true);
                for (std::size_t i = count; i-- > 0;) {
                    pending.emplace_back(children[i], false);
                }
            };
            switch (kind) {
                case Expression::kNumber:
                    steps.push_back({Step::kPush, number(*node)});
                    break;
                case Expression::kBoolean:
                    steps.push_back({Step::kPush,
                                     node->getValue().vt == VT_BOOL && node->getValue().boolVal != 0
                                         ? 1.0
                                         : 0.0});
                    break;
                case Expression::kMemberName:
                    steps.push_back(measure(*node));
                    break;
                case Expression::kIs:
                    steps.push_back(membership(*node, Step::kIsMember));
                    break;
                case Expression::kIsAncestor:
                    steps.push_back(membership(*node, Step::kIsAncestor));
                    break;
                case Expression::kParenthesis:
                case Expression::kParenthesisB:
                    if (children.size() != 1) {
                        refuse(fFilter, "a parenthesis holds " + std::to_string(children.size()) +
                                            " expressions");
                    }
                    pending.emplace_back(children.front(), false);
                    break;
                case Expression::kAnd:
                case Expression::kOr:
                    operands(2);
                    break;
                case Expression::kNot:
                case Expression::kNegate:
                    operands(1);
                    break;
                default:
                    if (!is_comparison(kind)) {
                        refuse(fFilter, "expression kind " + std::to_string(kind) +
                                            " is not evaluated (comparisons of measures and "
                                            "numbers, AND, OR, NOT and membership tests are)");
                    }
                    operands(2);
            }
        }
        return steps;
    }

    // A rank, or nothing when the expression is not TopCount or BottomCount.
    std::optional<Rank> rank(Expression* root) {
        while (root != nullptr &&
               (root->getType() == Expression::kParenthesis ||
                root->getType() == Expression::kParenthesisB) &&
               root->getExpressions().size() == 1) {
            root = root->getExpressions().front();
        }
        if (root == nullptr || (root->getType() != Expression::kTopCount &&
                                root->getType() != Expression::kBottomCount)) {
            return std::nullopt;
        }
        std::vector<Expression*> const& arguments = root->getExpressions();
        if (arguments.size() < 2 || arguments.size() > 3 || arguments[0] == nullptr ||
            arguments[1] == nullptr) {
            refuse(fFilter, "TopCount and BottomCount take a set, a count and a value");
        }
        ZELT_o::Dimension* ranked = dimension(*arguments[0]);
        if (ranked == nullptr ||
            std::find(fOnAxis.begin(), fOnAxis.end(), ranked) == fOnAxis.end()) {
            refuse(fFilter, "the set ranked must be a dimension on the filtered axis");
        }
        double const count =
            arguments[1]->getType() == Expression::kNumber ? number(*arguments[1]) : -1;
        if (!(count >= 0 && count <= 1e9) ||
            count != static_cast<double>(static_cast<std::size_t>(count))) {
            refuse(fFilter, "the count of TopCount or BottomCount must be a whole number from 0");
        }
        Rank rank;
        rank.count = static_cast<std::size_t>(count);
        rank.top = root->getType() == Expression::kTopCount;
        if (arguments.size() == 3) {
            rank.value = compile(arguments[2]);
        }
        return rank;
    }

private:
    static Step operator_step(LONG kind) {
        switch (kind) {
            case Expression::kAnd:
                return {Step::kAnd};
            case Expression::kOr:
                return {Step::kOr};
            case Expression::kNot:
                return {Step::kNot};
            case Expression::kNegate:
                return {Step::kNegate};
            default:
                return {Step::kCompare, 0, 0, kind};
        }
    }

    double number(Expression& node) {
        basekit::Variant value;
        if (VariantChangeType(value.get(), &node.getValue(), 0, VT_R8) == S_OK) {
            return value->dblVal;
        }
        // A number that stood in for a parameter carries its text as its name.
        std::string const text = name_of(node);
        char* end = nullptr;
        double const parsed = std::strtod(text.c_str(), &end);
        if (text.empty() || end != text.c_str() + text.size()) {
            refuse(fFilter, "a number node holds no number");
        }
        return parsed;
    }

    ZELT_o::Member* member(Expression const& node) {
        if (node.getType() != Expression::kMemberName) {
            return nullptr;
        }
        ZELT_o::Member* found = fCube.findMember(PovaString(name_of(node)));
        if (found == nullptr) {
            refuse(fFilter, "the cube has no member " + name_of(node));
        }
        return found;
    }

    Step measure(Expression const& node) {
        ZELT_o::Member* found = member(node);
        if (!found->getDimension()->isMeasures()) {
            refuse(fFilter, name_of(node) + " is a member, not a value: test it with Is");
        }
        auto const it = std::find(fMeasures.begin(), fMeasures.end(), found);
        Step step{Step::kMeasure};
        step.slot = static_cast<std::size_t>(it - fMeasures.begin());
        if (it == fMeasures.end()) {
            fMeasures.push_back(found);
        }
        return step;
    }

    // A dimension, or the current member of one: `[Dim]` or `CurrentMember( [Dim] )`.
    ZELT_o::Dimension* dimension(Expression& node) {
        Expression* named = &node;
        if (node.getType() == Expression::kCurrentMember && node.getExpressions().size() == 1 &&
            node.getExpressions().front() != nullptr) {
            named = node.getExpressions().front();
        }
        if (named->getType() != Expression::kDimensionName) {
            return nullptr;
        }
        return fCube.findDimension(PovaString(name_of(*named)));
    }

    // `[Dim] Is [Dim].[Member]` (either way round), `IsAncestor( [Dim].[Member] , [Dim] )`.
    Step membership(Expression& node, Step::Op op) {
        std::vector<Expression*> const& children = node.getExpressions();
        if (children.size() != 2 || children[0] == nullptr || children[1] == nullptr) {
            refuse(fFilter, "a membership test needs two operands");
        }
        ZELT_o::Dimension* tested = dimension(*children[op == Step::kIsMember ? 0 : 1]);
        ZELT_o::Member* target = member(*children[op == Step::kIsMember ? 1 : 0]);
        if (op == Step::kIsMember && (tested == nullptr || target == nullptr)) {
            tested = dimension(*children[1]);
            target = member(*children[0]);
        }
        if (tested == nullptr || target == nullptr) {
            refuse(fFilter, "a membership test compares a dimension's member with a member");
        }
        auto const it = std::find(fOnAxis.begin(), fOnAxis.end(), tested);
        if (it == fOnAxis.end()) {
            refuse(fFilter, tested->getName().string() + " is not on the filtered axis");
        }
        Step step{op};
        step.slot = static_cast<std::size_t>(it - fOnAxis.begin());
        step.member = target;
        return step;
    }

    MemCube& fCube;
    ZELT_o::Filter const& fFilter;
    std::vector<ZELT_o::Dimension*> const& fOnAxis;
    std::vector<ZELT_o::Member*>& fMeasures;
};

bool is_ancestor(ZELT_o::Member const* ancestor, ZELT_o::Member const* member) {
    for (ZELT_o::Member const* up = member->getParent(); up != nullptr; up = up->getParent()) {
        if (up == ancestor) {
            return true;
        }
    }
    return false;
}

// Whether the level or hierarchy named restricts which members of the dimension are tested.
bool names_level_or_hierarchy(ZELT_o::Dimension const& dimension, PovaString const& name) {
    std::vector<ZELT_o::Hierarchy*> hierarchies;
    dimension.getHierarchies(hierarchies);
    std::vector<ZELT_o::Level*> levels;
    for (ZELT_o::Hierarchy const* hierarchy : hierarchies) {
        if (hierarchy->getUniqueName() == name) {
            return true;
        }
        hierarchy->getLevels(levels);
        for (ZELT_o::Level const* level : levels) {
            if (level->getUniqueName() == name) {
                return true;
            }
        }
    }
    return false;
}

// The tuples of one result axis, and which of them are kept.
struct AxisLines {
    MemResultSet::Axis const& axis;
    std::vector<char>& keep;

    ZELT_o::Member* member(std::size_t tuple, std::size_t position) const {
        return axis.members[tuple * static_cast<std::size_t>(axis.depth) + position];
    }
};

bool compare(LONG kind, double a, double b) {
    switch (kind) {
        case Expression::kEqual:
            return a == b;
        case Expression::kNotEqual:
            return a != b;
        case Expression::kLess:
            return a < b;
        case Expression::kLessEqual:
            return a <= b;
        case Expression::kGreater:
            return a > b;
        default:
            return a >= b;
    }
}

double run(Condition const& condition, std::vector<double>& stack, AxisLines const& lines,
           std::size_t tuple, std::vector<double> const& measures) {
    stack.clear();
    auto pop = [&stack] {
        double const value = stack.back();
        stack.pop_back();
        return value;
    };
    for (Step const& step : condition) {
        switch (step.op) {
            case Step::kPush:
                stack.push_back(step.number);
                break;
            case Step::kMeasure:
                stack.push_back(measures[step.slot]);
                break;
            case Step::kIsMember:
                stack.push_back(lines.member(tuple, step.slot) == step.member ? 1 : 0);
                break;
            case Step::kIsAncestor:
                stack.push_back(is_ancestor(step.member, lines.member(tuple, step.slot)) ? 1 : 0);
                break;
            case Step::kNot:
                stack.back() = stack.back() == 0 ? 1 : 0;
                break;
            case Step::kNegate:
                stack.back() = -stack.back();
                break;
            case Step::kAnd:
            case Step::kOr:
            case Step::kCompare: {
                double const b = pop();
                double const a = pop();
                bool const result = step.op == Step::kAnd  ? a != 0 && b != 0
                                    : step.op == Step::kOr ? a != 0 || b != 0
                                                           : compare(step.kind, a, b);
                stack.push_back(result ? 1 : 0);
                break;
            }
        }
    }
    return stack.back();
}

// The value of each measure for each combination of the filter's members: one query of the
// cube, the combinations on axis 0 and the measures on axis 1. With a narrowing, a source may
// leave out combinations (see FactSource::aggregateNarrowed).
class MeasureTable {
public:
    MeasureTable(MemCube& cube, Layout const& layout,
                 std::vector<std::vector<ZELT_o::Member*>> const& members,
                 std::vector<ZELT_o::Member*> const& measures, Narrowing const* narrowing) {
        fStrides.assign(members.size(), 1);
        for (std::size_t i = members.size(); i-- > 1;) {
            fStrides[i - 1] = fStrides[i] * members[i].size();
        }
        fCombinations = members.empty() ? 0 : fStrides.front() * members.front().size();
        if (measures.empty() || fCombinations == 0) {
            return;
        }
        Layout query;
        query.axes.resize(2);
        query.axes[0].nests = members;
        query.axes[1].nests = {measures};
        for (ZELT_o::Member* slice : layout.slices) {
            if (!slice->getDimension()->isMeasures()) {
                query.slices.push_back(slice);
            }
        }
        fValues = narrowing != nullptr ? cube.evaluate(query, *narrowing, fNarrowed)
                                       : cube.evaluate(query);
    }

    void read(std::size_t combination, std::vector<double>& values) const {
        for (std::size_t m = 0; m < values.size(); ++m) {
            // An empty value counts as 0, as comparisons in expressions take it.
            values[m] = value(combination, m).value_or(0.0);
        }
    }

    // Whether the query gave the combination any value.
    bool has(std::size_t combination, std::size_t measures) const {
        for (std::size_t m = 0; m < measures; ++m) {
            if (value(combination, m)) {
                return true;
            }
        }
        return false;
    }

    std::vector<std::size_t> const& strides() const { return fStrides; }
    // Whether the source left out what the narrowing allowed.
    bool narrowed() const { return fNarrowed; }

private:
    std::optional<double> value(std::size_t combination, std::size_t measure) const {
        if (!fValues) {
            return std::nullopt;
        }
        basekit::Variant cell;
        static_cast<MemResultSet&>(*fValues).cellValue(
            static_cast<LONG>(combination + measure * fCombinations), cell.get());
        return cell->vt == VT_R8 ? std::optional<double>(cell->dblVal) : std::nullopt;
    }

    std::vector<std::size_t> fStrides;
    std::size_t fCombinations = 0;
    support::Ref<ZELT_o::ViewResultSet> fValues;
    bool fNarrowed = false;
};

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

// The test's answer for a tuple without values.
bool passes_when_empty(MeasureTest const& test) {
    using Op = MeasureTest::Op;
    std::vector<double> stack;
    for (MeasureTest::Step const& step : test.steps) {
        if (step.op == Op::kNumber || step.op == Op::kMeasure) {
            stack.push_back(step.op == Op::kNumber ? step.number : 0.0);
            continue;
        }
        if (step.op == Op::kNegate || step.op == Op::kNot) {
            stack.back() = step.op == Op::kNegate ? -stack.back() : (stack.back() == 0 ? 1 : 0);
            continue;
        }
        double const b = stack.back();
        stack.pop_back();
        double const a = stack.back();
        bool const result = step.op == Op::kAnd         ? a != 0 && b != 0
                            : step.op == Op::kOr        ? a != 0 || b != 0
                            : step.op == Op::kEqual     ? a == b
                            : step.op == Op::kNotEqual  ? a != b
                            : step.op == Op::kLess      ? a < b
                            : step.op == Op::kLessEqual ? a <= b
                            : step.op == Op::kGreater   ? a > b
                                                        : a >= b;
        stack.back() = result ? 1 : 0;
    }
    return stack.empty() || stack.back() != 0;
}

// A filter of one result axis, compiled when the query was planned.
struct PlannedFilter {
    std::vector<std::size_t> positions;     // of the filter's dimensions on the axis
    std::vector<PovaString> restrictions;   // per dimension: a level or hierarchy tested, or ""
    std::vector<Test> tests;                // applied in order, each to the lines still kept
    std::vector<ZELT_o::Member*> measures;  // the measures the tests read
    // What a fact source may leave out of the measure table, when the filter allows it.
    std::optional<Narrowing> narrowing;
};

// A source may leave out the combinations that fail the filter's conditions only when an empty
// combination fails them too, for it reads as empty then. It may rank too when the filter ranks
// last, by one measure, the members of one dimension that it tests all of: then it ranks
// exactly the combinations the filter ranks.
std::optional<Narrowing> narrowing_of(PlannedFilter const& filter) {
    Narrowing narrowing;
    for (std::size_t i = 0; i < filter.tests.size(); ++i) {
        if (auto const* condition = std::get_if<Condition>(&filter.tests[i])) {
            bool const first = narrowing.test.steps.empty();
            if (!to_measure_test(*condition, narrowing.test)) {
                return std::nullopt;
            }
            if (!first) {
                narrowing.test.steps.push_back({MeasureTest::Op::kAnd});
            }
            continue;
        }
        Rank const& rank = std::get<Rank>(filter.tests[i]);
        bool const negated = rank.value.size() == 2 && rank.value[1].op == Step::kNegate;
        if (i + 1 != filter.tests.size() || filter.positions.size() != 1 ||
            !filter.restrictions.front().empty() || rank.value.empty() ||
            rank.value.front().op != Step::kMeasure || (rank.value.size() != 1 && !negated)) {
            return std::nullopt;
        }
        narrowing.order =
            Narrowing::Order{rank.value.front().slot, rank.top != negated, rank.count + 1};
    }
    if (passes_when_empty(narrowing.test) && !narrowing.test.steps.empty()) {
        return std::nullopt;
    }
    if (narrowing.test.steps.empty() && !narrowing.order) {
        return std::nullopt;
    }
    return narrowing;
}

// A tuple filter of one result axis: the tuples it lists, by their members' unique names.
struct PlannedTupleFilter {
    std::size_t start = 0;  // the position of its first dimension on the axis
    std::size_t count = 0;
    std::unordered_set<std::string> listed;
};

// The key of `count` members' unique names, as PlannedTupleFilter::listed holds them.
template <class NameAt>
std::string tuple_key(std::size_t count, NameAt name_at) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += name_at(i).string();
        text += '\n';
    }
    return text;
}

std::optional<PlannedFilter> plan_filter(MemCube& cube, ZELT_o::Filter const& filter,
                                         std::vector<ZELT_o::Dimension*> const& onAxis) {
    PlannedFilter planned;
    std::vector<ZELT_o::Dimension*> const& dimensions = filter.getDimVec();
    std::vector<PovaString> const& restrictions = filter.getNameVec();
    bool measuresDimension = false;
    for (std::size_t i = 0; i < dimensions.size(); ++i) {
        auto const it = std::find(onAxis.begin(), onAxis.end(), dimensions[i]);
        if (it == onAxis.end()) {
            return std::nullopt;  // not this axis's filter after all
        }
        planned.positions.push_back(static_cast<std::size_t>(it - onAxis.begin()));
        measuresDimension = measuresDimension || dimensions[i]->isMeasures();
        PovaString const restriction = i < restrictions.size() ? restrictions[i] : PovaString();
        if (!restriction.empty() && !names_level_or_hierarchy(*dimensions[i], restriction)) {
            refuse(filter, "\"" + restriction.string() + "\" is no level or hierarchy of " +
                               dimensions[i]->getName().string());
        }
        planned.restrictions.push_back(restriction);
    }
    Compiler compiler(cube, filter, onAxis, planned.measures);
    for (Expression* expression : filter.getExpressions()) {
        if (std::optional<Rank> rank = compiler.rank(expression)) {
            planned.tests.emplace_back(std::move(*rank));
        } else {
            planned.tests.emplace_back(compiler.compile(expression));
        }
    }
    if (planned.tests.empty()) {
        return std::nullopt;
    }
    if (measuresDimension && !planned.measures.empty()) {
        refuse(filter, "a filter on the Measures dimension cannot read a measure");
    }
    planned.narrowing = narrowing_of(planned);
    return planned;
}

std::optional<PlannedTupleFilter> plan_tuple_filter(ZELT_o::Filter const& filter,
                                                    std::vector<ZELT_o::Dimension*> const& onAxis) {
    std::vector<ZELT_o::Dimension*> const& dimensions = filter.getDimVec();
    std::vector<PovaString> const& names = filter.getNameVec();
    PlannedTupleFilter planned;
    planned.start = static_cast<std::size_t>(
        std::search(onAxis.begin(), onAxis.end(), dimensions.begin(), dimensions.end()) -
        onAxis.begin());
    planned.count = dimensions.size();
    if (planned.count == 0 || planned.start + planned.count > onAxis.size()) {
        return std::nullopt;
    }
    for (std::size_t first = 0; first + planned.count <= names.size(); first += planned.count) {
        planned.listed.insert(
            tuple_key(planned.count, [&](std::size_t i) { return names[first + i]; }));
    }
    return planned;
}

// Whether the ranked combinations (in rank order, the survivors of the filter's conditions),
// from a measure table narrowed with `order`, are the ones a full table would rank first:
// every combination the source gave survived, and when it gave as many as it may, the last one
// kept ranks strictly before the first one dropped and before an empty combination (which is
// how every combination the source dropped reads), unless conditions exclude those.
bool ranks_settled(std::vector<std::pair<std::size_t, double>> const& ranked, Rank const& rank,
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

// Applies the filter's tests to the lines still kept. Returns false, having changed nothing
// that matters, when a table narrowed by `narrowing` cannot settle the rank.
bool run_filter(MemCube& cube, PlannedFilter const& filter, Layout const& layout,
                AxisLines const& lines, Narrowing const* narrowing) {
    std::vector<std::size_t> const& positions = filter.positions;
    std::vector<PovaString> const& restrictions = filter.restrictions;
    // The lines the filter tests, and the distinct members of its dimensions on them.
    auto const length = static_cast<std::size_t>(lines.axis.length);
    std::vector<std::size_t> tested;
    for (std::size_t t = 0; t < length; ++t) {
        bool restricted = false;
        for (std::size_t i = 0; i < positions.size(); ++i) {
            ZELT_o::Member const* m = lines.member(t, positions[i]);
            restricted = restricted || (!restrictions[i].empty() &&
                                        m->getLevel()->getUniqueName() != restrictions[i] &&
                                        m->getHierarchy()->getUniqueName() != restrictions[i]);
        }
        if (lines.keep[t] != 0 && !restricted) {
            tested.push_back(t);
        }
    }
    std::vector<std::vector<ZELT_o::Member*>> members(positions.size());
    std::vector<std::unordered_map<ZELT_o::Member*, std::size_t>> numbers(positions.size());
    for (std::size_t const t : tested) {
        for (std::size_t i = 0; i < positions.size(); ++i) {
            ZELT_o::Member* m = lines.member(t, positions[i]);
            if (numbers[i].emplace(m, members[i].size()).second) {
                members[i].push_back(m);
            }
        }
    }
    MeasureTable const table(cube, layout, members, filter.measures, narrowing);
    std::vector<std::size_t> combinationOf(length);
    for (std::size_t const t : tested) {
        for (std::size_t i = 0; i < positions.size(); ++i) {
            combinationOf[t] += numbers[i].at(lines.member(t, positions[i])) * table.strides()[i];
        }
    }
    std::vector<double> values(filter.measures.size());
    std::vector<double> stack;
    for (Test const& test : filter.tests) {
        if (auto const* condition = std::get_if<Condition>(&test)) {
            for (std::size_t const t : tested) {
                if (lines.keep[t] != 0) {
                    table.read(combinationOf[t], values);
                    lines.keep[t] = run(*condition, stack, lines, t, values) != 0 ? 1 : 0;
                }
            }
            continue;
        }
        // The combinations of the kept lines in the order they first appear, ranked.
        Rank const& rank = std::get<Rank>(test);
        std::vector<std::pair<std::size_t, double>> ranked;  // combination, value
        std::unordered_set<std::size_t> seen;
        std::unordered_set<std::size_t> given;  // the combinations the table has values for
        std::size_t givenRanked = 0;
        for (std::size_t const t : tested) {
            std::size_t const combination = combinationOf[t];
            bool const has = table.has(combination, filter.measures.size());
            if (has) {
                given.insert(combination);
            }
            if (lines.keep[t] != 0 && seen.insert(combination).second) {
                givenRanked += has ? 1 : 0;
                double value = 0;
                if (!rank.value.empty()) {
                    table.read(combination, values);
                    value = run(rank.value, stack, lines, t, values);
                }
                ranked.emplace_back(combination, value);
            }
        }
        if (!rank.value.empty()) {
            std::stable_sort(ranked.begin(), ranked.end(), [&rank](auto const& a, auto const& b) {
                return rank.top ? a.second > b.second : a.second < b.second;
            });
        }
        if (table.narrowed() && narrowing->order &&
            !ranks_settled(ranked, rank, *narrowing->order, given.size(), givenRanked,
                           filter.tests.size() > 1)) {
            return false;
        }
        std::unordered_set<std::size_t> best;
        for (std::size_t i = 0; i < std::min(rank.count, ranked.size()); ++i) {
            best.insert(ranked[i].first);
        }
        for (std::size_t const t : tested) {
            if (best.count(combinationOf[t]) == 0) {
                lines.keep[t] = 0;
            }
        }
    }
    return true;
}

void apply_filter(MemCube& cube, PlannedFilter const& filter, Layout const& layout,
                  AxisLines const& lines) {
    if (filter.narrowing) {
        std::vector<char> const before = lines.keep;
        if (run_filter(cube, filter, layout, lines, &*filter.narrowing)) {
            return;
        }
        lines.keep = before;
    }
    run_filter(cube, filter, layout, lines, nullptr);
}

void apply_tuple_filter(PlannedTupleFilter const& filter, AxisLines const& lines) {
    auto const length = static_cast<std::size_t>(lines.axis.length);
    for (std::size_t t = 0; t < length; ++t) {
        if (lines.keep[t] != 0 && filter.listed.count(tuple_key(filter.count, [&](std::size_t i) {
                return lines.member(t, filter.start + i)->getUniqueName();
            })) != 0) {
            lines.keep[t] = 0;
        }
    }
}

// A new result of the kept tuples. An axis that leaves out empty lines also loses the tuples
// left without a value among the kept tuples of the other axes.
support::Ref<ZELT_o::ViewResultSet> rebuild(MemCube& cube, MemResultSet const& result,
                                            Layout const& layout,
                                            std::vector<std::vector<char>>& keep) {
    std::size_t const axes = keep.size();
    std::vector<std::size_t> strides(axes, 1);
    std::size_t cells = 1;
    for (std::size_t a = 0; a < axes; ++a) {
        strides[a] = cells;
        cells *= keep[a].size();
    }
    auto const present = [&result](std::size_t cell) {
        basekit::Variant value;
        result.cellValue(static_cast<LONG>(cell), value.get());
        return value->vt != VT_EMPTY;
    };
    std::vector<std::vector<char>> hit(axes);
    for (std::size_t a = 0; a < axes; ++a) {
        hit[a].assign(keep[a].size(), 0);
    }
    for (std::size_t cell = 0; cell < cells; ++cell) {
        bool kept = true;
        for (std::size_t a = 0; a < axes && kept; ++a) {
            kept = keep[a][(cell / strides[a]) % keep[a].size()] != 0;
        }
        if (kept && present(cell)) {
            for (std::size_t a = 0; a < axes; ++a) {
                hit[a][(cell / strides[a]) % keep[a].size()] = 1;
            }
        }
    }
    std::vector<std::vector<std::size_t>> kept(axes);
    std::vector<MemResultSet::Axis> newAxes(axes);
    for (std::size_t a = 0; a < axes; ++a) {
        MemResultSet::Axis const& old = result.axis(static_cast<LONG>(a));
        auto const depth = static_cast<std::size_t>(old.depth);
        newAxes[a].depth = old.depth;
        for (std::size_t t = 0; t < keep[a].size(); ++t) {
            if (keep[a][t] != 0 && (!layout.axes[a].excludeEmpty || hit[a][t] != 0)) {
                kept[a].push_back(t);
                newAxes[a].members.insert(newAxes[a].members.end(),
                                          old.members.begin() + static_cast<long>(t * depth),
                                          old.members.begin() + static_cast<long>((t + 1) * depth));
            }
        }
        newAxes[a].length = static_cast<LONG>(kept[a].size());
    }
    std::size_t newCells = 1;
    for (auto const& k : kept) {
        newCells *= k.size();
    }
    std::vector<double> values(newCells, 0.0);
    std::vector<std::uint8_t> presence(newCells, 0);
    for (std::size_t cell = 0; cell < newCells; ++cell) {
        std::size_t rest = cell;
        std::size_t old = 0;
        for (std::size_t a = 0; a < axes; ++a) {
            old += kept[a][rest % kept[a].size()] * strides[a];
            rest /= kept[a].size();
        }
        basekit::Variant value;
        result.cellValue(static_cast<LONG>(old), value.get());
        if (value->vt == VT_R8) {
            values[cell] = value->dblVal;
            presence[cell] = 1;
        }
    }
    return support::adopt<ZELT_o::ViewResultSet>(
        new MemResultSet(support::retain<ZELT_o::Cube>(&cube), std::move(newAxes),
                         std::move(values), std::move(presence)));
}

}  // namespace

struct FilterPlan {
    struct Axis {
        std::vector<PlannedFilter> filters;
        std::vector<PlannedTupleFilter> tupleFilters;
    };
    std::vector<Axis> axes;  // one per result axis
};

std::shared_ptr<FilterPlan const> planFilters(MemCube& cube, common::ViewpointCommon& viewpoint,
                                              Layout const& layout,
                                              std::vector<LONG> const& viewAxes) {
    if (viewAxes.size() != layout.axes.size()) {
        return nullptr;
    }
    auto plan = std::make_shared<FilterPlan>();
    plan->axes.resize(viewAxes.size());
    bool any = false;
    std::vector<LONG> ids;
    for (std::size_t r = 0; r < viewAxes.size(); ++r) {
        // A copy: what the filters ask of the viewpoint may change its state.
        std::vector<ZELT_o::Dimension*> const onAxis = viewpoint.getAxisDimensions(viewAxes[r]);
        if (onAxis.size() != layout.axes[r].nests.size()) {
            continue;
        }
        FilterPlan::Axis& axis = plan->axes[r];
        ZELT_o::Filter* filter = nullptr;
        viewpoint.getAvailableFilters(ids, viewAxes[r]);
        for (LONG id : ids) {
            viewpoint.getFilter(id, &filter, -1);
            if (auto planned = plan_filter(cube, *filter, onAxis)) {
                axis.filters.push_back(std::move(*planned));
            }
        }
        viewpoint.getAvailableTupleFilters(ids, viewAxes[r]);
        for (LONG id : ids) {
            viewpoint.getFilter(id, &filter, viewAxes[r]);
            if (filter->isValid() && filter->validate(&viewpoint)) {
                if (auto planned = plan_tuple_filter(*filter, onAxis)) {
                    axis.tupleFilters.push_back(std::move(*planned));
                }
            }
        }
        any = any || !axis.filters.empty() || !axis.tupleFilters.empty();
    }
    return any ? plan : nullptr;
}

support::Ref<ZELT_o::ViewResultSet> applyFilters(MemCube& cube, FilterPlan const* plan,
                                                 Layout const& layout,
                                                 support::Ref<ZELT_o::ViewResultSet> result) {
    auto const* computed = dynamic_cast<MemResultSet const*>(result.get());
    if (plan == nullptr || computed == nullptr ||
        static_cast<std::size_t>(computed->getAxisCount()) != plan->axes.size()) {
        return result;
    }
    std::vector<std::vector<char>> keep(plan->axes.size());
    bool removed = false;
    for (std::size_t r = 0; r < plan->axes.size(); ++r) {
        MemResultSet::Axis const& axis = computed->axis(static_cast<LONG>(r));
        keep[r].assign(static_cast<std::size_t>(axis.length), 1);
        AxisLines const lines{axis, keep[r]};
        for (PlannedFilter const& filter : plan->axes[r].filters) {
            apply_filter(cube, filter, layout, lines);
        }
        for (PlannedTupleFilter const& filter : plan->axes[r].tupleFilters) {
            apply_tuple_filter(filter, lines);
        }
        removed = removed || std::find(keep[r].begin(), keep[r].end(), 0) != keep[r].end();
    }
    if (!removed) {
        return result;
    }
    return rebuild(cube, *computed, layout, keep);
}

}  // namespace memcube
