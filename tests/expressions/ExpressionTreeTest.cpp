// Building, comparing, copying and tearing down trees node by node.
#include "ExpressionTestHelpers.h"

#include <basekit/BaseError.h>
#include <pova/Format.h>

#include <gtest/gtest.h>

using namespace expression_test;
using ZELT_o::Expression;

namespace {

TEST(ExpressionTree, NewNodeIsEmpty) {
    Expression* raw = nullptr;
    common::ExpressionBase::createNew(&raw);
    auto const tree = support::adopt(raw);
    ASSERT_NE(tree.get(), nullptr);
    EXPECT_EQ(tree->getRefCount(), 1);
    EXPECT_EQ(tree->getType(), Expression::kEmpty);
    EXPECT_EQ(tree->getText(), PovaString());
    EXPECT_EQ(tree->getStringValue(), nullptr);
    EXPECT_EQ(tree->getValue().vt, VT_EMPTY);
    EXPECT_EQ(tree->GetParentExpression(), nullptr);
    EXPECT_EQ(tree->GetParent(), nullptr);
    EXPECT_TRUE(tree->getExpressions().empty());
    EXPECT_THROW(common::ExpressionBase::createNew(nullptr), ResultError);
}

TEST(ExpressionTree, AddNewChildTakesOverAndClearsTheText) {
    Tree root = newTree();
    root->setText("old text");
    Expression* made = root->AddNewChild();
    EXPECT_EQ(root->getText(), PovaString());
    EXPECT_EQ(made->GetParentExpression(), root.get());
    EXPECT_EQ(made->getType(), Expression::kEmpty);

    root->setText("again");
    Tree given = leaf(Expression::kQuotedName, "x");
    given->addRef();  // a reference of the test's own, to watch the count
    Expression* added = root->AddNewChild(given.get());
    EXPECT_EQ(added, given.get());
    EXPECT_EQ(root->getText(), PovaString());
    EXPECT_EQ(given->GetParentExpression(), root.get());
    EXPECT_EQ(given->getRefCount(), 2);
    EXPECT_EQ(root->getExpressions(), (std::vector<Expression*>{made, given.get()}));

    // Removing a child releases it; removing a stranger is a fault.
    root->RemoveChild(given.get());
    EXPECT_EQ(given->getRefCount(), 1);
    EXPECT_EQ(root->getExpressions().size(), 1u);
    Tree stranger = newTree();
    try {
        root->RemoveChild(stranger.get());
        ADD_FAILURE() << "no error";
    } catch (ResultError const& error) {
        EXPECT_EQ(error.result(), static_cast<HRESULT>(0x8000FFFF));
    }
}

TEST(ExpressionTree, RemoveAllChildrenReleasesThemAndEmptiesTheKind) {
    Tree root = leaf(Expression::kAdd);
    Tree one = number(1);
    add(root.get(), one);
    add(root.get(), number(2));
    root->setText("1 + 2");
    EXPECT_EQ(one->getRefCount(), 2);
    root->RemoveAllChildren();
    EXPECT_TRUE(root->getExpressions().empty());
    EXPECT_EQ(root->getType(), Expression::kEmpty);
    EXPECT_EQ(root->getText(), PovaString("1 + 2"));
    EXPECT_EQ(one->getRefCount(), 1);
}

TEST(ExpressionTree, EqualityComparesChildrenByIdentity) {
    Tree a = parse("x + 1");
    Tree b = parse("x + 1");
    // Equal text, different child objects.
    EXPECT_FALSE(*a == *b);
    // setExpressions does not count: the caller releases the children it drops and gives the
    // node a reference to each child it stores.
    std::vector<Expression*> const dropped = b->getExpressions();
    b->setExpressions(a->getExpressions());
    for (Expression* child : dropped) {
        child->release();
    }
    for (Expression* child : b->getExpressions()) {
        child->addRef();
    }
    b->setText(a->getText());
    EXPECT_TRUE(*a == *b);
    Tree c = leaf(Expression::kQuotedName, "n");
    Tree d = leaf(Expression::kQuotedName, "n");
    // The same name in two buffers is not the same string value.
    EXPECT_FALSE(*c == *d);
    d->setStringValue(nullptr);
    c->setStringValue(nullptr);
    EXPECT_TRUE(*c == *d);
    // Values: same type and equal; an integer 1 is not a double 1.
    Tree e = number(1);
    Tree f = number(1);
    EXPECT_TRUE(*e == *f);
    f->getValue().vt = VT_I4;
    f->getValue().lVal = 1;
    EXPECT_FALSE(*e == *f);
    Tree g = number(2);
    EXPECT_FALSE(*e == *g);
    Tree h = number(1);
    h->setText("1");
    EXPECT_FALSE(*e == *h);
}

TEST(ExpressionTree, CloneCopiesDeeplyAndReparents) {
    class Context : public ZELT_o::ContextSpecification {};
    Context context;
    Tree parent = newTree();
    Tree tree = parse("Abs( a ) + b");
    tree->SetParentExpression(parent.get());
    tree->SetParent(&context);
    tree->getExpressions()[1]->setText("kept");
    auto const copy = support::adopt(tree->clone());
    EXPECT_EQ(copy->GetParentExpression(), parent.get());
    EXPECT_EQ(copy->GetParent(), &context);
    EXPECT_EQ(copy->getText(), tree->getText());
    EXPECT_EQ(copy->getTextFromTree(), tree->getTextFromTree());
    EXPECT_EQ(shape(copy.get()), shape(tree.get()));
    std::vector<Expression*> const& children = copy->getExpressions();
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(children[1]->getText(), PovaString("kept"));
    for (std::size_t i = 0; i < children.size(); ++i) {
        EXPECT_NE(children[i], tree->getExpressions()[i]);
        EXPECT_EQ(children[i]->GetParentExpression(), copy.get());
        EXPECT_EQ(children[i]->getRefCount(), 1);
    }
    Expression* grandchild = children[0]->getExpressions()[0];
    EXPECT_EQ(grandchild->GetParentExpression(), children[0]);
    // Its own copy of the name.
    EXPECT_NE(grandchild->getStringValue(),
              tree->getExpressions()[0]->getExpressions()[0]->getStringValue());
    EXPECT_EQ(PovaString(grandchild->getStringValue()), PovaString("a"));
}

// A chain built with AddNewChild, far deeper than any stack could recurse, prints, copies,
// saves and goes away.
TEST(ExpressionTree, DeepChainIsHandledWithoutRecursion) {
    constexpr int kDepth = 100000;
    Tree root = newTree();
    Expression* node = root.get();
    for (int i = 0; i < kDepth; ++i) {
        node->setType(Expression::kParenthesis);
        node = node->AddNewChild();
    }
    node->setType(Expression::kNumber);
    node->getValue().vt = VT_R8;
    node->getValue().dblVal = 5;
    PovaString const text = root->getTextFromTree();
    EXPECT_EQ(text.size(), static_cast<std::size_t>(kDepth) * 6 + 3);
    auto const copy = support::adopt(root->clone());
    EXPECT_EQ(copy->getTextFromTree(), text);
    root->RemoveAllChildren();
}

}  // namespace
