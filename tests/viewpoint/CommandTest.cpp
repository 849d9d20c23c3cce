// Commands: every kind executed, undone and executed again, their guards, errors and trace
// lines; transactions; the commands a viewpoint hands out; the axis link mode.
#include "ViewpointFixture.h"
#include "support/CapturingLog.h"
#include "support/RecordingListener.h"

#include <pova/common/BasicViewpointCommandCommon.h>
#include <pova/common/TransactionCommandCommon.h>
#include <provkit/ProviderLibrary.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

namespace {

using namespace viewpoint_test;
using testing_support::CapturingLog;
using testing_support::RecordingListener;
using Basic = common::BasicViewpointCommandCommon;
using Transaction = common::TransactionCommandCommon;
using Type = ZELT_o::Viewpoint::CommandType;
using Calls = std::vector<std::string>;

support::Ref<Basic> basic(common::ViewpointCommon& vp) {
    return support::adopt(static_cast<Basic*>(vp.createCommand(Type::Basic)));
}

support::Ref<Transaction> transaction(common::ViewpointCommon& vp) {
    return support::adopt(static_cast<Transaction*>(vp.createCommand(Type::Transaction)));
}

// Everything a command may change, as one text: layout, axis types and NULL filters, link
// modes, event holding, the layout undo depth, and each dimension's hierarchy, set, slice and
// selection.
std::string state(common::ViewpointCommon& vp) {
    std::string text = layout(vp) + " /";
    for (LONG axis = 0; axis < vp.countAxes() + vp.countPagedAxes(); ++axis) {
        text +=
            " " + std::to_string(vp.getAxisType(axis)) + (vp.isAxisNULLFiltered(axis) ? "N" : "");
    }
    text += " / link " + std::to_string(vp.getAxisLinkMode()) + (vp.eventsHeld() ? " held" : "");
    text += " undo " + std::to_string(vp.undoDepth());
    std::vector<ZELT_o::Dimension*> dimensions;
    support::adopt(vp.getCube())->getDimensions(dimensions);
    for (ZELT_o::Dimension* d : dimensions) {
        text += " / " + d->getName().string() + std::to_string(vp.getDimensionLinkMode(d)) + " " +
                vp.getActiveHierarchy(*d)->getName().string() + " " + names(vp.getCurrentSet(*d)) +
                " " + vp.getCurrentSection(*d)->getName().string() + " " +
                names(vp.getCurrentSelection(*d));
    }
    return text;
}

// memcube, except that the derived viewpoint answers the provider's command kinds with
// sProviderKinds and initialises the viewpoint from an expression by swapping its first axes.
class ScriptedViewpoint : public common::ViewpointBase {
public:
    ScriptedViewpoint(common::ViewpointCommon& vp, std::unique_ptr<common::ViewpointBase> inner)
        : common::ViewpointBase(vp), fInner(std::move(inner)) {}
    ZELT_o::ViewResultSet* query(std::vector<ZELT_o::PropertySpecification>* p) override {
        return fInner->query(p);
    }
    static inline bool sProviderKinds = true;
    bool isCommandSupported(LONG) const override { return sProviderKinds; }
    bool initialiseFromExpression(PovaString&) override {
        viewpoint().doSwapAxes(0, 1);
        return true;
    }

private:
    std::unique_ptr<common::ViewpointBase> fInner;
};

class ScriptedProvider : public common::ProviderLibrary {
public:
    ScriptedProvider() { common::registerProviderLibrary(this); }
    ~ScriptedProvider() override { common::registerProviderLibrary(fMemcube); }
    PovaString getName() const override { return "memcube"; }
    std::unique_ptr<common::ViewpointBase> createDerivedViewpoint(
        common::ViewpointCommon& vp) override {
        return std::make_unique<ScriptedViewpoint>(vp, fMemcube->createDerivedViewpoint(vp));
    }

private:
    common::ProviderLibrary* fMemcube = common::createProviderLibrary("memcube");
};

// A | B | C,Measures on a cube of A, B, C, with a derived viewpoint that copies its layout.
class CommandTest : public CubeFixture {
protected:
    ScriptedProvider fProvider;
    Ref fBase = bind(fCube.get());
    Ref fChild = derive(fBase.get());
};

// Each kind: execute changes the viewpoint, undo restores it, and execute-undo repeats.
TEST_F(CommandTest, EveryKindExecutesUndoesAndExecutesAgain) {
    ASSERT_EQ(layout(*fBase), "A | B | C,Measures");
    struct Case {
        char const* name;
        bool onChild;
        std::function<void(Basic&)> record;
        char const* layoutAfter;  // null: the layout stays
    };
    std::vector<Case> const cases{
        {"swap dimensions", false, [](auto& c) { c.SwapDimensions(0, 0, 1, 0); },
         "B | A | C,Measures"},
        {"move forward in an axis", false, [](auto& c) { c.MoveDimensions(2, 0, 2, 2); },
         "A | B | Measures,C"},
        {"move back in an axis", false, [](auto& c) { c.MoveDimensions(2, 1, 2, 0); },
         "A | B | Measures,C"},
        {"move between axes", false, [](auto& c) { c.MoveDimensions(2, 0, 1, 1); },
         "A | B,C | Measures"},
        {"axis link mode", true, [](auto& c) { c.SetAxisLinkMode(ZELT_o::kLinkOwn); }, nullptr},
        {"dimension link mode", true, [&](auto& c) { c.SetDimensionLinkMode(dim(0), 7); }, nullptr},
        {"active hierarchy", false, [&](auto& c) { c.SetActiveHierarchy(dim(0), alt()); }, nullptr},
        {"active hierarchy with a set", false,
         [&](auto& c) {
             c.SetActiveMemberSet(dim(0), setOf(0, {"A2"}).get());
             c.SetActiveHierarchy(dim(0), hier(0));
         },
         nullptr},
        {"active member set", false,
         [&](auto& c) { c.SetActiveMemberSet(dim(1), setOf(1, {"B2"}).get()); }, nullptr},
        {"active slice", false, [&](auto& c) { c.SetActiveSlice(dim(2), member(2, "C2")); },
         nullptr},
        {"active selection", false,
         [&](auto& c) { c.SetActiveSelection(dim(0), setOf(0, {"A1"}).get()); }, nullptr},
        {"exclude NULL lines", false, [](auto& c) { c.SetExcludeNULLLines(1, true); }, nullptr},
        {"hold events", false, [](auto& c) { c.HoldEvents(); }, nullptr},
        {"release events", false,
         [&](auto& c) {
             fBase->holdEvents();
             c.ReleaseEvents();
         },
         nullptr},
        {"set sides", false,
         [&](auto& c) {
             c.SetSides({{dim(2)}, {dim(0), dim(1)}, {dim(3)}});
         },
         "C | A,B | Measures"},
        {"swap axes", false, [](auto& c) { c.SwapAxes(0, 1); }, "B | A | C,Measures"},
        {"init from expression", false,
         [&](auto& c) {
             fBase->setActiveSlice(*dim(2), member(2, "C2"), false);  // empty lists drop it
             c.InitFromExpression("{[A].[A1]}");
         },
         "B | A | C,Measures"},
        {"change axis type", false,
         [](auto& c) { c.ChangeAxisType(2, ZELT_o::Viewpoint::kHidden); }, nullptr},
    };
    for (Case const& test : cases) {
        SCOPED_TRACE(test.name);
        fChild = nullptr;
        fBase = nullptr;
        fCube = makeCube({"A", "B", "C"});
        fBase = bind(fCube.get());
        fChild = derive(fBase.get());
        common::ViewpointCommon& vp = test.onChild ? *fChild : *fBase;
        auto command = basic(vp);
        test.record(*command);
        std::string const before = state(vp);
        command->execute();
        EXPECT_EQ(command->isUndoable(), 1);
        std::string const after = state(vp);
        EXPECT_NE(after, before);
        if (test.layoutAfter != nullptr) {
            EXPECT_EQ(layout(vp), test.layoutAfter);
        }
        command->undo();
        EXPECT_EQ(state(vp), before);
        command->execute();
        EXPECT_EQ(state(vp), after);
        command->undo();
        EXPECT_EQ(state(vp), before);
    }
}

// The undoable flag after execution: 0 when the execution left nothing worth undoing. The
// cases run in order on one viewpoint: the last set replaces the empty one before it.
TEST_F(CommandTest, UndoableFlag) {
    fBase->setActiveSlice(*dim(2), member(2, "C2"), false);
    std::vector<std::pair<std::function<void(Basic&)>, LONG>> const cases{
        {[&](auto& c) { c.SetActiveSlice(dim(2), member(2, "C2")); }, 0},
        {[&](auto& c) { c.SetActiveSlice(dim(2), member(2, "C1")); }, 1},
        {[&](auto& c) { c.SetActiveSelection(dim(1), setOf(1, {}).get()); }, 0},
        {[&](auto& c) { c.SetActiveMemberSet(dim(1), setOf(1, {}).get()); }, 1},
        {[&](auto& c) { c.SetActiveMemberSet(dim(1), setOf(1, {"B1"}).get()); }, 0},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        auto command = basic(*fBase);
        cases[i].first(*command);
        command->execute();
        EXPECT_EQ(command->isUndoable(), cases[i].second);
    }
}

// Guarded recordings raise on a command that records something and leave it unchanged; the
// others replace what was recorded.
TEST_F(CommandTest, GuardedRecordingsRefuseASecondOperation) {
    std::vector<std::function<void(Basic&)>> const guarded{
        [](auto& c) { c.SwapDimensions(0, 0, 1, 0); },
        [](auto& c) { c.SwapAxes(0, 1); },
        [](auto& c) { c.MoveDimensions(0, 0, 1, 0); },
        [](auto& c) { c.SetAxisLinkMode(0); },
        [&](auto& c) { c.SetDimensions(dim(0), 1, true); },
        [&](auto& c) { c.SetSides(fBase->getSides()); },
        [](auto& c) { c.InitFromExpression("x"); },
    };
    for (std::size_t i = 0; i < guarded.size(); ++i) {
        SCOPED_TRACE(i);
        auto command = basic(*fBase);
        command->MoveDimensions(2, 0, 2, 2);
        EXPECT_EQ(codeOf([&] { guarded[i](*command); }), kAlreadyRecorded);
        EXPECT_EQ(command->getKind(), Basic::kMoveDimensions);
        command->execute();
        EXPECT_EQ(layout(*fBase), "A | B | Measures,C");
        command->undo();
    }
    auto command = basic(*fBase);
    EXPECT_EQ(codeOf([&] { command->SetAxisLinkMode(3); }), kFail);
    EXPECT_EQ(codeOf([&] { command->SetAxisLinkMode(-1); }), kFail);
    EXPECT_EQ(command->getKind(), Basic::kNoOperation);
    command->MoveDimensions(2, 0, 2, 2);
    command->SetExcludeNULLLines(1, true);
    command->execute();
    EXPECT_EQ(layout(*fBase), "A | B | C,Measures");
    EXPECT_TRUE(fBase->isAxisNULLFiltered(1));
}

TEST_F(CommandTest, ErrorCodes) {
    auto const run = [&](std::function<void(Basic&)> const& record, bool undo = false) {
        auto command = basic(*fBase);
        record(*command);
        command->execute();
        if (undo) {
            command->undo();
        }
    };
    std::vector<std::pair<std::function<void()>, std::uint32_t>> const cases{
        {[&] { basic(*fBase)->execute(); }, kCannotRun},
        {[&] { basic(*fBase)->undo(); }, kCannotRun},
        {[&] { run([&](auto& c) { c.SetDimensions(dim(0), 1, 0); }, true); }, kCannotRun},
        {[&] { run([](auto& c) { c.MoveDimensions(0, 5, 1, 0); }); }, kBadPosition},
        {[&] { run([](auto& c) { c.ChangeAxisType(0, ZELT_o::Viewpoint::kHidden); }); },
         kViewAxisType},
        {[&] { run([](auto& c) { c.Reorient("<SidesNode"); }); }, kReorientFailed},
        {[&] { run([&](auto& c) { c.SetActiveSlice(dim(0), member(1, "B1")); }); }, kInvalidArg},
        {[&] { fBase->createCommand(Type{12}); }, kNotBuiltHere},
        {[&] { fBase->createCommand(Type::SubTotal); }, kNotBuiltHere},
        {[&] { fBase->createCommand(Type::ProviderCommand1); }, kNotBuiltHere},
        {[&] { makeViewpoint()->createCommand(Type::Basic); }, kNotConnected},
        {[&] { makeViewpoint()->isCommandSupported(Type{1}); }, kNotConnected},
        {[&] { fBase->doSetAxisLinkMode(ZELT_o::kLinkBase); }, kNoBase},
        {[&] { transaction(*fBase)->undo(); }, kUnexpected},
        {[&] { transaction(*fBase)->addCommand(nullptr); }, kInvalidArg},
        {[&] {
             auto t = transaction(*fBase);
             t->addCommand(t.get());
         },
         kInvalidArg},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(codeOf(cases[i].first), cases[i].second);
    }
    EXPECT_EQ(layout(*fBase), "A | B | C,Measures");
    EXPECT_TRUE(fBase->isCommandSupported(Type::SubTotal));
    ScriptedViewpoint::sProviderKinds = false;
    EXPECT_EQ(fBase->createCommand(Type::ProviderCommand7), nullptr);
    EXPECT_FALSE(fBase->isCommandSupported(Type::ProviderCommand1));
    ScriptedViewpoint::sProviderKinds = true;
}

// A failing viewpoint call leaves what the command recorded: once the layout allows the
// move, the same command executes and undoes it.
TEST_F(CommandTest, FailedExecutionKeepsTheRecordedOperation) {
    auto command = basic(*fBase);
    command->MoveDimensions(1, 1, 2, 0);
    EXPECT_EQ(codeOf([&] { command->execute(); }), kBadPosition);
    EXPECT_FALSE(command->wasExecuted());
    auto fix = basic(*fBase);
    fix->MoveDimensions(2, 0, 1, 1);
    fix->execute();
    ASSERT_EQ(layout(*fBase), "A | B,C | Measures");
    command->execute();
    EXPECT_EQ(layout(*fBase), "A | B | C,Measures");
    command->undo();
    EXPECT_EQ(layout(*fBase), "A | B,C | Measures");
}

TEST_F(CommandTest, ReorientAndUndo) {
    std::size_t const depth = fBase->undoDepth();
    auto command = basic(*fBase);
    command->Reorient(
        "<SidesNode ViewAxes=\"2\" PagedAxes=\"1\">"
        "<Side><Dimension UniqueName=\"[C]\"/></Side><Side><Dimension UniqueName=\"[A]\"/></Side>"
        "<Side><Dimension UniqueName=\"[B]\"/><Dimension UniqueName=\"[Measures]\"/></Side>"
        "</SidesNode>");
    for (int round = 0; round < 2; ++round) {
        command->execute();
        EXPECT_EQ(layout(*fBase), "C | A | B,Measures");
        EXPECT_EQ(fBase->undoDepth(), depth + 1);
        command->undo();
        EXPECT_EQ(layout(*fBase), "A | B | C,Measures");
        EXPECT_EQ(fBase->undoDepth(), depth);
    }
}

// Unlinking gives the child its own layout, which its base's moves leave alone; linking again
// takes the base's layout. Both tell the child's listeners that every axis changed.
TEST_F(CommandTest, AxisLinkModeUnlinksAndRelinks) {
    RecordingListener listener;
    fChild->addListener(&listener);
    auto command = basic(*fChild);
    command->SetAxisLinkMode(ZELT_o::kLinkOwn);
    command->execute();
    Calls const everything{"axisChanged(0)", "axisChanged(1)", "axisChanged(2)", "cellsChanged()",
                           "viewpointChanged()"};
    EXPECT_EQ(listener.calls(), everything);
    auto move = basic(*fBase);
    move->SwapAxes(0, 1);
    move->execute();
    EXPECT_EQ(layout(*fChild), "A | B | C,Measures");
    listener.clear();
    command->undo();
    EXPECT_EQ(listener.calls(), everything);
    EXPECT_EQ(layout(*fChild), "B | A | C,Measures");
    EXPECT_EQ(fChild->getAxisLinkMode(), ZELT_o::kLinkBase);
    move->undo();
    EXPECT_EQ(layout(*fChild), "A | B | C,Measures");
    fChild->removeListener(&listener);
}

// A transaction executes its children in order and undoes them newest first.
TEST_F(CommandTest, TransactionRunsItsChildrenInOrder) {
    auto empty = transaction(*fBase);
    std::string const before = state(*fBase);
    empty->execute();
    empty->undo();
    EXPECT_EQ(state(*fBase), before);

    auto group = transaction(*fBase);
    EXPECT_EQ(group->getInstance(), empty->getInstance() + 1);
    std::vector<support::Ref<Basic>> children{basic(*fBase), basic(*fBase), basic(*fBase)};
    children[0]->SetExcludeNULLLines(0, true);
    children[1]->SetExcludeNULLLines(1, true);
    children[2]->MoveDimensions(2, 0, 1, 1);
    for (auto const& child : children) {
        group->addCommand(child.get());
    }
    EXPECT_EQ(children[0]->getRefCount(), 2);
    group->setAxes({{PovaString("[A]")}});
    // Text that is not well-formed is kept as an empty document that is not loaded.
    group->setXmlText("<Transaction Name=\"t\"/>");
    EXPECT_TRUE(group->getXmlDocument()->loaded());
    group->setXmlText("<Transaction");
    EXPECT_FALSE(group->getXmlDocument()->loaded());
    RecordingListener listener;
    fBase->addListener(&listener);
    group->execute();
    EXPECT_EQ(layout(*fBase), "A | B,C | Measures");
    listener.clear();
    group->undo();
    EXPECT_EQ(listener.calls(), (Calls{"dimensionMoved(C, 1, 1)", "axisChanged(1)",
                                       "axisChanged(2)", "cellsChanged()", "viewpointChanged()",
                                       "axisChanged(1)", "cellsChanged()", "viewpointChanged()",
                                       "axisChanged(0)", "cellsChanged()", "viewpointChanged()"}));
    EXPECT_EQ(state(*fBase), before);
    fBase->removeListener(&listener);

    // Moves of one dimension depend on each other: only the newest-first undo restores them.
    auto moves = transaction(*fBase);
    std::vector<support::Ref<Basic>> steps{basic(*fBase), basic(*fBase)};
    steps[0]->MoveDimensions(2, 0, 1, 0);
    steps[1]->MoveDimensions(1, 0, 0, 0);
    for (auto const& step : steps) {
        moves->addCommand(step.get());
    }
    moves->execute();
    EXPECT_EQ(layout(*fBase), "C,A | B | Measures");
    moves->undo();
    EXPECT_EQ(state(*fBase), before);
    // A child that fails takes back what the children before it did.
    auto broken = basic(*fBase);
    broken->MoveDimensions(0, 5, 1, 0);
    moves->addCommand(broken.get());
    EXPECT_EQ(codeOf([&] { moves->execute(); }), 0xC201120Fu);
    EXPECT_EQ(state(*fBase), before);

    group->removeCommand(children[0].get());
    group->removeCommand(children[0].get());
    EXPECT_EQ(group->countCommands(), 2u);
    EXPECT_EQ(children[0]->getRefCount(), 1);
    group = nullptr;
    EXPECT_EQ(children[1]->getRefCount(), 1);
}

// Trace lines at verbosity 5 of MEMORY/BasicViewpointCommandCommon: $C stands for the
// command's address, $D for the dimension's, $H, $S and $M for the hierarchy, set and member.
TEST_F(CommandTest, TraceLines) {
    CapturingLog log;
    log.setVerbosity("MEMORY", "BasicViewpointCommandCommon", 5);
    auto set = setOf(0, {"A1"});
    using Record = std::function<void(Basic&)>;
    std::vector<std::pair<Record, std::string>> const cases{
        {[](auto& c) { c.SwapDimensions(0, 1, 2, 3); },
         "$C ::SwapDimensions(From(0, 1), To(2, 3))"},
        {[](auto& c) { c.SwapAxes(1, 0); }, "$C ::SwapAxes(axis1(1), axis2(0))"},
        {[](auto& c) { c.MoveDimensions(2, 0, 1, 1); },
         "$C ::MoveDimensions(From(2, 0), To(1, 1))"},
        {[](auto& c) { c.SetAxisLinkMode(2); }, "$C  ::SetAxisLinkMode(2)"},
        {[&](auto& c) { c.SetDimensions(dim(0), 1, true); },
         "$C ::SetDimensions(Dimension(0x$8) To:1, 1)"},
        {[&](auto& c) { c.SetDimensionLinkMode(dim(0), 2); }, "$C  ::SetDimensionLinkMode($D, 2)"},
        {[](auto& c) { c.SetSides({}); }, "$C ::SetSides( )"},
        {[&](auto& c) { c.SetActiveHierarchy(dim(0), hier(0)); },
         "$C  ::SetActiveHierarchy($D, $H)"},
        {[&](auto& c) { c.SetActiveMemberSet(dim(0), set.get()); },
         "$C  ::SetActiveMemberSet($D, $S)"},
        {[&](auto& c) { c.SetActiveSlice(dim(0), member(0, "A2")); },
         "$C  ::SetActiveSlice($D, $M)"},
        {[&](auto& c) { c.SetActiveSelection(dim(0), set.get()); },
         "$C  ::SetActiveSelection($D, $S)"},
        {[](auto& c) { c.SetExcludeNULLLines(1, false); }, "$C  ::SetExcludeNULLLines(1, 0)"},
        {[](auto& c) { c.InitFromExpression("{[A].[A1]}"); },
         "$C ::InitFromExpression( {[A].[A1]} )"},
        {[](auto& c) {
             c.HoldEvents();
             c.ReleaseEvents();
             c.ChangeAxisType(2, ZELT_o::Viewpoint::kHidden);
             c.Reorient("<SidesNode/>");
         },
         ""},
        {[](auto& c) {
             c.SetExcludeNULLLines(1, true);
             c.execute();
             c.undo();
         },
         "$C  ::SetExcludeNULLLines(1, 1)|$C  ::execute()|$C  ::undo()"},
    };
    auto const hex = [](void const* object, char const* format = "%x") {
        char text[32];
        std::snprintf(text, sizeof text, format,
                      static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(object)));
        return std::string(text);
    };
    for (auto const& [record, text] : cases) {
        SCOPED_TRACE(text);
        auto command = basic(*fBase);
        log.clear();
        record(*command);
        std::string expected = text;
        for (auto const& [mark, value] : std::vector<std::pair<std::string, std::string>>{
                 {"$C", "ViewpointCommand " + hex(command.get())},
                 {"$8", hex(dim(0), "%08x")},
                 {"$D", hex(dim(0))},
                 {"$H", hex(hier(0))},
                 {"$S", hex(set.get())},
                 {"$M", hex(member(0, "A2"))}}) {
            for (auto at = expected.find(mark); at != std::string::npos; at = expected.find(mark)) {
                expected.replace(at, mark.size(), value);
            }
        }
        std::string traced;
        for (std::string const& line : log.lines()) {
            if (line.rfind("ViewpointCommand", 0) == 0) {
                traced += (traced.empty() ? "" : "|") + line;
            }
        }
        EXPECT_EQ(traced, expected);
    }
    log.setVerbosity("MEMORY", "BasicViewpointCommandCommon", 4);
    auto quiet = basic(*fBase);
    log.clear();
    quiet->SwapAxes(0, 1);
    EXPECT_EQ(log.count("ViewpointCommand"), 0u);
}

}  // namespace
