#include "ViewpointFixture.h"
#include "support/AssertionCounter.h"
#include "support/CapturingLog.h"
#include "support/RecordingListener.h"
#include "viewpoint/Orientation.h"

#include <basekit/BaseError.h>
#include <pova/Expression.h>
#include <pova/PropertySpecification.h>
#include <pova/support/Module.h>

#include <gtest/gtest.h>

#include <algorithm>

using namespace viewpoint_test;
using testing_support::AssertionCounter;
using testing_support::CapturingLog;
using testing_support::RecordingListener;

namespace {

// Each cube dimension stands on exactly one side and every axis keeps its constraints.
void expectInvariants(common::ViewpointCommon& vp, ZELT_o::Cube& cube) {
    std::vector<ZELT_o::Dimension*> expected;
    cube.getDimensions(expected);
    std::vector<ZELT_o::Dimension*> placed;
    auto const sides = vp.getSides();
    ASSERT_EQ(static_cast<LONG>(sides.size()), vp.countAxes() + vp.countPagedAxes());
    for (LONG axis = 0; axis < static_cast<LONG>(sides.size()); ++axis) {
        placed.insert(placed.end(), sides[axis].begin(), sides[axis].end());
        EXPECT_EQ(vp.minimumDimensions(axis),
                  axis < vp.countAxes() && axis < cube.countDimensions());
        EXPECT_LE(vp.maximumDimensions(axis), cube.countDimensions());
        EXPECT_GE(static_cast<LONG>(sides[axis].size()), vp.minimumDimensions(axis));
    }
    std::sort(expected.begin(), expected.end());
    std::sort(placed.begin(), placed.end());
    EXPECT_EQ(placed, expected);
}

TEST(ViewpointModel, NewViewpointDefaults) {
    Ref vp = makeViewpoint();
    EXPECT_EQ(vp->countAxes(), 0);
    EXPECT_EQ(vp->countPagedAxes(), 1);
    EXPECT_EQ(vp->getNewDimensionAxis(), vp->countAxes());
    LONG row = 0;
    LONG column = 0;
    vp->getCellSelection(&row, &column);
    EXPECT_EQ(row, -1);
    EXPECT_EQ(column, -1);
    EXPECT_EQ(vp->getID(), 0);
    EXPECT_FALSE(vp->isConnected());
    EXPECT_EQ(vp->getAxisLinkMode(), ZELT_o::kLinkOwn);
    EXPECT_NE(vp->getGUID(), GUID_NULL);
    EXPECT_NE(vp->getGUID(), vp->getDocumentGUID());
}

TEST(ViewpointModel, InstanceNumbersAndUniqueNames) {
    Ref first = makeViewpoint();
    Ref second = makeViewpoint();
    EXPECT_EQ(second->getInstance(), first->getInstance() + 1);
    EXPECT_EQ(first->getUniqueName(), PovaString::build("Viewpoint%d", first->getInstance() + 1));
    EXPECT_EQ(second->getUniqueName(), PovaString::build("Viewpoint%d", second->getInstance() + 1));
}

TEST(ViewpointModel, DefaultOrientationFillsViewAxesThenPagesTheRest) {
    struct Case {
        std::vector<std::string> dimensions;
        LONG view, paged;
        char const* layout;
    };
    for (Case const& c : std::vector<Case>{
             {{"A", "B", "C"}, 2, 1, "A | B | C,Measures"},
             {{"A", "B", "C"}, 2, 0, "A | B,C,Measures"},  // the last view axis takes the rest
             {{"A"}, 3, 1, "A | Measures |  | "},  // view axes beyond the dimensions stay empty
         }) {
        auto cube = makeCube(c.dimensions);
        Ref vp = bind(cube.get(), c.view, c.paged);
        EXPECT_EQ(layout(*vp), c.layout);
        expectInvariants(*vp, *cube);
    }
    auto cube = makeCube({"A", "B", "C"});
    Ref vp = bind(cube.get(), 2, 1);
    EXPECT_TRUE(vp->isConnected());
    EXPECT_EQ(vp->getAxisType(0), ZELT_o::Viewpoint::kView);
    EXPECT_EQ(vp->getAxisType(2), ZELT_o::Viewpoint::kSlice);
    EXPECT_EQ(vp->getDimensionAt(ZELT_o::DimensionPosition{2, 1})->getName(), "Measures");
    EXPECT_EQ(vp->getDimensionAt(LONG{3})->getName(), "Measures");
    EXPECT_EQ(vp->getDimensionAt(LONG{4}), nullptr);
    EXPECT_EQ(vp->getDimensionAt(ZELT_o::DimensionPosition{3, 0}), nullptr);
    EXPECT_EQ(vp->getAxisByDimUniqueName(cube->getDimension(2)->getUniqueName()), 2);
    EXPECT_EQ(vp->getDimIndex(cube->getDimension(1)), 1);
    EXPECT_EQ(vp->countPropertyLists(), 5);  // four dimensions and the viewpoint
}

TEST(ViewpointModel, BadOrdinalsAndTooFewDimensions) {
    auto cube = makeCube({"A", "B"});
    Ref vp = bind(cube.get());
    CapturingLog log;
    log.setVerbosity("INTERFACE", "ViewpointCommon", 5);
    Ref traced = bind(cube.get());  // a new viewpoint asks the log afresh
    EXPECT_EQ(traced->getAxisType(7), ZELT_o::Viewpoint::kNoAxisType);
    EXPECT_EQ(log.count("getAxisType failed because of invalid axis ordinal"), 1u);
    EXPECT_EQ(log.count(PovaString::build("ViewpointCommon(%03d)", traced->getInstance()).string()),
              1u);
    try {
        vp->getAxisDimensions(3);
        FAIL() << "no error";
    } catch (BaseError const& error) {
        EXPECT_EQ(error.code(), 0x02017024u);
        EXPECT_EQ(error.module(), "INTERFACE");
    }
    EXPECT_EQ(vp->minimumDimensions(-1), 0);
    EXPECT_EQ(vp->maximumDimensions(9), 0);
    std::vector<ZELT_o::Dimension*> one{cube->getDimension(0)};
    Ref fresh = makeViewpoint();
    fresh->initializeAxes(2, 0);  // no cube: no dimensions, view minimums 0
    try {
        vp->initializeAxes(3, 1);
        vp->initializeOrientation(one);
        FAIL() << "no error";
    } catch (ResultError const& error) {
        EXPECT_EQ(error.result(), E_UNEXPECTED);
    }
}

TEST(ViewpointModel, MaximumsMoveDimensionsAwayAndBack) {
    auto cube = makeCube({"A", "B", "C"});
    Ref vp = bind(cube.get(), 1, 2);  // A | B,C,Measures |
    EXPECT_EQ(layout(*vp), "A | B,C,Measures | ");
    std::vector<std::pair<ZELT_o::DimensionPosition, ZELT_o::DimensionPosition>> moves;
    vp->setMaximumDimensions(1, 1, moves);
    EXPECT_EQ(layout(*vp), "A | Measures | B,C");
    EXPECT_EQ(vp->maximumDimensions(1), 1);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0].first, (ZELT_o::DimensionPosition{1, 0}));
    EXPECT_EQ(moves[0].second, (ZELT_o::DimensionPosition{2, 0}));
    vp->setMaximumDimensions(1, 4, moves);
    EXPECT_EQ(layout(*vp), "A | B,C,Measures | ");
    EXPECT_TRUE(moves.empty());
    EXPECT_EQ(vp->maximumDimensions(1), 4);
    expectInvariants(*vp, *cube);
}

TEST(ViewpointModel, MaximumsThatCannotHoldTheCubeFail) {
    auto cube = makeCube({"A", "B", "C"});
    Ref vp = bind(cube.get(), 1, 1);
    std::vector<std::pair<ZELT_o::DimensionPosition, ZELT_o::DimensionPosition>> moves;
    vp->setMaximumDimensions(0, 1, moves);
    std::string const before = layout(*vp);
    EXPECT_EQ(codeOf([&] { vp->setMaximumDimensions(1, 2, moves); }), 0x80004005u);  // 1 + 2 < 4
    EXPECT_EQ(layout(*vp), before);
    EXPECT_TRUE(moves.empty());
}

TEST(ViewpointModel, ConstraintsRepairTheSides) {
    auto cube = makeCube({"A", "B"});
    ZELT_o::Dimension* a = cube->getDimension(0);
    ZELT_o::Dimension* b = cube->getDimension(1);
    ZELT_o::Dimension* m = cube->getDimension(2);
    using Sides = common::ViewpointCommon::Sides;
    using Constraints = std::vector<common::ViewpointCommon::Constraint>;
    auto const text = [](Sides const& sides) {
        std::string out;
        for (auto const& side : sides) {
            out += out.empty() ? "" : " | ";
            for (ZELT_o::Dimension* d : side) {
                out += d->getName().string();
            }
        }
        return out;
    };
    // Overfull axes give their last dimensions to the last axis with room; short ones take
    // from the last axis that can spare one.
    Sides sides{{a, b, m}, {}, {}};
    Constraints constraints{{1, 1}, {1, 3}, {0, 3}};
    common::applyMaximums(sides, constraints, 3);
    EXPECT_EQ(text(sides), "A |  | MeasuresB");
    std::vector<ZELT_o::Viewpoint::AxisType> types(3, ZELT_o::Viewpoint::kView);
    std::vector<bool> nulls(3, false);
    LONG numView = 2;
    common::applyMinimums(sides, constraints, types, nulls, numView);
    EXPECT_EQ(text(sides), "A | B | Measures");

    // An empty view axis that no axis can fill goes away with its constraint; more dimensions
    // than every maximum can hold is refused instead of looping.
    Sides missing{{a}, {}, {}};
    common::applyMinimums(missing, constraints, types, nulls, numView);
    EXPECT_EQ(numView, 1);
    EXPECT_EQ(text(missing), "A | ");
    EXPECT_EQ(constraints.size(), 2u);
    Sides crowded{{a, b, m, a}};
    Constraints full{{0, 3}};
    EXPECT_THROW(common::applyMaximums(crowded, full, 3), ResultError);
}

TEST(ViewpointModel, DerivedViewpointsCopyTheirBaseLayout) {
    auto cube = makeCube({"A", "B", "C"});
    Ref base = bind(cube.get());
    Ref child = derive(base.get(), 1, 1);
    EXPECT_TRUE(child->isConnected());
    EXPECT_EQ(child->getAxisLinkMode(), ZELT_o::kLinkBase);
    EXPECT_EQ(base->getAxisLinkMode(), ZELT_o::kLinkOwn);
    EXPECT_EQ(layout(*child), layout(*base));
    EXPECT_EQ(child->countAxes(), 2);
    EXPECT_EQ(child->getDimensionLinkMode(cube->getDimension(0)), ZELT_o::kLinkBase);
    EXPECT_EQ(child->getRoot(), base.get());
    auto childCube = support::adopt(child->getCube());
    EXPECT_EQ(childCube.get(), cube.get());
    auto baseOfChild = support::adopt(child->getBaseViewpoint());
    EXPECT_EQ(baseOfChild.get(), static_cast<ZELT_o::Viewpoint*>(base.get()));
    std::vector<ZELT_o::Dimension*> order;
    child->retrieveBaseOrientation(order);
    EXPECT_EQ(order.size(), 4u);
    EXPECT_EQ(base->getChildren().size(), 1u);
}

TEST(ViewpointModel, ChildListTracesAndLeavesWithTheChild) {
    auto cube = makeCube({"A", "B"});
    Ref base = bind(cube.get());
    CapturingLog log;
    log.setVerbosity("INTERFACE", "ViewpointCommon", 5);
    {
        Ref child = derive(base.get());
        EXPECT_EQ(log.count("added to child list of"), 1u);
        EXPECT_EQ(base->getChildren().size(), 1u);
    }
    EXPECT_EQ(log.count("removed from child list of"), 1u);
    EXPECT_TRUE(base->getChildren().empty());
}

TEST(ViewpointModel, BindingAndUnbindingTellEveryViewpointOfTheTreeOnce) {
    auto cube = makeCube({"A", "B"});
    Ref root = makeViewpoint();
    Ref child = derive(root.get());
    Ref grandchild = derive(child.get());
    RecordingListener listeners[3];
    Ref const tree[] = {root, child, grandchild};
    for (int i = 0; i < 3; ++i) {
        tree[i]->addListener(&listeners[i]);
    }
    LONG const before = grandchild->getConnectionCounter();
    root->setCube(cube.get(), 2, 1);
    root->setCube(nullptr, 2, 1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(listeners[i].calls(),
                  (std::vector<std::string>{"connected()", "viewpointChanged()",
                                            "disconnected(false)", "viewpointChanged()"}));
        tree[i]->removeListener(&listeners[i]);
    }
    EXPECT_EQ(grandchild->getConnectionCounter(), before + 1);
    EXPECT_FALSE(grandchild->isConnected());
}

TEST(ViewpointModel, ExpressionsComeFromTheViewpointAndAreCheckedByTheProvider) {
    Ref unbound = makeViewpoint();
    PovaString formula("1 + 2");
    EXPECT_EQ(codeOf([&] { unbound->initialiseFromExpression(formula); }), 0xC201120Du);
    EXPECT_EQ(codeOf([&] { unbound->validateServerExpression(formula); }), 0xC201120Du);
    EXPECT_EQ(codeOf([&] { unbound->validateCalculationExpression(formula); }), 0xC201120Du);
    auto cube = makeCube({"A"});
    Ref vp = bind(cube.get());
    EXPECT_TRUE(vp->validateServerExpression(formula));
    ZELT_o::Expression* raw = nullptr;
    vp->CreateNewExpression(&raw);
    auto expression = support::adopt(raw);
    ASSERT_TRUE(expression);
    EXPECT_TRUE(expression->setTextAndCreateTree(formula, cube.get(), true));
    PovaString text = expression->getTextFromTree();
    EXPECT_EQ(text.trim(), "1 + 2");
}

TEST(ViewpointModel, QueryGoesToTheProvider) {
    memcube::CubeBuilder builder("Tiny");
    builder.dimension("A", {"a1", "a2"}).dimension("B", {"b1", "b2"}).measures({"Value"});
    builder.fact({"a1", "b1"}, {1}).fact({"a1", "b2"}, {2}).fact({"a2", "b1"}, {4});
    auto cube = builder.build();
    Ref vp = bind(cube.get(), 2, 1);  // A | B | Measures
    ASSERT_NE(vp->getDerivedViewpoint(), nullptr);
    std::vector<ZELT_o::PropertySpecification> noProperties;
    auto result = support::adopt(vp->query(&noProperties));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->getAxisCount(), 2);
    EXPECT_EQ(result->getItemCount(), result->getAxisLength(0) * result->getAxisLength(1));
    EXPECT_DOUBLE_EQ(result->getMaximum(), 4);
}

}  // namespace
