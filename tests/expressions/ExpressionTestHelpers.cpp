#include "ExpressionTestHelpers.h"

#include <vector>

namespace expression_test {

Tree parse(PovaString const& text, ZELT_o::Cube* cube, bool lookup) {
    Tree tree = newTree();
    try {
        EXPECT_TRUE(tree->setTextAndCreateTree(text, cube, lookup));
    } catch (BaseError const& error) {
        ADD_FAILURE() << "parsing [" << text.string() << "]: " << error.what();
    }
    return tree;
}

std::string printed(PovaString const& text, ZELT_o::Cube* cube, bool lookup) {
    return parse(text, cube, lookup)->getTextFromTree().string();
}

BaseError caughtError(std::function<void()> const& action) {
    try {
        action();
    } catch (BaseError const& error) {
        return error;
    }
    ADD_FAILURE() << "no error thrown";
    return BaseError(0, "none");
}

BaseError parseError(PovaString const& text, ZELT_o::Cube* cube, bool lookup) {
    Tree tree = newTree();
    BaseError error = caughtError([&] { tree->setTextAndCreateTree(text, cube, lookup); });
    // A failed parse leaves no partial tree behind.
    EXPECT_EQ(tree->getType(), ZELT_o::Expression::kEmpty) << text.string();
    EXPECT_TRUE(tree->getExpressions().empty()) << text.string();
    return error;
}

Tree leaf(ZELT_o::Expression::ExpressionType kind, char const* name) {
    Tree node = newTree();
    node->setType(kind);
    if (name != nullptr) {
        node->setStringValue(PovaString(name).c_str());
    }
    return node;
}

Tree number(double value) {
    Tree node = leaf(ZELT_o::Expression::kNumber);
    node->getValue().vt = VT_R8;
    node->getValue().dblVal = value;
    return node;
}

common::ExpressionBase* add(common::ExpressionBase* parent, Tree child) {
    parent->AddNewChild(child.detach());
    return parent;
}

std::string shape(ZELT_o::Expression* tree) {
    std::string text = std::to_string(tree->getType());
    if (tree->getStringValue() != nullptr && *tree->getStringValue() != 0) {
        text += '[';
        text += PovaString(tree->getStringValue()).string();
        text += ']';
    } else if (tree->getType() == ZELT_o::Expression::kNumber) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "[%g]", tree->getValue().dblVal);
        text += buffer;
    }
    std::vector<ZELT_o::Expression*> const& children = tree->getExpressions();
    if (!children.empty()) {
        text += "(";
        for (std::size_t i = 0; i < children.size(); ++i) {
            if (i > 0) {
                text += ',';
            }
            text += shape(children[i]);
        }
        text += ")";
    }
    return text;
}

}  // namespace expression_test
