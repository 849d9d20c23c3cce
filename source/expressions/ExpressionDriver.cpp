#include "expressions/ExpressionDriver.h"

#include <basekit/BaseError.h>

#include "expressions/ExpressionKinds.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace common::grammar {

namespace kinds = expression_kinds;
using ZELT_o::Expression;

namespace {

constexpr ZELT_o::MessageCode kSyntaxError = 0x2017068;
constexpr ZELT_o::MessageCode kSignError = 0x2017067;

bool is_bare(Node const& node, LONG kind) {
    return node && node->getType() == kind && node->getExpressions().empty();
}

bool is_descendants_flag(Node const& node) {
    return node && node->getType() >= Expression::kSelf &&
           node->getType() <= Expression::kSelfBeforeAfter && node->getExpressions().empty();
}

// The keyword a token stands for, for error texts.
PovaString keyword_of(int token) {
    for (LONG kind = 0;; ++kind) {
        kinds::KindInfo const* info = kinds::find(kind);
        if (info == nullptr) {
            return PovaString::build("token %d", token);
        }
        if (info->token == token && info->text == kinds::Text::Fixed) {
            return PovaString(info->keyword);
        }
    }
}

// mantissa * 10^exponent as the decimal text "mantissa E exponent" reads, where the exponent
// is a whole number; otherwise through pow.
double scaled(double mantissa, double exponent) {
    if (exponent == 0) {
        return mantissa;
    }
    if (std::abs(exponent) < 1e6 && exponent == std::trunc(exponent)) {
        char text[64];
        std::snprintf(text, sizeof text, "%.17ge%d", mantissa, static_cast<int>(exponent));
        return std::strtod(text, nullptr);
    }
    return mantissa * std::pow(10.0, exponent);
}

}  // namespace

ExpressionDriver::ExpressionDriver(COSLexer& lexer) : fLexer(lexer) {}

Node ExpressionDriver::parse() {
    ExpressionParser parser(*this);
    if (parser.parse() != 0 || !fTree) {
        syntax_error("syntax error");
    }
    return std::move(fTree);
}

ExpressionParser::symbol_type ExpressionDriver::next_token() {
    int const token = fLexer.nextToken();
    if (token < COSLexer::kEnd || token > COSLexer::kLastToken) {
        semantic_error(kSyntaxError, PovaString::build("token %d", token));
    }
    switch (token) {
        case COSLexer::kEnd:
            return ExpressionParser::make_YYEOF();
        case COSLexer::kNumber:
            return ExpressionParser::symbol_type(token, fLexer.takeNumber());
        case COSLexer::kName:
        case COSLexer::kMemberName:
        case COSLexer::kDimensionName:
        case COSLexer::kMeasureName:
        case COSLexer::kSetName:
        case COSLexer::kHierarchyName:
        case COSLexer::kLevelName:
        case COSLexer::kNumericParameter:
        case COSLexer::kMemberParameter:
        case COSLexer::kMemberSetParameter:
        case COSLexer::kStringParameter:
            return ExpressionParser::symbol_type(token, PovaString(fLexer.getTokenText()));
        default:
            break;
    }
    LONG value = kinds::infixKind(token);
    if (value < 0) {
        value = kinds::leafKind(token);
    }
    if (value < 0) {
        value = token;
    }
    return ExpressionParser::symbol_type(token, static_cast<int>(value));
}

void ExpressionDriver::syntax_error(std::string const& message) {
    semantic_error(kSyntaxError, PovaString(message));
}

void ExpressionDriver::semantic_error(ZELT_o::MessageCode code, PovaString const& insert) {
    BaseError error(code, "Lexer");
    error.addInsert(insert);
    throw error;
}

Node ExpressionDriver::make(LONG kind) {
    Node node = Node::adopt(new ExpressionBase(nullptr));
    node->setType(static_cast<Expression::ExpressionType>(kind));
    return node;
}

void ExpressionDriver::append(Node& parent, Node child) {
    parent->AddNewChild(child.detach());
}

void ExpressionDriver::accept(Node tree) {
    fTree = std::move(tree);
}

Node ExpressionDriver::infix(int kind, Node left, Node right) {
    Node node = make(kind);
    append(node, std::move(left));
    append(node, std::move(right));
    return node;
}

Node ExpressionDriver::is(int kind, Node left, Node right) {
    if (is_bare(right, Expression::kNull)) {
        Node node = make(Expression::kIsNull);
        append(node, std::move(left));
        return node;
    }
    return infix(kind, std::move(left), std::move(right));
}

Node ExpressionDriver::prefix(LONG kind, Node operand, char const* sign) {
    if (operand->getType() == Expression::kParenthesis && operand->getExpressions().size() == 1) {
        std::vector<Expression*>& children = operand->getExpressions();
        auto* inner = dynamic_cast<ExpressionBase*>(children.front());
        if (inner != nullptr) {
            children.clear();
            operand = Node::adopt(inner);
        }
    }
    if (sign != nullptr) {
        check_sign_operand(*operand, sign);
    }
    Node node = make(kind);
    append(node, std::move(operand));
    return node;
}

Node ExpressionDriver::unary_plus(Node operand) {
    ExpressionBase* checked = operand.get();
    if (checked->getType() == Expression::kParenthesis && checked->getExpressions().size() == 1) {
        if (auto* inner = dynamic_cast<ExpressionBase*>(checked->getExpressions().front());
            inner != nullptr) {
            checked = inner;
        }
    }
    check_sign_operand(*checked, "+");
    return operand;
}

void ExpressionDriver::check_sign_operand(ExpressionBase& operand, char const* sign) {
    switch (operand.getType()) {
        case Expression::kAsc:
        case Expression::kDesc:
        case Expression::kBAsc:
        case Expression::kBDesc:
        case Expression::kSelf:
        case Expression::kAfter:
        case Expression::kBefore:
        case Expression::kLeaves:
        case Expression::kBeforeAndAfter:
        case Expression::kSelfAndAfter:
        case Expression::kSelfAndBefore:
        case Expression::kSelfBeforeAfter:
        case Expression::kAll:
        case Expression::kNameProperty:
        case Expression::kUniqueNameProperty:
        case Expression::kCaptionProperty:
        case Expression::kExistsFlag:
        case Expression::kInherit:
        case Expression::kDimensionName:
        case Expression::kLevelName:
        case Expression::kSetName:
            semantic_error(kSignError, PovaString(sign));
        default:
            break;
    }
}

Node ExpressionDriver::number(double value, double exponent) {
    double const number = scaled(value, exponent);
    if (!std::isfinite(number)) {
        semantic_error(kSyntaxError, PovaString("number out of range"));
    }
    Node node = make(Expression::kNumber);
    VARIANT& held = node->getValue();
    held.vt = VT_R8;
    held.dblVal = number;
    return node;
}

Node ExpressionDriver::boolean(bool value) {
    Node node = make(Expression::kBoolean);
    VARIANT& held = node->getValue();
    held.vt = VT_BOOL;
    held.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return node;
}

Node ExpressionDriver::name(LONG kind, PovaString const& text) {
    Node node = make(kind);
    node->setStringValue(text.c_str());
    return node;
}

Node ExpressionDriver::parameter(PovaString const& name) {
    return this->name(Expression::kParameterReference, name);
}

Node ExpressionDriver::leaf(int kind) {
    return make(kind);
}

Argument ExpressionDriver::operator_argument(int token) {
    return Argument{make(kinds::leafKind(token)), Marker::Node};
}

Node ExpressionDriver::parenthesis(Node inner) {
    Node node = make(Expression::kParenthesis);
    append(node, std::move(inner));
    return node;
}

Node ExpressionDriver::call(LONG kind, Node callee, Node argument) {
    Node node = make(kind);
    append(node, std::move(callee));
    append(node, std::move(argument));
    return node;
}

Node ExpressionDriver::function(int token, Arguments arguments) {
    // "f ( )" is a list of one empty argument.
    if (arguments.size() == 1 && arguments.front().marker == Marker::Empty) {
        arguments.clear();
    }
    if (token == COSLexer::kDescendants) {
        return descendants(std::move(arguments));
    }
    kinds::Suffix suffix = kinds::Suffix::None;
    if (!arguments.empty()) {
        switch (arguments.back().marker) {
            case Marker::Recursive:
                suffix = kinds::Suffix::Recursive;
                break;
            case Marker::Post:
                suffix = kinds::Suffix::Post;
                break;
            case Marker::ExcludeEmpty:
                suffix = kinds::Suffix::ExcludeEmpty;
                break;
            case Marker::IncludeEmpty:
                suffix = kinds::Suffix::IncludeEmpty;
                break;
            case Marker::Node:
            case Marker::Empty:
                break;
        }
        if (suffix != kinds::Suffix::None) {
            arguments.pop_back();
        }
    }
    for (Argument const& argument : arguments) {
        if (argument.marker != Marker::Node) {
            semantic_error(kSyntaxError, keyword_of(token) + ": misplaced or empty argument");
        }
    }
    LONG kind = -1;
    // A closing ALL is the suffix where the keyword has such a form, else an argument.
    if (suffix == kinds::Suffix::None && !arguments.empty() &&
        is_bare(arguments.back().node, Expression::kAll) &&
        kinds::hasSuffix(token, kinds::Suffix::All)) {
        kind = kinds::functionKind(token, kinds::Suffix::All, arguments.size() - 1);
        if (kind >= 0) {
            arguments.pop_back();
        }
    }
    if (kind < 0) {
        kind = kinds::functionKind(token, suffix, arguments.size());
    }
    if (kind < 0) {
        semantic_error(kSyntaxError,
                       keyword_of(token) + PovaString::build(": %zu arguments", arguments.size()));
    }
    Node node = make(kind);
    for (Argument& argument : arguments) {
        append(node, std::move(argument.node));
    }
    return node;
}

// Descendants always has three children: the member or set, the level or distance, and the
// flag; an absent level or flag is an empty leaf, which prints as nothing, so that the printed
// text reads back into the same tree.
Node ExpressionDriver::descendants(Arguments arguments) {
    std::size_t const count = arguments.size();
    bool valid = count >= 1 && count <= 3 && arguments[0].marker == Marker::Node;
    for (std::size_t i = 1; valid && i < count; ++i) {
        Marker const marker = arguments[i].marker;
        valid = marker == Marker::Node || (marker == Marker::Empty && i == 1 && count == 3);
    }
    if (valid && count == 3) {
        valid = is_descendants_flag(arguments[2].node);
    }
    if (!valid) {
        semantic_error(kSyntaxError, PovaString("Descendants: wrong arguments"));
    }
    Node node = make(Expression::kDescendants);
    append(node, std::move(arguments[0].node));
    Node level;
    Node flag;
    if (count == 2 && is_descendants_flag(arguments[1].node)) {
        flag = std::move(arguments[1].node);
    } else if (count >= 2) {
        level = std::move(arguments[1].node);
        if (count == 3) {
            flag = std::move(arguments[2].node);
        }
    }
    append(node, level ? std::move(level) : make(Expression::kEmptyArgument));
    append(node, flag ? std::move(flag) : make(Expression::kEmptyFlag));
    return node;
}

}  // namespace common::grammar
