#include "ViewpointFixture.h"
#include "support/AssertionCounter.h"
#include "support/CapturingLog.h"
#include "support/RecordingListener.h"

#include <basekit/BaseError.h>

#include <gtest/gtest.h>

using namespace viewpoint_test;
using testing_support::AssertionCounter;
using testing_support::CapturingLog;
using testing_support::RecordingListener;
using Calls = std::vector<std::string>;
using Position = ZELT_o::DimensionPosition;

namespace {

// A | B,C,D | Measures: three dimensions on one view axis.
support::Ref<memcube::MemCube> fourCube() {
    return makeCube({"A", "B", "C", "D"});
}

Ref threeOnAxisOne(ZELT_o::Cube* cube) {
    Ref vp = bind(cube, 1, 2);  // A | B,C,D,Measures |
    Position from{1, 3};
    Position to{2, 0};
    vp->doMoveDim(from, to);  // A | B,C,D | Measures
    vp->sendEvents();
    return vp;
}

TEST(Orientation, PositionErrorsCarryThePosition) {
    auto cube = fourCube();
    Ref vp = threeOnAxisOne(cube.get());
    Position bad{1, 7};
    Position ok{0, 0};
    try {
        vp->doMoveDim(bad, ok);
        FAIL() << "no error";
    } catch (BaseError const& error) {
        EXPECT_EQ(error.numInserts(), 1);
        EXPECT_EQ(error.getInsert(0), "(1, 7)");
        EXPECT_EQ(error.module(), "INTERFACE");
    }
}

TEST(Orientation, UndoOfAMoveLeavesTheStackOneShorter) {
    auto cube = fourCube();
    Ref vp = threeOnAxisOne(cube.get());
    std::size_t const depth = vp->undoDepth();
    Position from{1, 0};
    Position to{2, 1};
    vp->doMoveDim(from, to);
    EXPECT_EQ(vp->undoDepth(), depth + 1);
    EXPECT_EQ(layout(*vp), "A | C,D | Measures,B");
    vp->doingUndoDimensionMove(from, to);
    vp->doMoveDim(to, from);
    EXPECT_EQ(layout(*vp), "A | B,C,D | Measures");
    EXPECT_EQ(vp->undoDepth(), depth);
}

TEST(Orientation, UndoOfASwap) {
    auto cube = fourCube();
    Ref vp = threeOnAxisOne(cube.get());
    std::size_t const depth = vp->undoDepth();
    RecordingListener listener;
    vp->addListener(&listener);
    Position a{0, 0};
    Position b{1, 2};
    vp->doSwapDim(a, b);
    EXPECT_EQ(layout(*vp), "D | B,C,A | Measures");
    EXPECT_EQ(listener.calls(), (Calls{"dimensionSwapped(A, D)", "axisChanged(0)", "axisChanged(1)",
                                       "cellsChanged()", "viewpointChanged()"}));
    EXPECT_EQ(vp->undoDepth(), depth + 1);
    vp->doingUndoDimensionSwap(a, b);
    vp->doSwapDim(a, b);
    EXPECT_EQ(layout(*vp), "A | B,C,D | Measures");
    EXPECT_EQ(vp->undoDepth(), depth);
    vp->removeListener(&listener);
}

TEST(Orientation, SwappingAxes) {
    auto cube = fourCube();
    Ref vp = threeOnAxisOne(cube.get());
    RecordingListener listener;
    vp->addListener(&listener);
    vp->doSwapAxes(0, 2);
    EXPECT_EQ(layout(*vp), "Measures | B,C,D | A");
    EXPECT_EQ(listener.calls(),
              (Calls{"dimensionMoved(A, 0, 0)", "dimensionMoved(Measures, 2, 0)", "axisChanged(0)",
                     "axisChanged(2)", "cellsChanged()", "viewpointChanged()"}));
    vp->removeListener(&listener);
}

TEST(Orientation, ReorientFromXmlAndUndo) {
    auto cube = fourCube();
    Ref vp = threeOnAxisOne(cube.get());
    std::size_t const depth = vp->undoDepth();
    std::string const before = layout(*vp);
    PovaString const xml(
        "<SidesNode ViewAxes=\"2\" PagedAxes=\"1\">"
        "<Side AxisType=\"View\" FilterNulls=\"true\"><Dimension UniqueName=\"[D]\"/></Side>"
        "<Side AxisType=\"View\"><Dimension UniqueName=\"[C]\"/>"
        "<Dimension UniqueName=\"[B]\"/></Side>"
        "<Side AxisType=\"Hidden\"><Dimension UniqueName=\"[A]\"/>"
        "<Dimension UniqueName=\"[Nowhere]\"/></Side>"
        "</SidesNode>");
    EXPECT_TRUE(vp->doReorient(xml));
    EXPECT_EQ(layout(*vp), "D | C,B | A,Measures");  // Measures joins the new-dimension axis
    EXPECT_TRUE(vp->isAxisNULLFiltered(0));
    EXPECT_EQ(vp->getAxisType(2), ZELT_o::Viewpoint::kHidden);
    EXPECT_EQ(vp->undoDepth(), depth + 1);

    vp->doingUndoViewpointReorient();
    EXPECT_EQ(vp->undoDepth(), depth);
    PovaString const back(
        "<SidesNode ViewAxes=\"1\" PagedAxes=\"2\">"
        "<Side><Dimension UniqueName=\"[A]\"/></Side>"
        "<Side><Dimension UniqueName=\"[B]\"/><Dimension UniqueName=\"[C]\"/>"
        "<Dimension UniqueName=\"[D]\"/></Side>"
        "<Side><Dimension UniqueName=\"[Measures]\"/></Side></SidesNode>");
    vp->doReorient(back);
    EXPECT_EQ(layout(*vp), before);
    EXPECT_EQ(vp->undoDepth(), depth);
}

TEST(Orientation, SliceToExcludedAwaitsDefaultsAndViewAxesRefuse) {
    auto cube = fourCube();
    Ref vp = threeOnAxisOne(cube.get());
    RecordingListener listener;
    vp->addListener(&listener);
    ZELT_o::Dimension* measures = cube->getDimension(4);
    vp->doChangeAxisType(2, ZELT_o::Viewpoint::kExcluded);
    EXPECT_EQ(vp->getAxisType(2), ZELT_o::Viewpoint::kExcluded);
    EXPECT_TRUE(vp->isAwaitingDefaultState(measures));
    EXPECT_EQ(listener.calls(), (Calls{"axisTypeChanged(2, 4)", "dimensionChanged(0, Measures)",
                                       "axisChanged(2)", "cellsChanged()", "viewpointChanged()"}));
    listener.clear();

    CapturingLog log;
    log.setVerbosity("INTERFACE", "ViewpointCommon", 5);
    Ref traced = threeOnAxisOne(cube.get());
    EXPECT_FALSE(traced->change_axis_type(0, ZELT_o::Viewpoint::kSlice));
    EXPECT_FALSE(traced->change_axis_type(9, ZELT_o::Viewpoint::kSlice));
    EXPECT_EQ(log.count("setAxisType failed as this axis is of type view so cannot be changed"),
              1u);
    EXPECT_EQ(log.count("setAxisType failed because of invalid axis ordinal"), 1u);
    EXPECT_FALSE(traced->doReorient("<SidesNode ViewAxes="));
    EXPECT_EQ(log.count("Failed to parse orientation XML string"), 1u);
    vp->doChangeAxisType(0, ZELT_o::Viewpoint::kHidden);
    EXPECT_EQ(vp->getAxisType(0), ZELT_o::Viewpoint::kView);
    EXPECT_TRUE(listener.calls().empty());
    vp->removeListener(&listener);
}

TEST(Orientation, ADerivedViewpointFollowsEveryLayoutChange) {
    auto cube = fourCube();
    Ref base = threeOnAxisOne(cube.get());
    Ref child = derive(base.get());
    RecordingListener listener;
    child->addListener(&listener);
    auto check = [&] {
        child->setAxisLinkMode(ZELT_o::kLinkOwn);  // read the child's own copy
        EXPECT_EQ(layout(*child), layout(*base));
        EXPECT_EQ(child->isAxisNULLFiltered(1), base->isAxisNULLFiltered(1));
        EXPECT_EQ(child->getAxisType(2), base->getAxisType(2));
        child->setAxisLinkMode(ZELT_o::kLinkBase);
    };
    Position from{1, 0};
    Position to{2, 0};
    base->doMoveDim(from, to);
    check();
    Position a{0, 0};
    Position b{1, 1};
    base->doSwapDim(a, b);
    check();
    base->doSwapAxes(0, 1);
    check();
    base->setAxisExcludeNULLs(1, true);
    check();
    base->doChangeAxisType(2, ZELT_o::Viewpoint::kHidden);
    check();
    // A change asked of the child is made on the base.
    Position back{2, 0};
    Position home{1, 0};
    child->doMoveDim(back, home);
    EXPECT_EQ(layout(*child), layout(*base));
    EXPECT_FALSE(listener.calls().empty());
    child->removeListener(&listener);
}

}  // namespace

namespace {

TEST(Orientation, ALayoutTheProviderRefusesIsMadeThenReported) {
    auto cube = wideCube();
    Ref vp = bind(cube.get(), 2, 1);  // A | B | C,D,E,S,Measures
    Ref child = derive(vp.get());
    RecordingListener listener;
    child->addListener(&listener);
    Position from{2, 0};
    Position to{0, 1};
    vp->doMoveDim(from, to);  // A,C
    vp->doMoveDim(from, to);  // A,D,C
    vp->sendEvents();
    listener.clear();
    EXPECT_EQ(codeOf([&] { vp->doMoveDim(from, to); }), 0xC201491Eu);
    EXPECT_EQ(layout(*vp), "A,E,D,C | B | S,Measures");
    child->setAxisLinkMode(ZELT_o::kLinkOwn);
    EXPECT_EQ(layout(*child), layout(*vp));  // the whole tree changed before the report
    child->setAxisLinkMode(ZELT_o::kLinkBase);
    vp->sendEvents();
    EXPECT_EQ(listener.calls().front(), "dimensionMoved(E, 2, 0)");
    // Moving back is accepted again.
    Position back{2, 0};
    Position out{0, 1};
    vp->doMoveDim(out, back);
    EXPECT_EQ(layout(*vp), "A,D,C | B | E,S,Measures");
    child->removeListener(&listener);
}

}  // namespace
