// How viewpoints live and fail: a cube going away under a tree, listeners that release their
// viewpoint mid-send, cycles of bases, and failing operations that must change nothing.
#include "ViewpointFixture.h"
#include "support/RecordingListener.h"

#include <pova/PropertySpecification.h>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

using namespace viewpoint_test;
using testing_support::RecordingListener;
using Calls = std::vector<std::string>;
using Position = ZELT_o::DimensionPosition;
using Moves = std::vector<std::pair<Position, Position>>;

namespace {

// Everything a failing operation must leave as it was: the layout, then per axis its
// minimum, maximum, type and exclude-NULLs flag, the undo depth and the new-dimension axis.
std::string capture(common::ViewpointCommon& vp) {
    std::string state = layout(vp);
    for (LONG axis = 0; axis < vp.countAxes() + vp.countPagedAxes(); ++axis) {
        state += " / " + std::to_string(vp.minimumDimensions(axis)) + "," +
                 std::to_string(vp.maximumDimensions(axis)) + "," +
                 std::to_string(vp.getAxisType(axis)) + "," +
                 std::to_string(vp.isAxisNULLFiltered(axis));
    }
    return state + " / undo " + std::to_string(vp.undoDepth()) + " / new " +
           std::to_string(vp.getNewDimensionAxis());
}

// A | B,C,D | Measures with a linked child; axis 2 holds at most one dimension.
struct Tree {
    Tree()
        : cube(makeCube({"A", "B", "C", "D"})), root(bind(cube.get())), child(derive(root.get())) {
        for (LONG position : {1, 2}) {
            Position from{2, 0};
            Position to{1, position};
            root->doMoveDim(from, to);
        }
        Moves moves;
        root->setMaximumDimensions(2, 1, moves);
        root->sendEvents();
        root->addListener(&rootListener);
        child->addListener(&childListener);
    }
    ~Tree() {
        if (root) {
            root->removeListener(&rootListener);
        }
        if (child) {
            child->removeListener(&childListener);
        }
    }
    ZELT_o::Dimension* dim(LONG i) { return cube->getDimension(i); }
    support::Ref<memcube::MemCube> cube;
    Ref root;
    Ref child;
    RecordingListener rootListener;
    RecordingListener childListener;
};

// The operations by value, so that a table row stays one line.
void move(Ref const& vp, Position from, Position to) {
    vp->doMoveDim(from, to);
}
void swap(Ref const& vp, Position a, Position b) {
    vp->doSwapDim(a, b);
}
void maximum(Ref const& vp, LONG axis, LONG most, Moves moves = {}) {
    vp->setMaximumDimensions(axis, most, moves);
}
// Sets sides given as the ordinals of the tree's cube dimensions.
void sides(Tree& t, Ref const& vp, std::vector<std::vector<LONG>> const& ordinals) {
    common::ViewpointCommon::Sides sides;
    for (auto const& side : ordinals) {
        sides.emplace_back();
        for (LONG ordinal : side) {
            sides.back().push_back(t.dim(ordinal));
        }
    }
    vp->setSides(sides);
}

struct FailingCase {
    char const* name;
    std::uint32_t code;  // 0: refused without an error
    std::function<void(Tree&)> call;
};

TEST(Lifetime, AFailingOperationChangesNothingAnywhereInTheTree) {
    using enum ZELT_o::Viewpoint::AxisType;
    std::vector<FailingCase> const cases = {
        {"move from outside the sides", kBadPosition,
         [](Tree& t) {
             move(t.child, {1, 3}, {0, 0});
         }},
        {"move to outside the sides", kBadPosition,
         [](Tree& t) {
             move(t.root, {1, 0}, {0, 2});
         }},
        {"move to a full axis", kTargetFull,
         [](Tree& t) {
             move(t.root, {1, 0}, {2, 0});
         }},
        {"move from an axis at its minimum", kSourceAtMinimum,
         [](Tree& t) {
             move(t.child, {0, 0}, {1, 0});
         }},
        {"swap outside the sides", kBadPosition,
         [](Tree& t) {
             swap(t.root, {0, 0}, {2, 2});
         }},
        {"swap a missing axis", kBadAxis, [](Tree& t) { t.root->doSwapAxes(0, 3); }},
        {"swap axes beyond a maximum", kTargetFull, [](Tree& t) { t.child->doSwapAxes(1, 2); }},
        {"swap a view axis with an empty one", kSourceAtMinimum,
         [](Tree& t) {
             Ref wide = bind(t.cube.get(), 2, 2);  // A | B | C,D,Measures |
             auto const before = wide->getSides();
             std::uint32_t const code = codeOf([&] { wide->doSwapAxes(0, 3); });
             EXPECT_EQ(wide->getSides(), before);
             throw BaseError(code, "INTERFACE");
         }},
        {"sides of another count", kBadAxis, [](Tree& t) { sides(t, t.root, {{0}}); }},
        {"sides that lose a dimension", kInvalidArg,
         [](Tree& t) {
             sides(t, t.child, {{0}, {1, 2}, {4}});
         }},
        {"sides that repeat a dimension", kInvalidArg,
         [](Tree& t) {
             sides(t, t.root, {{0}, {1, 1, 2, 3}, {4}});
         }},
        {"sides beyond a maximum", kInvalidArg,
         [](Tree& t) {
             sides(t, t.root, {{0}, {1}, {2, 3, 4}});
         }},
        {"sides below a minimum", kInvalidArg,
         [](Tree& t) {
             sides(t, t.root, {{}, {0, 1, 2, 3}, {4}});
         }},
        {"a maximum below the axis's minimum", kSourceAtMinimum,
         [](Tree& t) { maximum(t.root, 1, 0); }},
        {"a maximum on a missing axis", kFail, [](Tree& t) { maximum(t.child, 5, 1); }},
        {"an undo whose moves no longer fit", kBadPosition,
         [](Tree& t) {
             maximum(t.root, 1, 3, {{{1, 5}, {2, 0}}});
         }},
        {"an orientation that does not parse", 0,
         [](Tree& t) { EXPECT_FALSE(t.root->doReorient("<SidesNode")); }},
        {"an orientation with absurd axes", 0,
         [](Tree& t) {
             EXPECT_FALSE(t.child->doReorient("<SidesNode ViewAxes=\"100000\" PagedAxes=\"1\"/>"));
         }},
        {"a view axis's type", 0, [](Tree& t) { t.root->doChangeAxisType(0, kHidden); }},
        {"a missing axis's type", 0, [](Tree& t) { t.root->doChangeAxisType(9, kHidden); }},
        {"a type that does not exist", kInvalidArg,
         [](Tree& t) { t.root->doChangeAxisType(2, static_cast<ZELT_o::Viewpoint::AxisType>(9)); }},
        {"exclude-NULLs on a missing axis", kBadAxis,
         [](Tree& t) { t.child->setAxisExcludeNULLs(4, true); }},
        {"a second cube", kUnexpected, [](Tree& t) { t.root->setCube(t.cube.get(), 2, 1); }},
        {"a cube for a derived viewpoint", kUnexpected,
         [](Tree& t) { t.child->setCube(t.cube.get(), 2, 1); }},
        {"a base that is itself", kUnexpected,
         [](Tree& t) { t.root->setBaseViewpoint(t.root.get(), 2, 1); }},
        {"a base below itself", kUnexpected,
         [](Tree& t) { t.root->setBaseViewpoint(t.child.get(), 2, 1); }},
        {"negative axes", kInvalidArg,
         [](Tree& t) { t.child->setBaseViewpoint(t.root.get(), -1, 1); }},
    };
    for (FailingCase const& c : cases) {
        SCOPED_TRACE(c.name);
        Tree tree;
        std::string const root = capture(*tree.root);
        std::string const child = capture(*tree.child);
        std::uint32_t const code = codeOf([&] { c.call(tree); });
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(capture(*tree.root), root);
        EXPECT_EQ(capture(*tree.child), child);
        EXPECT_TRUE(tree.root->isConnected());
        EXPECT_NE(tree.child->getDerivedViewpoint(), nullptr);
        tree.root->sendEvents();
        EXPECT_EQ(tree.rootListener.calls(), Calls{});
        EXPECT_EQ(tree.childListener.calls(), Calls{});
    }
}

TEST(Lifetime, CyclesOfBasesAreRefused) {
    auto cube = makeCube({"A", "B"});
    Ref a = bind(cube.get());
    Ref b = derive(a.get());
    Ref c = derive(b.get());
    EXPECT_EQ(codeOf([&] { a->setBaseViewpoint(c.get(), 2, 1); }), kUnexpected);
    EXPECT_EQ(codeOf([&] { b->setBaseViewpoint(b.get(), 2, 1); }), kUnexpected);
    EXPECT_EQ(a->getRoot(), a.get());
    EXPECT_EQ(c->getRoot(), a.get());
    EXPECT_EQ(a->getChildren(), std::vector<common::ViewpointCommon*>{b.get()});
    EXPECT_TRUE(c->isConnected());
    // Moving a subtree elsewhere is no cycle.
    Ref d = bind(cube.get());
    c->setBaseViewpoint(d.get(), 2, 1);
    EXPECT_TRUE(b->getChildren().empty());
    EXPECT_EQ(c->getRoot(), d.get());
}

// What every query and operation answers once the tree lost its cube.
void expectForgotten(common::ViewpointCommon& vp) {
    EXPECT_FALSE(vp.isConnected());
    EXPECT_TRUE(vp.getSides().empty());
    EXPECT_EQ(vp.getDerivedViewpoint(), nullptr);
    std::vector<ZELT_o::PropertySpecification> none;
    EXPECT_EQ(codeOf([&] { vp.query(&none); }), 0xC2011200u);
    EXPECT_EQ(vp.countPropertyLists(), 0);
    EXPECT_EQ(vp.undoDepth(), 0u);
    EXPECT_EQ(vp.getDimensionAt(LONG{0}), nullptr);
    EXPECT_EQ(vp.getAxisType(0), ZELT_o::Viewpoint::kNoAxisType);
    EXPECT_EQ(vp.minimumDimensions(0), 0);
    EXPECT_FALSE(vp.isAxisNULLFiltered(0));
    EXPECT_EQ(codeOf([&] { vp.getAxisDimensions(0); }), kBadAxis);
    Position from{0, 0}, to{1, 0};
    EXPECT_EQ(codeOf([&] { vp.doMoveDim(from, to); }), kBadPosition);
    EXPECT_EQ(codeOf([&] { vp.doSwapDim(from, to); }), kBadPosition);
    EXPECT_EQ(codeOf([&] { vp.doSwapAxes(0, 1); }), kBadAxis);
    EXPECT_EQ(codeOf([&] { vp.setAxisExcludeNULLs(0, true); }), kBadAxis);
    Moves moves;
    EXPECT_EQ(codeOf([&] { vp.setMaximumDimensions(0, 1, moves); }), kFail);
    EXPECT_FALSE(vp.doReorient("<SidesNode ViewAxes=\"1\" PagedAxes=\"1\"/>"));
    vp.doChangeAxisType(1, ZELT_o::Viewpoint::kHidden);
    vp.holdEvents();
    vp.releaseEvents();
    vp.operationsUndone();
}

TEST(Lifetime, ACubeThatGoesAwayIsForgottenByTheWholeTree) {
    auto cube = makeCube({"A", "B", "C"});
    Ref root = bind(cube.get());
    Ref linked = derive(root.get());
    Ref own = derive(root.get());
    own->setAxisLinkMode(ZELT_o::kLinkOwn);
    Ref grandchild = derive(own.get());
    RecordingListener listener;
    grandchild->addListener(&listener);
    root->holdEvents();  // events queued under a hold name the cube's dimensions
    Position from{2, 0}, to{0, 1};
    root->doMoveDim(from, to);
    listener.clear();
    cube.reset();
    // The grandchild is told although its queue was held; nothing of the old layout is sent.
    EXPECT_EQ(listener.calls(), Calls{});
    root->releaseEvents();
    EXPECT_EQ(listener.calls(),
              (Calls{"disconnected(false)", "viewpointChanged()", "transitionCompleted()"}));
    for (Ref const& vp : {root, linked, own, grandchild}) {
        expectForgotten(*vp);
    }
    // Unbinding after the cube went away calls nothing of it.
    root->setCube(nullptr, 2, 1);
    grandchild->removeListener(&listener);
}

TEST(Lifetime, UnbindingForgetsTheCubeBeforeItGoes) {
    auto cube = makeCube({"A", "B"});
    Ref root = bind(cube.get());
    Ref child = derive(root.get());
    Ref other = bind(cube.get());
    child->setBaseViewpoint(other.get(), 2, 1);  // connected through another base: still bound
    EXPECT_TRUE(child->isConnected());
    Ref loose = makeViewpoint();
    child->setBaseViewpoint(loose.get(), 2, 1);  // a base without a cube: the tree lets go
    expectForgotten(*child);
    root->setCube(nullptr, 2, 1);
    cube.reset();
    expectForgotten(*root);
    expectForgotten(*other);
}

// An operation that makes a viewpoint send the named call, and the call it sends.
struct Sender {
    char const* call;
    std::function<void(Tree&, common::ViewpointCommon&)> run;
};

std::vector<Sender> senders() {
    return {
        {"disconnected", [](Tree&, common::ViewpointCommon& vp) { vp.setCube(nullptr, 2, 1); }},
        {"connected",
         [](Tree& t, common::ViewpointCommon& vp) {
             vp.setCube(nullptr, 2, 1);
             vp.setCube(t.cube.get(), 2, 1);
         }},
        {"dimensionMoved", [](Tree&, common::ViewpointCommon& vp) { vp.doSwapAxes(0, 2); }},
        {"dimensionSwapped",
         [](Tree&, common::ViewpointCommon& vp) {
             swap(Ref::retain(&vp), {0, 0}, {1, 0});
         }},
        {"dimensionChanged",
         [](Tree& t, common::ViewpointCommon& vp) {
             vp.setDimensionLinkMode(t.dim(0), ZELT_o::kLinkBase);
         }},
        {"dimensionChanged",
         [](Tree& t, common::ViewpointCommon& vp) {
             vp.setActiveSlice(*t.dim(2), vp.getCurrentSection(*t.dim(2)), false);
         }},
        {"dimensionChanged",
         [](Tree& t, common::ViewpointCommon& vp) {
             vp.setActiveSet(*t.dim(0), vp.getCurrentSet(*t.dim(0)));
         }},
        {"axisChanged",
         [](Tree&, common::ViewpointCommon& vp) { vp.setAxisExcludeNULLs(1, true); }},
        {"cellsChanged",
         [](Tree&, common::ViewpointCommon& vp) {
             vp.doReorient("<SidesNode ViewAxes=\"2\" PagedAxes=\"1\"/>");
         }},
        {"axisTypeChanged",
         [](Tree&, common::ViewpointCommon& vp) {
             vp.doChangeAxisType(2, ZELT_o::Viewpoint::kHidden);
         }},
        {"axisInfoChanged",
         [](Tree& t, common::ViewpointCommon& vp) { vp.setAxisInfo(*t.dim(0), "x"); }},
        {"viewpointChanged",
         [](Tree&, common::ViewpointCommon& vp) {
             auto sides = vp.getSides();
             vp.setSides(sides);
         }},
        {"transitionStarted", [](Tree&, common::ViewpointCommon& vp) { vp.holdEvents(); }},
        {"transitionCompleted",
         [](Tree&, common::ViewpointCommon& vp) {
             vp.holdEvents();
             vp.releaseEvents();
         }},
        {"transitionAborted",
         [](Tree&, common::ViewpointCommon& vp) {
             vp.holdEvents();
             vp.operationsUndone();
         }},
        {"dimensionMoved",
         [](Tree&, common::ViewpointCommon& vp) { maximum(Ref::retain(&vp), 1, 1); }},
        {"disconnected", [](Tree& t, common::ViewpointCommon&) { t.cube.reset(); }},
    };
}

// A listener may release the last reference to the viewpoint it listens to in any event, on
// the viewpoint that runs the operation or on a child the walk reaches; the operation ends
// safely and the viewpoint goes away (ASan reports a leak or a use after free otherwise).
TEST(Lifetime, AListenerMayReleaseItsViewpointInAnyEvent) {
    for (bool onChild : {false, true}) {
        for (Sender const& sender : senders()) {
            SCOPED_TRACE(std::string(sender.call) + (onChild ? " on the child" : " on the root"));
            auto tree = std::make_unique<Tree>();
            Ref& owner = onChild ? tree->child : tree->root;
            RecordingListener& listener = onChild ? tree->childListener : tree->rootListener;
            owner->removeListener(&listener);
            RecordingListener releaser;
            Ref held = std::move(owner);  // the listener holds the only reference
            common::ViewpointCommon* vp = held.get();
            Ref keptRoot = onChild ? tree->root : Ref();
            std::string const call = sender.call;
            bool released = false;
            releaser.onCall = [&](std::string const& made) {
                if (!released && made.rfind(call, 0) == 0) {
                    released = true;
                    held->removeListener(&releaser);
                    held.reset();
                }
            };
            vp->addListener(&releaser);
            sender.run(*tree, onChild ? *keptRoot : *vp);
            EXPECT_TRUE(released);
            if (!released) {
                vp->removeListener(&releaser);
            }
        }
    }
}

// A change started on a linked child reaches its base, and every listener of the tree hears
// its events in one send.
TEST(Lifetime, ChangesOnALinkedChildAreSentFromTheRoot) {
    Tree tree;
    Ref grandchild = derive(tree.child.get());
    RecordingListener listener;
    grandchild->addListener(&listener);
    Position from{1, 1}, to{2, 0};
    Moves moves;
    grandchild->setMaximumDimensions(2, 3, moves);
    grandchild->doMoveDim(from, to);
    grandchild->sendEvents();
    Calls const expected{"dimensionMoved(C, 1, 1)", "axisChanged(1)", "axisChanged(2)",
                         "cellsChanged()", "viewpointChanged()"};
    for (RecordingListener const* heard : {&tree.rootListener, &tree.childListener, &listener}) {
        EXPECT_EQ(heard->calls(), expected);
    }
    grandchild->setNewDimensionAxis(1);
    EXPECT_EQ(tree.root->getNewDimensionAxis(), 1);
    EXPECT_EQ(layout(*grandchild), layout(*tree.root));
    grandchild->removeListener(&listener);
}

// A refusal by the provider is reported by the operation that caused it, never by a later
// one, even when a listener's failure cut the refused operation short.
TEST(Lifetime, AProviderRefusalDoesNotOutliveItsOperation) {
    auto cube = wideCube();
    Ref vp = bind(cube.get(), 2, 1);  // A | B | C,D,E,S,Measures
    Position b{1, 0}, s{2, 3};
    vp->doSwapDim(b, s);  // A | S | C,D,E,B,Measures
    for (LONG position : {1, 2, 3}) {
        Position from{2, 0}, to{0, position};
        vp->doMoveDim(from, to);  // A,C,D,E | S: five million cells
    }
    RecordingListener listener;
    listener.onCall = [](std::string const&) { throw std::runtime_error("listener failed"); };
    vp->addListener(&listener);
    Position small{1, 0}, large{2, 0};
    EXPECT_THROW(vp->doSwapDim(small, large), std::runtime_error);  // a hundred million
    listener.onCall = nullptr;
    EXPECT_EQ(codeOf([&] { vp->doSwapDim(small, large); }), 0u);
    EXPECT_EQ(codeOf([&] { vp->doSwapDim(small, large); }), 0xC201491Eu);
    vp->removeListener(&listener);
}

// Two threads drop the last two references of a bound viewpoint at once: exactly one
// destroys it.
TEST(LifetimeThreads, RacingFinalReleasesOfAViewpoint) {
    auto cube = makeCube({"A", "B"});
    for (int round = 0; round < 200; ++round) {
        common::ViewpointCommon* vp = bind(cube.get()).detach();
        vp->addRef();
        std::atomic<int> zeros{0};
        auto drop = [&] { zeros += vp->release() == 0 ? 1 : 0; };
        std::thread first(drop);
        std::thread second(drop);
        first.join();
        second.join();
        ASSERT_EQ(zeros.load(), 1);
    }
}

}  // namespace
