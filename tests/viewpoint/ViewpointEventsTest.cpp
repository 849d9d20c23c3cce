#include "ViewpointFixture.h"
#include "support/RecordingListener.h"
#include "viewpoint/ViewpointVisitors.h"

#include <basekit/BaseError.h>

#include <gtest/gtest.h>

using namespace viewpoint_test;
using testing_support::RecordingListener;
using Calls = std::vector<std::string>;

namespace {

// A viewpoint bound to a cube with a recording listener registered for the test's life.
struct Watched {
    explicit Watched(Ref viewpoint) : vp(std::move(viewpoint)) { vp->addListener(&listener); }
    ~Watched() { vp->removeListener(&listener); }
    Ref vp;
    RecordingListener listener;
};

TEST(ViewpointEvents, HoldTwoChangesRelease) {
    auto cube = makeCube({"A", "B", "C"});
    Watched w(bind(cube.get()));
    w.listener.clear();
    w.vp->holdEvents();
    EXPECT_EQ(w.listener.calls(), Calls{"transitionStarted()"});
    EXPECT_TRUE(w.vp->eventsHeld());
    w.vp->setAxisExcludeNULLs(0, true);
    w.vp->setAxisExcludeNULLs(1, true);
    EXPECT_EQ(w.listener.calls(), Calls{"transitionStarted()"});
    w.vp->releaseEvents();
    EXPECT_FALSE(w.vp->eventsHeld());
    EXPECT_EQ(w.listener.calls(), (Calls{"transitionStarted()", "axisChanged(0)", "cellsChanged()",
                                         "viewpointChanged()", "axisChanged(1)", "cellsChanged()",
                                         "viewpointChanged()", "transitionCompleted()"}));
}

TEST(ViewpointEvents, HoldChangeThenOperationsUndone) {
    auto cube = makeCube({"A", "B", "C"});
    Watched w(bind(cube.get()));
    w.listener.clear();
    w.vp->holdEvents();
    w.vp->setAxisExcludeNULLs(0, true);
    w.vp->operationsUndone();
    EXPECT_EQ(w.listener.calls(), (Calls{"transitionStarted()", "transitionAborted()"}));
    EXPECT_FALSE(w.vp->eventsHeld());
}

TEST(ViewpointEvents, HoldIsAFlagNotACount) {
    auto cube = makeCube({"A", "B"});
    Watched w(bind(cube.get()));
    w.listener.clear();
    w.vp->holdEvents();
    w.vp->holdEvents();
    w.vp->releaseEvents();
    EXPECT_FALSE(w.vp->eventsHeld());
    EXPECT_EQ(w.listener.calls(),
              (Calls{"transitionStarted()", "transitionStarted()", "transitionCompleted()"}));
}

TEST(ViewpointEvents, ExcludeNullsOnAxisOne) {
    auto cube = makeCube({"A", "B", "C"});
    Watched w(bind(cube.get()));
    w.listener.clear();
    w.vp->setAxisExcludeNULLs(1, true);
    EXPECT_TRUE(w.vp->isAxisNULLFiltered(1));
    EXPECT_FALSE(w.vp->isAxisNULLFiltered(0));
    EXPECT_FALSE(w.vp->isAxisNULLFiltered(9));
    EXPECT_EQ(w.listener.calls(),
              (Calls{"axisChanged(1)", "cellsChanged()", "viewpointChanged()"}));
    try {
        w.vp->setAxisExcludeNULLs(5, true);
        FAIL() << "no error";
    } catch (BaseError const& error) {
        EXPECT_EQ(error.code(), 0x02017024u);
    }
}

// The tree of the descent tests: root -> linked (sort link 2, axis link 2) -> grandchild;
// root -> own (sort link 0, axis link 0) -> its child (sort link 2, axis link 2).
struct Tree {
    explicit Tree(ZELT_o::Cube* cube)
        : root(bind(cube)),
          linked(derive(root.get())),
          grandchild(derive(linked.get())),
          own(derive(root.get())),
          ownChild(derive(own.get())) {
        linked->setSortLinkMode(ZELT_o::kLinkBase);
        grandchild->setSortLinkMode(ZELT_o::kLinkBase);
        ownChild->setSortLinkMode(ZELT_o::kLinkBase);
        own->setAxisLinkMode(ZELT_o::kLinkOwn);
        for (std::size_t i = 0; i < 5; ++i) {
            all()[i]->addListener(&listeners[i]);
        }
        clear();
    }
    ~Tree() {
        for (std::size_t i = 0; i < 5; ++i) {
            all()[i]->removeListener(&listeners[i]);
        }
    }
    std::vector<common::ViewpointCommon*> all() {
        return {root.get(), linked.get(), grandchild.get(), own.get(), ownChild.get()};
    }
    void clear() {
        for (RecordingListener& listener : listeners) {
            listener.clear();
        }
    }
    // Which viewpoints heard anything.
    std::vector<bool> reached() {
        std::vector<bool> result;
        for (RecordingListener& listener : listeners) {
            result.push_back(!listener.calls().empty());
        }
        return result;
    }
    Ref root, linked, grandchild, own, ownChild;
    RecordingListener listeners[5];
};

TEST(ViewpointEvents, SortWalksReachOnlySortLinkedChildren) {
    auto cube = makeCube({"A", "B"});
    Tree tree(cube.get());
    auto walk = common::SortVisitor(nullptr);
    tree.root->visitTree(walk);
    tree.root->sendEvents();
    EXPECT_EQ(tree.reached(), (std::vector<bool>{true, true, true, false, false}));
}

TEST(ViewpointEvents, AxisWalksSkipAChildWithItsOwnLayoutAndItsSubtree) {
    auto cube = makeCube({"A", "B"});
    Tree tree(cube.get());
    tree.root->setAxisExcludeNULLs(0, true);
    EXPECT_EQ(tree.reached(), (std::vector<bool>{true, true, true, false, false}));
    EXPECT_TRUE(tree.grandchild->isAxisNULLFiltered(0));
    EXPECT_FALSE(tree.own->isAxisNULLFiltered(0));
}

TEST(ViewpointEvents, AlwaysWalksReachEveryViewpoint) {
    auto cube = makeCube({"A", "B"});
    Tree tree(cube.get());
    tree.root->notifyMemberLabelChanged();  // public entry; runs on this viewpoint only
    auto walk = common::CellChangeVisitor();
    tree.root->visitTree(walk);
    tree.root->sendEvents();
    EXPECT_EQ(tree.reached(), (std::vector<bool>(5, true)));
}

TEST(ViewpointEvents, AxisInformationIsTold) {
    auto cube = makeCube({"A", "B"});
    Tree tree(cube.get());
    ZELT_o::Dimension* b = cube->getDimension(1);
    tree.root->setAxisInfo(*b, "wide");
    EXPECT_EQ(tree.root->getAxisInfo(*b), "wide");
    EXPECT_EQ(tree.root->getAxisInfo(*cube->getDimension(0)), "");
    EXPECT_EQ(tree.listeners[0].calls(), Calls{"axisInfoChanged(B)"});
    EXPECT_EQ(tree.listeners[4].calls(), Calls{"axisInfoChanged(B)"});
}

TEST(ViewpointEvents, DimensionLinkModesDescend) {
    auto cube = makeCube({"A", "B"});
    Tree tree(cube.get());
    ZELT_o::Dimension* a = cube->getDimension(0);
    EXPECT_EQ(tree.root->getDimensionLinkMode(a), ZELT_o::kLinkOwn);
    tree.root->setDimensionLinkMode(a, ZELT_o::kLinkBase);
    EXPECT_EQ(tree.root->getDimensionLinkMode(a), ZELT_o::kLinkBase);
    EXPECT_EQ(tree.listeners[0].calls(), (Calls{"axisChanged(0)", "dimensionChanged(0, A)",
                                                "cellsChanged()", "viewpointChanged()"}));
    // Every derived viewpoint starts linked for every dimension, so all hear of it.
    EXPECT_EQ(tree.reached(), (std::vector<bool>(5, true)));
}

}  // namespace
