// Building, comparing, copying and printing trees node by node.
#include "ExpressionTestHelpers.h"
#include "support/AssertionCounter.h"

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
    EXPECT_EQ(shape(tree.get()), "141");
    EXPECT_EQ(tree->getRefCount(), 1);
    EXPECT_EQ(tree->getText(), PovaString());
    EXPECT_EQ(tree->getStringValue(), nullptr);
    EXPECT_EQ(tree->getValue().vt, VT_EMPTY);
    EXPECT_EQ(tree->GetParentExpression(), nullptr);
    EXPECT_EQ(tree->GetParent(), nullptr);
    EXPECT_EQ(caughtResult([] { common::ExpressionBase::createNew(nullptr); }), E_INVALIDARG);
}

TEST(ExpressionTree, ChildrenAreTakenOverAndReleased) {
    Tree root = newTree();
    root->setText("old text");
    Expression* made = root->AddNewChild();
    EXPECT_EQ(root->getText(), PovaString());
    EXPECT_EQ(made->GetParentExpression(), root.get());
    EXPECT_EQ(made->getType(), Expression::kEmpty);

    root->setText("again");
    Tree given = build("193[x]");
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
    EXPECT_EQ(caughtResult([&] { root->RemoveChild(newTree().get()); }), E_UNEXPECTED);

    // Removing them all releases them and empties the kind; the text stays.
    given->addRef();
    root->AddNewChild(given.get());
    root->setType(Expression::kAdd);
    root->setText("kept");
    root->RemoveAllChildren();
    EXPECT_TRUE(root->getExpressions().empty());
    EXPECT_EQ(root->getType(), Expression::kEmpty);
    EXPECT_EQ(root->getText(), PovaString("kept"));
    EXPECT_EQ(given->getRefCount(), 1);
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
    for (std::size_t i = 0; i < dropped.size(); ++i) {
        dropped[i]->release();
        b->getExpressions()[i]->addRef();
    }
    EXPECT_TRUE(*a == *b);
    // The same name in two buffers is not the same string value; values compare by type
    // and value (an integer 1 is not a double 1).
    EXPECT_FALSE(*build("193[n]") == *build("193[n]"));
    EXPECT_TRUE(*build("193") == *build("193"));
    Tree e = build("142[1]");
    EXPECT_TRUE(*e == *build("142[1]"));
    EXPECT_FALSE(*e == *build("142[2]"));
    Tree f = build("142[1]");
    f->getValue().vt = VT_I4;
    f->getValue().lVal = 1;
    EXPECT_FALSE(*e == *f);
    e->setText("1");
    EXPECT_FALSE(*e == *build("142[1]"));
}

TEST(ExpressionTree, CloneCopiesDeeplyAndReparents) {
    class Context : public ZELT_o::ContextSpecification {};
    Context context;
    Tree parent = newTree();
    Tree tree = parse("Abs( a ) + b");
    tree->SetParentExpression(parent.get());
    tree->SetParent(&context);
    tree->getExpressions()[0]->setText("kept");
    auto const copy = support::adopt(tree->clone());
    EXPECT_EQ(copy->GetParentExpression(), parent.get());
    EXPECT_EQ(copy->GetParent(), &context);
    // The same kinds, texts, values and names: saved alike.
    EXPECT_EQ(saved(*copy), saved(*tree));
    std::vector<Expression*> const& children = copy->getExpressions();
    ASSERT_EQ(children.size(), 2u);
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
}

TEST(ExpressionText, Cases) {
    std::string const kDefault =
        "! \"Default type processing in ExpressionBase::convert_node_to_string()\"";
    for (Case const& c : cases("print")) {
        testing::ScopedTrace const trace("corpus/cases.txt", c.line, c.input);
        testing_support::AssertionCounter assertions;
        EXPECT_EQ(build(c.input)->getTextFromTree().string(), c.expected);
        EXPECT_EQ(assertions.count(), c.has("assert") ? 1u : 0u);
        EXPECT_EQ(assertions.count(kDefault), assertions.count());
    }
}

}  // namespace
