// Sorts: naming, errors, every sort command kind executed, undone and executed again, traces,
// link modes, events, lifetimes, the saved section, and the order memcube gives a sorted axis.
#include "memcube/ResultReader.h"
#include "support/CapturingLog.h"
#include "support/RecordingListener.h"
#include "viewpoint/ViewpointFixture.h"

#include <pova/common/SortViewpointCommandCommon.h>

#include <cstdio>
#include <sstream>

namespace viewpoint_test {
namespace {

using Command = common::SortViewpointCommandCommon;
using testing_support::RecordingListener;

support::Ref<Command> sortCommand(common::ViewpointCommon& vp) {
    return support::adopt(
        static_cast<Command*>(vp.createCommand(ZELT_o::Viewpoint::CommandType::Sort)));
}

// A root sort over the dimensions of `axis`, added through a command; its id.
LONG addSort(common::ViewpointCommon& vp, LONG axis, char const* name = "", LONG direction = 0) {
    auto command = sortCommand(vp);
    ZELT_o::Sort* sort = command->AddSort();
    sort->setSortName(name);
    sort->setDirection(direction);
    sort->getDimVec() = vp.getAxisDimensions(axis);
    command->execute();
    return command->getSortId();
}

// "available sorts in order / every sort of the table": "-" marks a sort not applied, "^n" a
// modifier of sort n.
std::string sorts(common::ViewpointCommon& vp) {
    std::vector<LONG> ids;
    vp.getAvailableSorts(ids);
    std::map<LONG, ZELT_o::Sort*> all;
    vp.getSorts(all);
    std::string text;
    for (LONG const id : ids) {
        text += (text.empty() ? "" : ",") + all.at(id)->getSortName().string();
    }
    text += " /";
    for (auto const& [id, sort] : all) {
        text += " " + sort->getSortName().string() + (sort->isApplied() ? "" : "-") +
                (sort->getParentIndex() < 0 ? "" : "^" + std::to_string(sort->getParentIndex()));
    }
    return text;
}

std::string saved(ZELT_o::Viewpoint& vp) {
    std::ostringstream out;
    vp.save(out, false);
    return out.str();
}

Ref loaded(std::string const& text, ZELT_o::Cube* cube) {
    Ref vp = makeViewpoint();
    std::istringstream in(text);
    vp->load(in);
    vp->setCube(cube, 2, 1);
    return vp;
}

// A | B | C,Measures, and a child that copies the layout (sort link mode 0).
class SortTest : public CubeFixture {
protected:
    Ref fVp = bind(fCube.get());
    Ref fChild = derive(fVp.get());
};

TEST_F(SortTest, UnnamedSortsTakeTheFirstFreeNumber) {
    addSort(*fVp, 0);
    addSort(*fVp, 0, "Sort1");
    addSort(*fVp, 1);
    addSort(*fVp, 1);
    EXPECT_EQ(sorts(*fVp), "Sort0,Sort1,Sort2,Sort3 / Sort0 Sort1 Sort2 Sort3");
}

// Each kind on S0 (axis 0, id 0) and S1 (axis 1, id 1): execute changes the sorts, undo puts
// them back (an added sort stays in the table, not applied), execute applies the change again.
TEST_F(SortTest, EveryKindExecutesUndoesAndExecutesAgain) {
    struct Case {
        bool onChild;
        std::function<void(Command&)> record;
        char const* executed;
        char const* undone;  // null: as before
    };
    std::vector<Case> const cases{
        {false, [&](Command& c) { c.AddSort()->getDimVec() = {dim(0)}; },
         "S0,S1,Sort0 / S0 S1 Sort0", "S0,S1 / S0 S1 Sort0-"},
        {false, [](Command& c) { c.RemoveSort(0); }, "S1 / S0- S1", nullptr},
        {false, [](Command& c) { c.RemoveAllSorts(); }, " / S0- S1-", nullptr},
        {false, [](Command& c) { c.ReverseSort(0); }, "S0,S1 / S0 S1 Sort0^0",
         "S0,S1 / S0 S1 Sort0-^0"},
        {false, [](Command& c) { c.BreakHierarchy(1); }, "S0,S1 / S0 S1 Sort0^1",
         "S0,S1 / S0 S1 Sort0-^1"},
        {true, [](Command& c) { EXPECT_TRUE(c.SetSortLinkMode(ZELT_o::kLinkBase)); },
         "S0,S1 / S0 S1", nullptr},
        {false, [](Command& c) { c.ClearAxis(1); }, "S0 / S0 S1-", nullptr},
        {false, [](Command& c) { c.Swap(0, 1); }, "S1,S0 / S0 S1", nullptr},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        Ref vp = bind(fCube.get());
        Ref child = derive(vp.get());
        addSort(*vp, 0, "S0");
        addSort(*vp, 1, "S1");
        common::ViewpointCommon& target = cases[i].onChild ? *child : *vp;
        std::string const before = sorts(target);
        auto command = sortCommand(target);
        cases[i].record(*command);
        command->execute();
        EXPECT_EQ(sorts(target), cases[i].executed);
        command->undo();
        EXPECT_EQ(sorts(target), cases[i].undone ? cases[i].undone : before);
        command->execute();
        EXPECT_EQ(sorts(target), cases[i].executed);
    }
}

TEST_F(SortTest, ErrorsChangeNothing) {
    addSort(*fVp, 0, "S0");
    auto recorded = [&](std::function<void(Command&)> record, bool execute, bool undo) {
        auto command = sortCommand(*fVp);
        record(*command);
        if (execute) {
            command->execute();
        }
        if (undo) {
            command->undo();
        }
    };
    std::vector<std::pair<std::function<void()>, std::uint32_t>> const cases{
        {[&] { fVp->doSetSort(7); }, kUnexpected},
        {[&] { fVp->doRemoveSort(7); }, kUnexpected},
        {[&] {
             fVp->doSetSorts({0, 7});
         },
         kUnexpected},
        {[&] {
             fVp->doClearSorts({0, 7});
         },
         kUnexpected},
        {[&] { fVp->doSwapSorts(0, 7); }, kUnexpected},
        {[&] { recorded([](Command& c) { c.ReverseSort(7); }, true, false); }, kUnexpected},
        {[&] {
             LONG id = 0;
             fVp->getSortIndexFromName("S9", &id);
         },
         kInvalidArg},
        {[&] { fVp->doSetSortLinkMode(ZELT_o::kLinkFollow); }, kNoBase},
        {[&] {
             recorded(
                 [](Command& c) {
                     c.Swap(0, 0);
                     c.RemoveSort(0);
                 },
                 false, false);
         },
         kAlreadyRecorded},
        {[&] { recorded([](Command& c) { c.RemoveSort(0); }, false, true); }, kCannotRun},
        {[&] { recorded([](Command&) {}, true, false); }, kCannotRun},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(codeOf(cases[i].first), cases[i].second);
        EXPECT_EQ(sorts(*fVp), "S0 / S0");
    }
    EXPECT_FALSE(fVp->doSetSortLinkMode(ZELT_o::LinkMode{5}));
    EXPECT_FALSE(sortCommand(*fVp)->SetSortLinkMode(ZELT_o::LinkMode{-1}));
    LONG id = -1;
    fVp->getSortIndexFromName("S0", &id);
    EXPECT_EQ(id, 0);
}

// A modifier is not listed, and its change is told with its root's dimensions, to the
// children that read their base's sorts only.
TEST_F(SortTest, ChangesReachSortLinkedChildrenWithTheRootsDimensions) {
    Ref own = derive(fVp.get());
    fChild->doSetSortLinkMode(ZELT_o::kLinkFollow);
    RecordingListener base, linked, unlinked;
    fVp->addListener(&base);
    fChild->addListener(&linked);
    own->addListener(&unlinked);
    LONG const id = addSort(*fVp, 0, "S0");
    for (RecordingListener* listener : {&base, &linked, &unlinked}) {
        listener->clear();
    }
    auto reverse = sortCommand(*fVp);
    reverse->ReverseSort(id);
    reverse->execute();
    std::vector<std::string> const told{"axisChanged(0)", "dimensionChanged(0, A)",
                                        "cellsChanged()", "viewpointChanged()"};
    EXPECT_EQ(base.calls(), told);
    EXPECT_EQ(linked.calls(), told);
    EXPECT_TRUE(unlinked.calls().empty());
    EXPECT_EQ(sorts(*fVp), "S0 / S0 Sort0^0");
    fVp->removeListener(&base);
    fChild->removeListener(&linked);
    own->removeListener(&unlinked);
}

// Mode 0: the child's own sorts; 1: it reads its base's, and changes its own; 2: it reads
// and changes its base's.
TEST_F(SortTest, LinkModesDecideWhoseSortsAChildReadsAndChanges) {
    struct Case {
        ZELT_o::LinkMode mode;
        char const* child;
        char const* base;
        char const* unlinked;  // the child's after going back to mode 0
    };
    for (Case const& c : std::vector<Case>{{ZELT_o::kLinkOwn, "C / C", "B / B", "C / C"},
                                           {ZELT_o::kLinkFollow, "B / B", "B / B", "C / C"},
                                           {ZELT_o::kLinkBase, "B,C / B C", "B,C / B C", " /"}}) {
        SCOPED_TRACE(c.mode);
        Ref vp = bind(fCube.get());
        Ref child = derive(vp.get());
        addSort(*vp, 0, "B");
        EXPECT_TRUE(child->doSetSortLinkMode(c.mode));
        addSort(*child, 1, "C");
        EXPECT_EQ(sorts(*child), c.child);
        EXPECT_EQ(sorts(*vp), c.base);
        EXPECT_TRUE(child->doSetSortLinkMode(ZELT_o::kLinkOwn));
        EXPECT_EQ(sorts(*child), c.unlinked);
    }
}

// A command frees what only it could apply again; a command whose sort was dropped fails
// cleanly.
TEST_F(SortTest, CommandsFreeTheirSortsAndFailCleanlyOnDroppedOnes) {
    auto added = sortCommand(*fVp);
    added->AddSort()->getDimVec() = {dim(0)};
    added->execute();
    added->undo();
    sortCommand(*fVp)->AddSort();
    added = nullptr;
    EXPECT_EQ(sorts(*fVp), " /");
    LONG const id = addSort(*fVp, 0);
    auto removed = sortCommand(*fVp);
    removed->RemoveSort(id);
    removed->execute();
    fVp->clearAllSorts();
    EXPECT_EQ(codeOf([&] { removed->undo(); }), kUnexpected);
    EXPECT_EQ(codeOf([&] { removed->execute(); }), kUnexpected);
    EXPECT_EQ(sorts(*fVp), " /");
}

// Trace lines at verbosity 5 of MEMORY/SortViewpointCommandCommon; $C is the command's address.
TEST_F(SortTest, TraceLines) {
    testing_support::CapturingLog log;
    log.setVerbosity("MEMORY", "SortViewpointCommandCommon", 5);
    LONG const id = addSort(*fVp, 0);
    std::vector<std::pair<std::function<void(Command&)>, std::string>> const cases{
        {[](Command& c) { c.AddSort(); }, "SortCommand $C ::AddSort"},
        {[](Command& c) { c.RemoveSort(3); }, "SortCommand $C ::RemoveSort(3)"},
        {[](Command& c) { c.RemoveAllSorts(); }, "SortCommand $C ::RemoveAllSorts(1)"},
        {[](Command& c) { c.Swap(1, 2); }, "SortCommandCommon $C ::Swap(1, 2)"},
        {[](Command& c) { c.ClearAxis(1); }, "SortCommandCommon $C ::ClearAxis(1)"},
        {[](Command& c) { c.ReverseSort(4); }, "SortCommand $C ::ReverseSort(4)"},
        {[](Command& c) { c.BreakHierarchy(5); }, "SortCommand $C ::BreakHierarchy(5)"},
        {[](Command& c) { c.SetSortLinkMode(ZELT_o::kLinkOwn); }, ""},
        {[&](Command& c) {
             c.RemoveSort(id);
             c.execute();
             c.undo();
         },
         "SortCommand $C ::RemoveSort(0)|SortCommand $C  ::execute()|SortCommand $C ::undo()"},
    };
    for (auto const& [record, text] : cases) {
        SCOPED_TRACE(text);
        auto command = sortCommand(*fVp);
        char address[32];
        std::snprintf(address, sizeof address, "%x",
                      static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(command.get())));
        log.clear();
        record(*command);
        std::string expected = text;
        for (auto at = expected.find("$C"); at != std::string::npos; at = expected.find("$C")) {
            expected.replace(at, 2, address);
        }
        std::string traced;
        for (std::string const& line : log.lines()) {
            if (line.rfind("SortCommand", 0) == 0) {
                traced += (traced.empty() ? "" : "|") + line;
            }
        }
        EXPECT_EQ(traced, expected);
    }
}

// Only root sorts in force are saved; loading replays them with fresh ids and their names, and
// drops those whose dimensions the cube lacks.
TEST_F(SortTest, SavedSortsReplayWithFreshIdsAndDropThoseTheCubeLacks) {
    addSort(*fVp, 0, "", ZELT_o::Sort::kDescending);
    LONG const second = addSort(*fVp, 1);
    addSort(*fVp, 2, "OnC");
    auto reverse = sortCommand(*fVp);
    reverse->ReverseSort(0);
    reverse->execute();
    fVp->doRemoveSort(second);
    std::string const first = saved(*fVp);
    EXPECT_NE(first.find("<SortSpecifications><SortSpecification Index=\"0\" SortName=\"Sort0\" "
                         "Direction=\"1\" IsReversing=\"false\" ChangeHier=\"false\" "
                         "ParentIndex=\"-1\"><Vector UniqueName=\"DimVec\"><Dimension "
                         "UniqueName=\"[A]\"/></Vector></SortSpecification><SortSpecification "
                         "Index=\"2\" SortName=\"OnC\""),
              std::string::npos)
        << first;
    Ref copy = loaded(first, fCube.get());
    EXPECT_EQ(sorts(*copy), "Sort0,OnC / Sort0 OnC");
    std::string const again = saved(*copy);
    std::string renumbered = first;
    renumbered.replace(renumbered.find(" Index=\"2\""), 10, " Index=\"1\"");
    EXPECT_EQ(again, renumbered);
    EXPECT_EQ(saved(*loaded(again, fCube.get())), again);
    auto other = makeCube({"A", "B", "D"});
    EXPECT_EQ(sorts(*loaded(first, other.get())), "Sort0 / Sort0");
    EXPECT_EQ(saved(*bind(fCube.get())).find("SortSpecifications"), std::string::npos);
}

// P: groups X (x1 = 8, x2 = 3) and Y (y1 = 12) over q1 and q2, on axis 0 with both levels;
// Q on axis 1. Checked by hand: X = 11 < Y = 12.
TEST(SortOrder, OrdersAxisByTotalsKeepingOrBreakingTheHierarchy) {
    auto cube = memcube::CubeBuilder("Shop")
                    .hierarchy("P", {"Group", "Item"}, {{"X", "x1"}, {"X", "x2"}, {"Y", "y1"}})
                    .dimension("Q", {"q1", "q2"})
                    .measures({"V"})
                    .fact({"x1", "q1"}, {5})
                    .fact({"x1", "q2"}, {3})
                    .fact({"x2", "q1"}, {1})
                    .fact({"x2", "q2"}, {2})
                    .fact({"y1", "q1"}, {12})
                    .build();
    struct Case {
        LONG direction;
        bool reverse;
        bool flat;
        char const* rows;
        memcube_test::Cells q2;
    };
    using memcube_test::kEmpty;
    std::vector<Case> const cases{
        {-1, false, false, "X x1 x2 Y y1", {5, 3, 2, kEmpty, kEmpty}},
        {0, false, false, "X x2 x1 Y y1", {5, 2, 3, kEmpty, kEmpty}},
        {1, false, false, "Y y1 X x1 x2", {kEmpty, kEmpty, 5, 3, 2}},
        {1, true, false, "X x2 x1 Y y1", {5, 2, 3, kEmpty, kEmpty}},
        {0, false, true, "x2 x1 X Y y1", {2, 3, 5, kEmpty, kEmpty}},
        {1, false, true, "Y y1 X x1 x2", {kEmpty, kEmpty, 5, 3, 2}},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.rows);
        Ref vp = bind(cube.get());
        ZELT_o::Dimension& p = *cube->getDimension(0);
        ZELT_o::Hierarchy* hierarchy = p.getDefaultHierarchy();
        std::vector<ZELT_o::Member*> members;
        for (char const* name : {"X", "x1", "x2", "Y", "y1"}) {
            members.push_back(hierarchy->findMember(PovaString(name)));
        }
        vp->setActiveSet(p, support::adopt(cube->createMemberSet(hierarchy, members)).get());
        if (c.direction >= 0) {
            LONG const id = addSort(*vp, 0, "", c.direction);
            for (bool const reverse : {true, false}) {
                if (reverse ? c.reverse : c.flat) {
                    auto modifier = sortCommand(*vp);
                    reverse ? modifier->ReverseSort(id) : modifier->BreakHierarchy(id);
                    modifier->execute();
                }
            }
        }
        std::vector<ZELT_o::PropertySpecification> properties;
        auto result = support::adopt(vp->query(&properties));
        std::string rows;
        for (auto const& tuple : memcube_test::readAxis(*result, 0)) {
            std::string const& name = tuple.front();
            rows += (rows.empty() ? "" : " ") +
                    name.substr(name.rfind('[') + 1, name.size() - name.rfind('[') - 2);
        }
        EXPECT_EQ(rows, c.rows);
        memcube_test::Cells const cells = memcube_test::readCells(*result);
        EXPECT_EQ(memcube_test::Cells(cells.begin() + 5, cells.end()), c.q2);
    }
}

}  // namespace
}  // namespace viewpoint_test
