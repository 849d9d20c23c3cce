#include "FilterCompiler.h"

#include "FilterEvaluator.h"

#include <basekit/BaseError.h>
#include <basekit/OleAuto.h>
#include <memcube/MemCube.h>
#include <pova/Dimension.h>
#include <pova/Expression.h>
#include <pova/Filter.h>
#include <pova/Member.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>

namespace memcube {

namespace {

using ZELT_o::Expression;

std::string name_of(Expression const& node) {
    OLECHAR const* name = node.getStringValue();
    return name != nullptr ? PovaString(std::u16string(name)).string() : std::string();
}

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
                refuseFilter(fFilter, "an operand is missing");
            }
            LONG const kind = node->getType();
            if (expanded) {
                steps.push_back(operator_step(kind));
                continue;
            }
            std::vector<Expression*> const& children = node->getExpressions();
            auto const operands = [&](std::size_t count) {
                if (children.size() != count) {
                    refuseFilter(fFilter, "operator " + std::to_string(kind) + " has " +
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
                        refuseFilter(fFilter, "a parenthesis holds " +
                                                  std::to_string(children.size()) + " expressions");
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
                        refuseFilter(fFilter,
                                     "expression kind " + std::to_string(kind) +
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
            refuseFilter(fFilter, "TopCount and BottomCount take a set, a count and a value");
        }
        ZELT_o::Dimension* ranked = dimension(*arguments[0]);
        if (ranked == nullptr ||
            std::find(fOnAxis.begin(), fOnAxis.end(), ranked) == fOnAxis.end()) {
            refuseFilter(fFilter, "the set ranked must be a dimension on the filtered axis");
        }
        double const count =
            arguments[1]->getType() == Expression::kNumber ? number(*arguments[1]) : -1;
        if (!(count >= 0 && count <= 1e9) ||
            count != static_cast<double>(static_cast<std::size_t>(count))) {
            refuseFilter(fFilter,
                         "the count of TopCount or BottomCount must be a whole number from 0");
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
            refuseFilter(fFilter, "a number node holds no number");
        }
        return parsed;
    }

    ZELT_o::Member* member(Expression const& node) {
        if (node.getType() != Expression::kMemberName) {
            return nullptr;
        }
        ZELT_o::Member* found = fCube.findMember(PovaString(name_of(node)));
        if (found == nullptr) {
            refuseFilter(fFilter, "the cube has no member " + name_of(node));
        }
        return found;
    }

    Step measure(Expression const& node) {
        ZELT_o::Member* found = member(node);
        if (!found->getDimension()->isMeasures()) {
            refuseFilter(fFilter, name_of(node) + " is a member, not a value: test it with Is");
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
            refuseFilter(fFilter, "a membership test needs two operands");
        }
        ZELT_o::Dimension* tested = dimension(*children[op == Step::kIsMember ? 0 : 1]);
        ZELT_o::Member* target = member(*children[op == Step::kIsMember ? 1 : 0]);
        if (op == Step::kIsMember && (tested == nullptr || target == nullptr)) {
            tested = dimension(*children[1]);
            target = member(*children[0]);
        }
        if (tested == nullptr || target == nullptr) {
            refuseFilter(fFilter, "a membership test compares a dimension's member with a member");
        }
        auto const it = std::find(fOnAxis.begin(), fOnAxis.end(), tested);
        if (it == fOnAxis.end()) {
            refuseFilter(fFilter, tested->getName().string() + " is not on the filtered axis");
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

}  // namespace

[[noreturn]] void refuseFilter(ZELT_o::Filter const& filter, std::string const& reason) {
    BaseError error(kFilterNotEvaluated, "memcube", 1, 0);
    error.addInsert(filter.getName());
    error.addInsert(PovaString(reason));
    throw error;
}

std::vector<Test> compileFilter(MemCube& cube, ZELT_o::Filter const& filter,
                                std::vector<ZELT_o::Dimension*> const& onAxis,
                                std::vector<ZELT_o::Member*>& measures) {
    Compiler compiler(cube, filter, onAxis, measures);
    std::vector<Test> tests;
    for (Expression* expression : filter.getExpressions()) {
        if (std::optional<Rank> rank = compiler.rank(expression)) {
            tests.emplace_back(std::move(*rank));
        } else {
            tests.emplace_back(compiler.compile(expression));
        }
    }
    return tests;
}

double evaluate(Condition const& condition, std::vector<double>& stack,
                std::span<ZELT_o::Member* const> tuple, std::vector<double> const& measures) {
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
                stack.push_back(tuple[step.slot] == step.member ? 1 : 0);
                break;
            case Step::kIsAncestor:
                stack.push_back(is_ancestor(step.member, tuple[step.slot]) ? 1 : 0);
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

}  // namespace memcube
