#include "expressions/ExpressionDriver.h"

#include <basekit/BaseError.h>

#include "expressions/ExpressionKinds.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
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
    if (exponent == 0 || !std::isfinite(mantissa)) {
        return mantissa;
    }
    if (std::abs(exponent) < 1e6 && exponent == std::trunc(exponent)) {
        char text[64];
        char* end = std::to_chars(text, text + 32, mantissa, std::chars_format::scientific).ptr;
        // to_chars gives the shortest text that reads back as the mantissa: "1.5e+00".
        char* const mark = std::find(text, end, 'e');
        char const* digits = mark + 1;
        if (digits < end && *digits == '+') {
            ++digits;
        }
        long power = 0;
        std::from_chars(digits, end, power);
        power += static_cast<long>(exponent);
        end = std::to_chars(mark + 1, text + sizeof text, power).ptr;
        double value = 0;
        auto const [stop, error] = std::from_chars(text, end, value);
        (void)stop;
        if (error == std::errc::result_out_of_range) {
            return power > 0 ? HUGE_VAL : 0.0;
        }
        return value;
    }
    return mantissa * std::pow(10.0, exponent);
}

}  // namespace

ExpressionDriver::ExpressionDriver() : fParser(*this) {}

Node ExpressionDriver::parseText(COSLexer& lexer) {
    thread_local ExpressionDriver cached;
    if (cached.fBusy) {
        ExpressionDriver own;
        return own.parse(lexer);
    }
    return cached.parse(lexer);
}

Node ExpressionDriver::parse(COSLexer& lexer) {
    struct Session {
        ExpressionDriver& driver;
        ~Session() {
            driver.fBusy = false;
            driver.fLexer = nullptr;
            driver.fTree.reset();
        }
    } const session{*this};
    fBusy = true;
    fLexer = &lexer;
    if (fParser.parse() != 0 || !fTree) {
        syntax_error("syntax error");
    }
    return std::move(fTree);
}

namespace {

using Token = ExpressionParser::token;

// What the parser receives for a lexer token: a terminal and, for most, a number (a node kind
// or a keyword's code).
struct Mapping {
    Token::token_kind_type terminal = Token::OTHER;
    int value = 0;
};

std::array<Mapping, COSLexer::kLastToken + 1> make_mappings() {
    std::array<Mapping, COSLexer::kLastToken + 1> map{};
    for (int token = 0; token <= COSLexer::kLastToken; ++token) {
        Mapping& m = map[static_cast<std::size_t>(token)];
        m.value = token;
        if (LONG const leaf = kinds::leafKind(token); leaf >= 0) {
            m = Mapping{Token::LEAF, static_cast<int>(leaf)};
        }
        if (kinds::takesArguments(token)) {
            m = Mapping{Token::FUNCTION, token};
        }
    }
    auto set = [&](int token, Token::token_kind_type terminal, int value) {
        map[static_cast<std::size_t>(token)] = Mapping{terminal, value};
    };
    auto infix = [&](int token, Token::token_kind_type terminal) {
        set(token, terminal, static_cast<int>(kinds::infixKind(token)));
    };
    for (int token : {COSLexer::kEqual, COSLexer::kNotEqual, COSLexer::kLess, COSLexer::kLessEqual,
                      COSLexer::kGreater, COSLexer::kGreaterEqual}) {
        infix(token, Token::COMPARE);
    }
    infix(COSLexer::kIs, Token::IS);
    infix(COSLexer::kExists, Token::EXISTS);
    infix(COSLexer::kAnd, Token::AND);
    infix(COSLexer::kOr, Token::OR);
    infix(COSLexer::kXor, Token::OR);
    infix(COSLexer::kEqv, Token::EQV);
    infix(COSLexer::kImp, Token::IMP);
    infix(COSLexer::kPlus, Token::PLUS);
    infix(COSLexer::kMinus, Token::MINUS);
    infix(COSLexer::kStar, Token::STAR);
    infix(COSLexer::kSlash, Token::SLASH);
    infix(COSLexer::kBackslash, Token::BACKSLASH);
    infix(COSLexer::kPercent, Token::PERCENT);
    infix(COSLexer::kCaret, Token::CARET);
    set(COSLexer::kNot, Token::NOT, Expression::kNot);
    set(COSLexer::kTrue, Token::BOOLEAN, 1);
    set(COSLexer::kFalse, Token::BOOLEAN, 0);
    set(COSLexer::kOpen, Token::OPEN, 0);
    set(COSLexer::kClose, Token::CLOSE, 0);
    set(COSLexer::kComma, Token::COMMA, 0);
    set(COSLexer::kE, Token::EXPONENT, 0);
    set(COSLexer::kRecursive, Token::SUFFIX, static_cast<int>(Marker::Recursive));
    set(COSLexer::kPost, Token::SUFFIX, static_cast<int>(Marker::Post));
    set(COSLexer::kExcludeEmpty, Token::SUFFIX, static_cast<int>(Marker::ExcludeEmpty));
    set(COSLexer::kIncludeEmpty, Token::SUFFIX, static_cast<int>(Marker::IncludeEmpty));
    // The short period keywords stand for their spelled-out forms.
    set(COSLexer::kYtd, Token::FUNCTION, COSLexer::kYToD);
    set(COSLexer::kQtd, Token::FUNCTION, COSLexer::kQToD);
    set(COSLexer::kMtd, Token::FUNCTION, COSLexer::kMToD);
    set(COSLexer::kWtd, Token::FUNCTION, COSLexer::kWToD);
    // Names by the class the cube gave them; a name the cube did not classify is a plain
    // name. Sets share their kind with dimensions and hierarchies: every name kind built here
    // keeps its name in the saved XML.
    set(COSLexer::kName, Token::NAME, Expression::kQuotedName);
    set(COSLexer::kMemberName, Token::NAME, Expression::kMemberName);
    set(COSLexer::kMeasureName, Token::NAME, Expression::kMemberName);
    set(COSLexer::kDimensionName, Token::NAME, Expression::kDimensionName);
    set(COSLexer::kHierarchyName, Token::NAME, Expression::kDimensionName);
    set(COSLexer::kSetName, Token::NAME, Expression::kDimensionName);
    set(COSLexer::kLevelName, Token::NAME, Expression::kLevelName);
    for (int token = COSLexer::kNumericParameter; token <= COSLexer::kStringParameter; ++token) {
        set(token, Token::PARAMETER, 0);
    }
    return map;
}

}  // namespace

ExpressionParser::symbol_type ExpressionDriver::next_token() {
    static std::array<Mapping, COSLexer::kLastToken + 1> const mappings = make_mappings();
    int const token = fLexer->nextToken();
    if (token < COSLexer::kEnd || token > COSLexer::kLastToken) {
        semantic_error(kSyntaxError, PovaString::build("token %d", token));
    }
    if (token == COSLexer::kEnd) {
        return ExpressionParser::make_YYEOF();
    }
    if (token == COSLexer::kNumber) {
        return ExpressionParser::make_NUMBER(fLexer->takeNumber());
    }
    Mapping const& mapping = mappings[static_cast<std::size_t>(token)];
    if (mapping.terminal == Token::NAME) {
        return ExpressionParser::make_NAME(NameToken{fLexer->takeTokenText(), mapping.value});
    }
    if (mapping.terminal == Token::PARAMETER) {
        return ExpressionParser::make_PARAMETER(fLexer->takeTokenText());
    }
    return ExpressionParser::symbol_type(mapping.terminal, mapping.value);
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

// Whether the node's text ends with a number: a number, or an operator whose last operand
// ends with one.
bool ExpressionDriver::ends_with_number(ExpressionBase* node) {
    while (node != nullptr && node->getType() != Expression::kNumber) {
        kinds::KindInfo const* info = kinds::find(node->getType());
        std::vector<Expression*> const& children = node->getExpressions();
        if (info == nullptr || info->form != kinds::Form::Infix || children.size() < 2) {
            return false;
        }
        node = dynamic_cast<ExpressionBase*>(children.back());
    }
    return node != nullptr;
}

Node ExpressionDriver::infix(int kind, Node left, Node right) {
    // "5%%x" is a percentage followed by the % operator; printed, a "%" after a number would
    // read as a percentage again, so the number is kept in parentheses.
    if (kind == Expression::kPercent && ends_with_number(left.get())) {
        left = parenthesis(std::move(left));
    }
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

Node ExpressionDriver::name(NameToken const& token) {
    Node node = make(token.kind);
    node->setStringValue(token.text.c_str());
    return node;
}

Node ExpressionDriver::parameter(PovaString const& name) {
    Node node = make(Expression::kParameterReference);
    node->setStringValue(name.c_str());
    return node;
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
