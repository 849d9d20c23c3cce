#include "expressions/ExpressionKinds.h"

#include "expressions/COSLexer.h"

#include <array>

namespace common::expression_kinds {

namespace {

constexpr KindInfo kKinds[] = {
#define POVA_EXPRESSION_KIND(number, name, keyword, text, form, suffix, token, minArgs, maxArgs) \
    {number,  #name,  u"" keyword, Text::text, Form::form, Suffix::suffix, COSLexer::k##token,   \
     minArgs, maxArgs},
#include <pova/ExpressionKinds.def>
};

constexpr std::size_t kKindCount = sizeof kKinds / sizeof kKinds[0];

// The table is indexed by kind number.
constexpr bool numbered_in_order() {
    for (std::size_t i = 0; i < kKindCount; ++i) {
        if (kKinds[i].number != static_cast<LONG>(i)) {
            return false;
        }
    }
    return true;
}
static_assert(numbered_in_order(), "ExpressionKinds.def must list the kinds 0, 1, 2 ... in order");

constexpr std::size_t kTokenCount = COSLexer::kLastToken + 1;

// Kinds built from a keyword's argument list, by token (a few per token at most).
constexpr std::size_t kMostArgumentKinds = 4;

struct TokenKinds {
    std::array<LONG, kTokenCount> infix{};
    std::array<LONG, kTokenCount> leaf{};
    std::array<std::array<LONG, kMostArgumentKinds>, kTokenCount> arguments{};
};

constexpr bool takes_arguments(Form form) {
    return form == Form::Function || form == Form::Property || form == Form::Wrapped;
}

constexpr TokenKinds make_token_kinds() {
    TokenKinds kinds;
    kinds.infix.fill(-1);
    kinds.leaf.fill(-1);
    for (auto& list : kinds.arguments) {
        list.fill(-1);
    }
    for (KindInfo const& info : kKinds) {
        if (info.token == COSLexer::kNoToken) {
            continue;
        }
        auto const token = static_cast<std::size_t>(info.token);
        if (info.form == Form::Infix) {
            kinds.infix[token] = info.number;
        } else if (info.form == Form::Leaf) {
            kinds.leaf[token] = info.number;
        } else if (takes_arguments(info.form)) {
            std::size_t slot = 0;
            while (kinds.arguments[token][slot] >= 0) {
                ++slot;  // a fifth kind for one token fails the constant evaluation here
            }
            kinds.arguments[token][slot] = info.number;
        }
    }
    return kinds;
}

constexpr TokenKinds kTokenKinds = make_token_kinds();

}  // namespace

KindInfo const* find(LONG kind) {
    if (kind < 0 || static_cast<std::size_t>(kind) >= kKindCount) {
        return nullptr;
    }
    return &kKinds[kind];
}

OLECHAR const* suffixText(Suffix suffix) {
    switch (suffix) {
        case Suffix::Recursive:
            return u", RECURSIVE";
        case Suffix::All:
            return u", ALL";
        case Suffix::Post:
            return u", POST";
        case Suffix::ExcludeEmpty:
            return u", ExcludeEmpty";
        case Suffix::IncludeEmpty:
            return u", IncludeEmpty";
        case Suffix::None:
            break;
    }
    return u"";
}

LONG infixKind(int token) {
    if (token < 0 || static_cast<std::size_t>(token) >= kTokenCount) {
        return -1;
    }
    return kTokenKinds.infix[static_cast<std::size_t>(token)];
}

LONG leafKind(int token) {
    if (token < 0 || static_cast<std::size_t>(token) >= kTokenCount) {
        return -1;
    }
    return kTokenKinds.leaf[static_cast<std::size_t>(token)];
}

LONG functionKind(int token, Suffix suffix, std::size_t argumentCount) {
    if (token <= COSLexer::kNoToken || static_cast<std::size_t>(token) >= kTokenCount) {
        return -1;
    }
    for (LONG const kind : kTokenKinds.arguments[static_cast<std::size_t>(token)]) {
        if (kind < 0) {
            break;
        }
        KindInfo const& info = kKinds[kind];
        if (info.suffix != suffix || argumentCount < static_cast<std::size_t>(info.minArgs)) {
            continue;
        }
        if (info.maxArgs >= 0 && argumentCount > static_cast<std::size_t>(info.maxArgs)) {
            continue;
        }
        return info.number;
    }
    return -1;
}

bool takesArguments(int token) {
    return token > COSLexer::kNoToken && static_cast<std::size_t>(token) < kTokenCount &&
           kTokenKinds.arguments[static_cast<std::size_t>(token)][0] >= 0;
}

bool hasSuffix(int token, Suffix suffix) {
    if (token <= COSLexer::kNoToken || static_cast<std::size_t>(token) >= kTokenCount) {
        return false;
    }
    for (LONG const kind : kTokenKinds.arguments[static_cast<std::size_t>(token)]) {
        if (kind >= 0 && kKinds[kind].suffix == suffix) {
            return true;
        }
    }
    return false;
}

}  // namespace common::expression_kinds
