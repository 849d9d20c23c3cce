// Text of expression trees: printing and parsing.
#include <pova/common/ExpressionBase.h>

#include <basekit/AssertionFailure.h>
#include <basekit/BaseError.h>
#include <pova/support/Module.h>
#include "expressions/COSLexer.h"

#include "expressions/ExpressionDriver.h"
#include "expressions/ExpressionKinds.h"

#include <utility>

namespace common {

namespace kinds = expression_kinds;

namespace {

bool is_word_character(OLECHAR c) {
    return PovaFormatLexer::isLetter(c) || PovaFormatLexer::isDigit(c) || c == u'_';
}

bool is_empty_argument(ZELT_o::Expression const* node) {
    if (node == nullptr) {
        return false;
    }
    LONG const type = node->getType();
    return type == ZELT_o::Expression::kEmptyArgument || type == ZELT_o::Expression::kEmptyFlag;
}

// One node being printed: which of its parts comes next.
struct Frame {
    ExpressionBase* node;
    kinds::Form form;
    kinds::Suffix suffix;
    std::u16string_view keyword;
    std::size_t step = 0;
};

// The text being printed, only ever appended to, so that printing stays linear in the size of
// the text. After an infix keyword that ends in a letter a blank is owed to an operand that
// starts with a word character; whether it does shows only when the operand writes its first
// character, so the blank is written then.
class Output {
public:
    void append(std::u16string_view text) {
        if (!text.empty()) {
            pay_owed_blank(text.front());
            fText += text;
        }
    }
    void append(OLECHAR c) {
        pay_owed_blank(c);
        fText += c;
    }
    // The next character written, if it starts a word, is kept apart from the text so far.
    void separateNextWord() {
        fBlankOwed = !fText.empty() && PovaFormatLexer::isLetter(fText.back());
    }
    // The operand that was owed a blank is over, whether or not it wrote anything.
    void forgetOwedBlank() { fBlankOwed = false; }
    bool endsWithWordCharacter() const { return !fText.empty() && is_word_character(fText.back()); }
    std::u16string take() { return std::move(fText); }

private:
    void pay_owed_blank(OLECHAR next) {
        if (fBlankOwed) {
            fBlankOwed = false;
            if (is_word_character(next)) {
                fText += u' ';
            }
        }
    }

    std::u16string fText;
    bool fBlankOwed = false;
};

}  // namespace

std::u16string_view ExpressionBase::keyword(std::u16string& scratch) {
    if (fRestorePending) {
        restore_parameter();
    }
    kinds::KindInfo const* info = kinds::find(fType);
    if (info == nullptr || info->text == kinds::Text::Missing) {
        AssertionFailure(
            "! \"Default type processing in ExpressionBase::convert_node_to_string()\"",
            "ExpressionBase", __LINE__);
        return {};
    }
    switch (info->text) {
        case kinds::Text::Fixed:
            return info->keyword;
        case kinds::Text::Quoted: {
            scratch = u"{ ";
            for (OLECHAR const* c = fStringValue.get(); c != nullptr && *c != 0; ++c) {
                scratch += *c;
                if (*c == u'}') {
                    scratch += u'}';
                }
            }
            scratch += u" }";
            return scratch;
        }
        case kinds::Text::Number: {
            basekit::Variant text;
            scratch.clear();
            if (VariantChangeType(text.get(), fValue.get(), 0, VT_BSTR) >= 0 &&
                text->vt == VT_BSTR && text->bstrVal != nullptr) {
                scratch.assign(text->bstrVal, SysStringLen(text->bstrVal));
            }
            return scratch;
        }
        case kinds::Text::Boolean:
            return fValue->boolVal != 0 ? u"True" : u"False";
        case kinds::Text::Parameter:
            scratch = u"<<";
            if (fStringValue != nullptr) {
                scratch += fStringValue.get();
            }
            scratch += u">>";
            return scratch;
        case kinds::Text::Blank:
        case kinds::Text::Missing:
            break;
    }
    return {};
}

// The forms are written with an explicit stack of nodes, so that any depth can be printed.
PovaString ExpressionBase::getTextFromTree() {
    Output out;
    std::u16string scratch;
    std::vector<Frame> stack;

    auto enter = [&](ZELT_o::Expression* expression) {
        auto* node = dynamic_cast<ExpressionBase*>(expression);
        if (node == nullptr) {
            out.append(expression->getTextFromTree().wstring());
            return;
        }
        std::u16string_view const keyword = node->keyword(scratch);
        kinds::KindInfo const* info = kinds::find(node->fType);
        kinds::Form const form = info != nullptr ? info->form : kinds::Form::Function;
        if (form == kinds::Form::Leaf) {
            // Leaves are written at once: their keyword may live in `scratch`.
            out.append(u' ');
            out.append(keyword);
            out.append(u' ');
            return;
        }
        if (form == kinds::Form::Empty) {
            return;
        }
        stack.push_back(
            Frame{node, form, info != nullptr ? info->suffix : kinds::Suffix::None, keyword});
    };

    enter(this);
    while (!stack.empty()) {
        Frame& frame = stack.back();
        std::vector<ZELT_o::Expression*> const& children = frame.node->fChildren;
        auto child = [&](std::size_t i) -> ZELT_o::Expression* {
            return i < children.size() ? children[i] : nullptr;
        };
        ZELT_o::Expression* next = nullptr;
        bool done = false;
        std::size_t const step = frame.step++;
        switch (frame.form) {
            case kinds::Form::PassThrough:
                // " " first child " "
                out.append(u' ');
                next = step == 0 ? child(0) : nullptr;
                done = step > 0;
                break;
            case kinds::Form::Call:
                // " " first child "(" second child ") "
                if (step == 0) {
                    out.append(u' ');
                    next = child(0);
                } else if (step == 1) {
                    out.append(u'(');
                    next = child(1);
                } else {
                    out.append(u") ");
                    done = true;
                }
                break;
            case kinds::Form::IsNull:
                out.append(step == 0 ? u" " : u" Is Null ");
                next = step == 0 ? child(0) : nullptr;
                done = step > 0;
                break;
            case kinds::Form::Infix:
                // first child, keyword, second child. A blank goes between the keyword and an
                // operand only where they would otherwise run together into one word.
                if (children.empty()) {
                    done = true;
                } else if (step == 0) {
                    next = child(0);
                } else if (step == 1) {
                    if (!frame.keyword.empty() && out.endsWithWordCharacter() &&
                        is_word_character(frame.keyword.front())) {
                        out.append(u' ');
                    }
                    out.append(frame.keyword);
                    out.separateNextWord();
                    next = child(1);
                    done = next == nullptr;
                } else {
                    done = true;
                }
                if (done) {
                    out.forgetOwedBlank();
                }
                break;
            case kinds::Form::Parenthesis:
                if (children.empty()) {
                    done = true;
                } else {
                    out.append(step == 0 ? u" ( " : u" ) ");
                    next = step == 0 ? child(0) : nullptr;
                    done = step > 0;
                }
                break;
            case kinds::Form::Property:
                if (step == 0) {
                    out.append(u' ');
                    out.append(frame.keyword);
                    out.append(u"( ");
                    next = child(0);
                } else {
                    out.append(u" )");
                    done = true;
                }
                break;
            case kinds::Form::Wrapped:
                if (children.empty()) {
                    done = true;
                } else if (step == 0) {
                    out.append(frame.keyword);
                    out.append(u" ( ");
                    next = child(0);
                } else {
                    out.append(u" ) ");
                    done = true;
                }
                break;
            case kinds::Form::Function:
            default:
                // keyword " (" children, separated by "," unless an empty argument follows,
                // suffix ") "
                if (step == 0) {
                    out.append(frame.keyword);
                    out.append(u" (");
                }
                if (step < children.size()) {
                    if (step > 0 && !is_empty_argument(children[step])) {
                        out.append(u',');
                    }
                    next = children[step];
                } else {
                    out.append(kinds::suffixText(frame.suffix));
                    out.append(u") ");
                    done = true;
                }
                break;
        }
        if (done) {
            stack.pop_back();
        } else if (next != nullptr) {
            enter(next);
        }
    }
    return PovaString(out.take());
}

bool ExpressionBase::setTextAndCreateTree(PovaString const& text, ZELT_o::Cube* cube, bool lookup) {
    // Whatever the node held goes first, whatever its kind: children added node by node leave
    // the kind empty.
    clear_content();
    fText = text;
    if (text.empty()) {
        return true;
    }
    try {
        COSLexer lexer(text, cube);
        lexer.setLookup(lookup);
        support::Ref<ExpressionBase> tree = grammar::ExpressionDriver::parseText(lexer);
        // The root takes over the top node's content, so that callers keep their node.
        take_content(*tree);
        grammar::ExpressionDriver::recycle(std::move(tree));
        return true;
    } catch (BaseError const& error) {
        RemoveAllChildren();
        error.log(support::moduleLog());
        throw;
    } catch (...) {
        RemoveAllChildren();
        throw;
    }
}

bool ExpressionBase::convertFromSkiff(PovaString& text, ZELT_o::Cube* cube) {
    try {
        if (!setTextAndCreateTree(text, cube, true)) {
            return false;
        }
    } catch (...) {
        return false;
    }
    text = getTextFromTree();
    return true;
}

}  // namespace common
