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

bool is_bare(Expression const* node, LONG kind) {
    return node != nullptr && node->getType() == kind &&
           const_cast<Expression*>(node)->getExpressions().empty();
}

bool is_descendants_flag(Expression const* node) {
    return node != nullptr && node->getType() >= Expression::kSelf &&
           node->getType() <= Expression::kSelfBeforeAfter &&
           const_cast<Expression*>(node)->getExpressions().empty();
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

namespace {

// The top node of a parse hands its content over to the caller's root, so that callers keep
// their node; it then serves as the first node of the next parse on the same thread, which
// saves making and destroying a node per parse.
thread_local Node tSpare;

}  // namespace

void ExpressionDriver::recycle(Node top) {
    if (!tSpare && top && top->getRefCount() == 1 && top->getType() == Expression::kEmpty &&
        top->getExpressions().empty() && top->getStringValue() == nullptr &&
        top->GetParentExpression() == nullptr && top->GetParent() == nullptr &&
        top->getText().empty()) {
        tSpare = std::move(top);
    }
}

Node ExpressionDriver::parseText(COSLexer& lexer) {
    ExpressionDriver driver;
    driver.fSpare = std::move(tSpare);
    return driver.parse(lexer);
}

Node ExpressionDriver::parse(COSLexer& lexer) {
    fLexer = &lexer;
    int const result = expression_yyparse(*this);
    if (fFailure) {
        std::rethrow_exception(fFailure);
    }
    if (result != 0 || !fTree) {
        semantic_error(kSyntaxError,
                       PovaString(fSyntaxError.empty() ? "syntax error" : fSyntaxError.c_str()));
    }
    return std::move(fTree);
}

void ExpressionDriver::fail() noexcept {
    if (!fFailure) {
        fFailure = std::current_exception();
    }
}

void ExpressionDriver::syntax_error(char const* message) {
    if (fSyntaxError.empty()) {
        fSyntaxError = message;
    }
}

namespace {

// What the parser receives for a lexer token: a terminal and, for most, a number (a node kind,
// a keyword's code or a suffix).
struct Mapping {
    expression_yytokentype terminal = TOKEN_OTHER;
    int value = 0;
};

using Mappings = std::array<Mapping, COSLexer::kLastToken + 1>;

Mappings make_mappings() {
    Mappings map{};
    for (int token = 0; token <= COSLexer::kLastToken; ++token) {
        Mapping& m = map[static_cast<std::size_t>(token)];
        m.value = token;
        if (LONG const leaf = kinds::leafKind(token); leaf >= 0) {
            m = Mapping{TOKEN_LEAF, static_cast<int>(leaf)};
        }
        if (kinds::takesArguments(token)) {
            m = Mapping{TOKEN_FUNCTION, token};
        }
    }
    auto set = [&](int token, expression_yytokentype terminal, int value) {
        map[static_cast<std::size_t>(token)] = Mapping{terminal, value};
    };
    auto infix = [&](int token, expression_yytokentype terminal) {
        set(token, terminal, static_cast<int>(kinds::infixKind(token)));
    };
    auto suffix = [&](int token, kinds::Suffix value) {
        set(token, TOKEN_SUFFIX, static_cast<int>(value));
    };
    for (int token : {COSLexer::kEqual, COSLexer::kNotEqual, COSLexer::kLess, COSLexer::kLessEqual,
                      COSLexer::kGreater, COSLexer::kGreaterEqual}) {
        infix(token, TOKEN_COMPARE);
    }
    infix(COSLexer::kIs, TOKEN_IS);
    infix(COSLexer::kExists, TOKEN_EXISTS);
    infix(COSLexer::kAnd, TOKEN_AND);
    infix(COSLexer::kOr, TOKEN_OR);
    infix(COSLexer::kXor, TOKEN_OR);
    infix(COSLexer::kEqv, TOKEN_EQV);
    infix(COSLexer::kImp, TOKEN_IMP);
    infix(COSLexer::kPlus, TOKEN_PLUS);
    infix(COSLexer::kMinus, TOKEN_MINUS);
    infix(COSLexer::kStar, TOKEN_STAR);
    infix(COSLexer::kSlash, TOKEN_SLASH);
    infix(COSLexer::kBackslash, TOKEN_BACKSLASH);
    infix(COSLexer::kPercent, TOKEN_PERCENT);
    infix(COSLexer::kCaret, TOKEN_CARET);
    infix(COSLexer::kColon, TOKEN_COLON);
    set(COSLexer::kNot, TOKEN_NOT, Expression::kNot);
    set(COSLexer::kTrue, TOKEN_BOOLEAN, 1);
    set(COSLexer::kFalse, TOKEN_BOOLEAN, 0);
    set(COSLexer::kOpen, TOKEN_OPEN, 0);
    set(COSLexer::kClose, TOKEN_CLOSE, 0);
    set(COSLexer::kComma, TOKEN_COMMA, 0);
    set(COSLexer::kE, TOKEN_EXPONENT, 0);
    suffix(COSLexer::kRecursive, kinds::Suffix::Recursive);
    suffix(COSLexer::kPost, kinds::Suffix::Post);
    suffix(COSLexer::kExcludeEmpty, kinds::Suffix::ExcludeEmpty);
    suffix(COSLexer::kIncludeEmpty, kinds::Suffix::IncludeEmpty);
    // The short period keywords stand for their spelled-out forms.
    set(COSLexer::kYtd, TOKEN_FUNCTION, COSLexer::kYToD);
    set(COSLexer::kQtd, TOKEN_FUNCTION, COSLexer::kQToD);
    set(COSLexer::kMtd, TOKEN_FUNCTION, COSLexer::kMToD);
    set(COSLexer::kWtd, TOKEN_FUNCTION, COSLexer::kWToD);
    // Names by the class the cube gave them; a name the cube did not classify is a plain
    // name. Sets share their kind with dimensions and hierarchies: every name kind built here
    // keeps its name in the saved XML.
    set(COSLexer::kName, TOKEN_NAME, Expression::kQuotedName);
    set(COSLexer::kMemberName, TOKEN_NAME, Expression::kMemberName);
    set(COSLexer::kMeasureName, TOKEN_NAME, Expression::kMemberName);
    set(COSLexer::kDimensionName, TOKEN_NAME, Expression::kDimensionName);
    set(COSLexer::kHierarchyName, TOKEN_NAME, Expression::kDimensionName);
    set(COSLexer::kSetName, TOKEN_NAME, Expression::kDimensionName);
    set(COSLexer::kLevelName, TOKEN_NAME, Expression::kLevelName);
    for (int token = COSLexer::kNumericParameter; token <= COSLexer::kStringParameter; ++token) {
        set(token, TOKEN_PARAMETER, Expression::kParameterReference);
    }
    return map;
}

}  // namespace

int ExpressionDriver::next_token(EXPRESSION_YYSTYPE& value) {
    int const token = fLexer->nextToken();
    if (token < COSLexer::kEnd || token > COSLexer::kLastToken) {
        semantic_error(kSyntaxError, PovaString::build("token %d", token));
    }
    if (token == COSLexer::kEnd) {
        return TOKEN_YYEOF;
    }
    if (token == COSLexer::kNumber) {
        value.number = fLexer->takeNumber();
        return TOKEN_NUMBER;
    }
    // Made on first use, so that loading the library runs nothing.
    static Mappings const mappings = make_mappings();
    Mapping const& mapping = mappings[static_cast<std::size_t>(token)];
    if (mapping.terminal == TOKEN_NAME || mapping.terminal == TOKEN_PARAMETER) {
        // Names and parameter references become their nodes here, straight from the lexer's
        // text: the name is copied once, into the node.
        Node node = make(mapping.value);
        node->assignStringValue(fLexer->tokenText());
        value.node = node.detach();
    } else {
        value.code = mapping.value;
    }
    return mapping.terminal;
}

void ExpressionDriver::semantic_error(ZELT_o::MessageCode code, PovaString const& insert) {
    BaseError error(code, "Lexer");
    error.addInsert(insert);
    throw error;
}

ExpressionDriver::~ExpressionDriver() {
    recycle(std::move(fSpare));
}

Node ExpressionDriver::make(LONG kind, std::size_t children) {
    Node node = fSpare ? std::move(fSpare) : Node::adopt(new ExpressionBase(nullptr));
    node->setType(static_cast<Expression::ExpressionType>(kind));
    if (children > 0) {
        node->getExpressions().reserve(children);
    }
    return node;
}

// A null child stands for an empty argument in an argument list.
void ExpressionDriver::append(ExpressionBase& parent, Node child) {
    parent.getExpressions().push_back(child.get());
    if (ExpressionBase* const added = child.detach(); added != nullptr) {
        added->SetParentExpression(&parent);
    }
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

ExpressionBase* ExpressionDriver::infix(int kind, Node left, Node right) {
    // "5%%x" is a percentage followed by the % operator; printed, a "%" after a number would
    // read as a percentage again, so the number is kept in parentheses.
    if (kind == Expression::kPercent && ends_with_number(left.get())) {
        left = Node::adopt(parenthesis(std::move(left)));
    }
    Node node = make(kind, 2);
    append(*node, std::move(left));
    append(*node, std::move(right));
    return node.detach();
}

ExpressionBase* ExpressionDriver::is(int kind, Node left, Node right) {
    if (is_bare(right.get(), Expression::kNull)) {
        Node node = make(Expression::kIsNull, 1);
        append(*node, std::move(left));
        return node.detach();
    }
    return infix(kind, std::move(left), std::move(right));
}

ExpressionBase* ExpressionDriver::prefix(LONG kind, Node operand, char const* sign) {
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
    Node node = make(kind, 1);
    append(*node, std::move(operand));
    return node.detach();
}

ExpressionBase* ExpressionDriver::unary_plus(Node operand) {
    ExpressionBase* checked = operand.get();
    if (checked->getType() == Expression::kParenthesis && checked->getExpressions().size() == 1) {
        if (auto* inner = dynamic_cast<ExpressionBase*>(checked->getExpressions().front());
            inner != nullptr) {
            checked = inner;
        }
    }
    check_sign_operand(*checked, "+");
    return operand.detach();
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

ExpressionBase* ExpressionDriver::number(double value, double exponent) {
    double const number = scaled(value, exponent);
    if (!std::isfinite(number)) {
        semantic_error(kSyntaxError, PovaString("number out of range"));
    }
    Node node = make(Expression::kNumber);
    VARIANT& held = node->getValue();
    held.vt = VT_R8;
    held.dblVal = number;
    return node.detach();
}

ExpressionBase* ExpressionDriver::boolean(bool value) {
    Node node = make(Expression::kBoolean);
    VARIANT& held = node->getValue();
    held.vt = VT_BOOL;
    held.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return node.detach();
}

ExpressionBase* ExpressionDriver::leaf(int kind) {
    return make(kind).detach();
}

ExpressionBase* ExpressionDriver::operator_argument(int token) {
    return make(kinds::leafKind(token)).detach();
}

ExpressionBase* ExpressionDriver::parenthesis(Node inner) {
    Node node = make(Expression::kParenthesis, 1);
    append(*node, std::move(inner));
    return node.detach();
}

ExpressionBase* ExpressionDriver::call(LONG kind, Node callee, Node argument) {
    Node node = make(kind, 2);
    append(*node, std::move(callee));
    append(*node, std::move(argument));
    return node.detach();
}

// Most argument lists are short: room for four arguments is made at once.
ExpressionBase* ExpressionDriver::list(Node first) {
    Node node = make(Expression::kEmpty, 4);
    append(*node, std::move(first));
    return node.detach();
}

ExpressionBase* ExpressionDriver::extend(Node list, Node argument) {
    append(*list, std::move(argument));
    return list.detach();
}

ExpressionBase* ExpressionDriver::function(int token, Node arguments, int suffixCode) {
    std::vector<Expression*>& list = arguments->getExpressions();
    // "f ( )" is a list of one empty argument.
    if (list.size() == 1 && list.front() == nullptr) {
        list.clear();
    }
    auto const suffix = static_cast<kinds::Suffix>(suffixCode);
    if (token == COSLexer::kDescendants && suffix == kinds::Suffix::None) {
        return descendants(std::move(arguments));
    }
    if (std::find(list.begin(), list.end(), nullptr) != list.end()) {
        semantic_error(kSyntaxError, keyword_of(token) + ": empty argument");
    }
    LONG kind = -1;
    // A closing ALL is the suffix where the keyword has such a form, else an argument.
    if (suffix == kinds::Suffix::None && !list.empty() && is_bare(list.back(), Expression::kAll) &&
        kinds::hasSuffix(token, kinds::Suffix::All)) {
        kind = kinds::functionKind(token, kinds::Suffix::All, list.size() - 1);
        if (kind >= 0) {
            Expression* const all = list.back();
            list.pop_back();
            all->release();
        }
    }
    if (kind < 0) {
        kind = kinds::functionKind(token, suffix, list.size());
    }
    if (kind < 0) {
        semantic_error(kSyntaxError,
                       keyword_of(token) + PovaString::build(": %zu arguments", list.size()));
    }
    arguments->setType(static_cast<Expression::ExpressionType>(kind));
    return arguments.detach();
}

// Descendants always has three children: the member or set, the level or distance, and the
// flag; an absent level or flag is an empty leaf, which prints as nothing, so that the printed
// text reads back into the same tree.
ExpressionBase* ExpressionDriver::descendants(Node arguments) {
    std::vector<Expression*>& list = arguments->getExpressions();
    std::size_t const count = list.size();
    bool valid = count >= 1 && count <= 3 && list[0] != nullptr;
    for (std::size_t i = 1; valid && i < count; ++i) {
        valid = list[i] != nullptr || (i == 1 && count == 3);
    }
    if (valid && count == 3) {
        valid = is_descendants_flag(list[2]);
    }
    if (!valid) {
        semantic_error(kSyntaxError, PovaString("Descendants: wrong arguments"));
    }
    if (count == 2 && is_descendants_flag(list[1])) {
        list.insert(list.begin() + 1, nullptr);
    }
    list.resize(3, nullptr);
    for (std::size_t i = 1; i < 3; ++i) {
        if (list[i] == nullptr) {
            Node empty = make(i == 1 ? Expression::kEmptyArgument : Expression::kEmptyFlag);
            empty->SetParentExpression(arguments.get());
            list[i] = empty.detach();
        }
    }
    arguments->setType(Expression::kDescendants);
    return arguments.detach();
}

}  // namespace common::grammar
