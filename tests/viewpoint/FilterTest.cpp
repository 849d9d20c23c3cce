// Filters and tuple filters: names and ids, every command kind executed, undone and executed
// again, errors and trace lines, link modes, the XML sections, validity against the layout, and
// memcube's filtered grids checked by hand.
#include "memcube/ResultReader.h"
#include "support/CapturingLog.h"
#include "support/RecordingListener.h"
#include "viewpoint/ViewpointFixture.h"

#include <pova/common/BasicViewpointCommandCommon.h>
#include <pova/common/ExpressionBase.h>
#include <pova/common/FilterCommon.h>
#include <pova/common/FilterViewpointCommandCommon.h>

#include <cstdint>
#include <cstdio>
#include <sstream>

namespace viewpoint_test {
namespace {

using Command = common::FilterViewpointCommandCommon;
using Basic = common::BasicViewpointCommandCommon;
using FilterRef = support::Ref<common::FilterCommon>;
using Type = ZELT_o::Viewpoint::CommandType;
using Dims = std::vector<ZELT_o::Dimension*>;

constexpr std::uint32_t kSyntax = 0x02017068u;
constexpr std::uint32_t kNotEvaluated = 0xC201C100u;

support::Ref<Command> command(common::ViewpointCommon& vp) {
    return support::adopt(static_cast<Command*>(vp.createCommand(Type::Filter)));
}

// A filter over the dimensions, its expression parsed against their cube when given.
FilterRef filterOn(Dims const& dims, char const* text = nullptr, char const* name = "") {
    auto filter = support::adopt(new common::FilterCommon());
    filter->getDimVec() = dims;
    filter->setName(name);
    if (text != nullptr) {
        filter->setExpressionText(text, dims.front()->getCube());
    }
    return filter;
}

FilterRef tupleFilter(LONG axis, Dims const& dims, std::vector<PovaString> const& names,
                      char const* name = "") {
    FilterRef filter = filterOn(dims, nullptr, name);
    filter->setExpressionType(ZELT_o::Filter::kTupleFilter);
    filter->setAxis(axis);
    filter->getNameVec() = names;
    return filter;
}

// Adds a copy of `filter` through a command; `keep` holds the command, so that the filter can
// come back after a removal.
LONG add(common::ViewpointCommon& vp, ZELT_o::Filter& filter,
         std::vector<support::Ref<Command>>* keep = nullptr) {
    auto c = command(vp);
    ZELT_o::Filter& own = *c->AddFilter();
    own.setExpressionType(filter.getExpressionType());
    own.setAxis(filter.getAxis());
    own.setName(filter.getName());
    own.getDimVec() = filter.getDimVec();
    own.getNameVec() = filter.getNameVec();
    own.getHierVec() = filter.getHierVec();
    for (ZELT_o::Expression* expression : filter.getExpressions()) {
        own.addExpression(support::adopt(expression->clone()).get());
    }
    c->execute();
    if (keep != nullptr) {
        keep->push_back(c);
    }
    return c->getFilterId();
}

// The applied filters in order, each axis's tuple filters ("!" marks an invalid one), and the
// link mode.
std::string state(common::ViewpointCommon& vp) {
    std::string text;
    std::vector<LONG> ids;
    auto names = [&](LONG axis) {
        for (LONG id : ids) {
            ZELT_o::Filter* filter = nullptr;
            vp.getFilter(id, &filter, axis);
            text += " " + filter->getName().string() + (filter->isValid() ? "" : "!");
        }
    };
    vp.getAvailableFilters(ids);
    names(-1);
    for (LONG axis = 0; axis < 3; ++axis) {
        vp.getAvailableTupleFilters(ids, axis);
        text += " |";
        names(axis);
    }
    return text + " link " + std::to_string(vp.getFilterLinkMode());
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

// A | B | C,Measures: F0 on A, F1 on B, and T1, a tuple filter of axis 1 taking B1 out; a
// child viewpoint with filter link mode 0.
class FilterTest : public CubeFixture {
protected:
    void SetUp() override { reset(); }
    void reset() {
        fKeep.clear();
        fChild = nullptr;
        fVp = bind(fCube.get());
        fChild = derive(fVp.get());
        add(*fVp, *filterOn({dim(0)}, nullptr, "F0"), &fKeep);
        add(*fVp, *filterOn({dim(1)}, nullptr, "F1"), &fKeep);
        add(*fVp, *tupleFilter(1, {dim(1)}, {"[B].[B1]"}, "T1"), &fKeep);
    }

    Ref fVp;
    Ref fChild;
    std::vector<support::Ref<Command>> fKeep;
};

TEST_F(FilterTest, UnnamedFiltersAreNamedFromTheirCountersAndIdsCountOverAxes) {
    Ref vp = bind(fCube.get());
    EXPECT_EQ(add(*vp, *filterOn({dim(0)})), 0);
    EXPECT_EQ(add(*vp, *filterOn({dim(1)})), 1);
    add(*vp, *filterOn({dim(0)}, nullptr, "Filter3"));
    add(*vp, *filterOn({dim(0)}));
    add(*vp, *filterOn({dim(0)}));
    EXPECT_EQ(add(*vp, *tupleFilter(1, {dim(1)}, {})), 0);
    EXPECT_EQ(add(*vp, *tupleFilter(0, {dim(0)}, {})), 1);
    EXPECT_EQ(state(*vp),
              " Filter0 Filter1 Filter3 Filter2 Filter4 | TupleFilter1 | TupleFilter0 | link 0");
}

// Each kind: execute changes the filters, undo restores them, and execute-undo repeats.
TEST_F(FilterTest, EveryKindExecutesUndoesAndExecutesAgain) {
    struct Case {
        char const* name;
        bool onChild;
        std::function<void(Command&)> record;
        char const* after;
    };
    std::vector<Case> const cases{
        {"add", false, [&](auto& c) { c.AddFilter()->getDimVec() = {dim(0)}; },
         " F0 F1 Filter0 | | T1 | link 0"},
        {"add a tuple filter", false,
         [&](auto& c) {
             ZELT_o::Filter* f = c.AddFilter();
             f->setExpressionType(ZELT_o::Filter::kTupleFilter);
             f->setAxis(0);
             f->getDimVec() = {dim(0)};
         },
         " F0 F1 | TupleFilter0 | T1 | link 0"},
        {"remove", false, [](auto& c) { c.RemoveFilter(1); }, " F0 | | T1 | link 0"},
        {"remove all", false, [](auto& c) { c.RemoveAllFilters(); }, " | | T1 | link 0"},
        {"clear an axis", false, [](auto& c) { c.ClearAxis(1); }, " F0 | | T1 | link 0"},
        {"swap", false, [](auto& c) { c.Swap(0, 1); }, " F1 F0 | | T1 | link 0"},
        {"remove a tuple filter", false, [](auto& c) { c.RemoveTupleFilter(0, 1); },
         " F0 F1 | | | link 0"},
        {"remove an axis's tuple filters", false, [](auto& c) { c.RemoveAllTupleFilters(1); },
         " F0 F1 | | | link 0"},
        {"link mode", true, [](auto& c) { c.SetFilterLinkMode(ZELT_o::kLinkFollow); },
         " F0 F1 | | T1 | link 1"},
    };
    for (Case const& test : cases) {
        SCOPED_TRACE(test.name);
        reset();
        common::ViewpointCommon& vp = test.onChild ? *fChild : *fVp;
        auto c = command(vp);
        std::string const before = state(vp);
        test.record(*c);
        c->execute();
        EXPECT_EQ(state(vp), test.after);
        c->undo();
        EXPECT_EQ(state(vp), before);
        c->execute();
        EXPECT_EQ(state(vp), test.after);
        c->undo();
        EXPECT_EQ(state(vp), before);
    }
}

TEST_F(FilterTest, ErrorsChangeNothing) {
    std::vector<std::pair<std::function<void()>, std::uint32_t>> const cases{
        {[&] { fVp->doRemoveFilter(5, -1); }, kUnexpected},
        {[&] { fVp->doSetFilter(1, 1); }, kUnexpected},
        {[&] {
             fVp->doSetFilters({0, 7}, -1);
         },
         kUnexpected},
        {[&] { fVp->doSwapFilters(0, 7); }, kUnexpected},
        {[&] { fVp->doSetFilter(static_cast<ZELT_o::Filter*>(nullptr)); }, kInvalidArg},
        {[&] { fVp->doSetFilter(tupleFilter(-1, {dim(0)}, {}).get()); }, kInvalidArg},
        {[&] { makeViewpoint()->doSetFilter(filterOn({dim(0)}).get()); }, kNotConnected},
        {[&] {
             LONG id = 0;
             fVp->getFilterIndexFromName("F9", &id, -1);
         },
         kInvalidArg},
        {[&] { fVp->doSetFilterLinkMode(ZELT_o::kLinkFollow); }, kNoBase},
        {[&] { command(*fVp)->execute(); }, kCannotRun},
        {[&] { command(*fVp)->undo(); }, kCannotRun},
        {[&] {
             auto c = command(*fVp);
             c->RemoveFilter(0);
             c->undo();
         },
         kCannotRun},
        {[&] {
             auto c = command(*fVp);
             c->RemoveFilter(0);
             c->AddFilter();
         },
         kAlreadyRecorded},
        {[&] { command(*fVp)->SetFilterLinkMode(3); }, kFail},
        {[&] { filterOn({dim(0)}, "[Measures].[Value] >"); }, kSyntax},
        {[&] { filterOn({dim(0)}, "[A].[A7] Is [A].[A1]"); }, kSyntax},
    };
    std::string const before = state(*fVp);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(codeOf(cases[i].first), cases[i].second);
        EXPECT_EQ(state(*fVp), before);
    }
    EXPECT_FALSE(fVp->doSetFilterLinkMode(ZELT_o::LinkMode{5}));
    // A filter is held by one table once.
    FilterRef twice = filterOn({dim(0)});
    fChild->doSetFilter(twice.get());
    EXPECT_EQ(codeOf([&] { fChild->doSetFilter(twice.get()); }), kInvalidArg);
}

// A command that goes after removing a filter frees it: no command can bring it back then.
TEST_F(FilterTest, ARemovedFilterLeavesWithTheCommandsThatCouldBringItBack) {
    auto remove = command(*fVp);
    remove->RemoveFilter(1);
    remove->execute();
    ZELT_o::Filter* filter = nullptr;
    fVp->getFilter(1, &filter, -1);
    remove = nullptr;
    EXPECT_EQ(codeOf([&] { fVp->getFilter(1, &filter, -1); }), kUnexpected);
    EXPECT_EQ(codeOf([&] { fKeep[1]->execute(); }), kUnexpected);
    EXPECT_EQ(state(*fVp), " F0 | | T1 | link 0");
}

// Enabled once clearViewpoint drops the filters (clear_filters): they name the dimensions of
// the cube that went.
TEST_F(FilterTest, ADisconnectedViewpointDropsItsFilters) {
    fVp->setCube(nullptr, 2, 1);
    fVp->setCube(fCube.get(), 2, 1);
    EXPECT_EQ(state(*fVp), " | | | link 0");
    EXPECT_EQ(codeOf([&] { fKeep[0]->undo(); }), kUnexpected);
}

// Trace lines at verbosity 5 of MEMORY/FilterViewpointCommandCommon ($C: the command).
TEST_F(FilterTest, TraceLines) {
    testing_support::CapturingLog log;
    log.setVerbosity("MEMORY", "FilterViewpointCommandCommon", 5);
    std::vector<std::pair<std::function<void(Command&)>, std::string>> const cases{
        {[](auto& c) { c.AddFilter(); }, "$C ::AddFilter()"},
        {[](auto& c) { c.RemoveFilter(1); }, "$C ::RemoveFilter(1)"},
        {[](auto& c) { c.RemoveTupleFilter(0, 1); }, "$C ::RemoveTupleFilter(0,1)"},
        {[](auto& c) { c.ClearAxis(10); }, "$C ::ClearAxis(a)"},
        {[](auto& c) { c.RemoveAllFilters(); }, "$C ::RemoveAllFilters(2)"},
        {[](auto& c) { c.RemoveAllTupleFilters(1); }, "$C ::RemoveAllTupleFilters(1)"},
        {[](auto& c) {
             c.Swap(0, 1);
             c.SetFilterLinkMode(0);
             c.execute();
             c.undo();
         },
         "$C ::Swap(0, 1)|$C  ::execute()|$C ::undo()"},
    };
    for (auto const& [record, text] : cases) {
        SCOPED_TRACE(text);
        auto c = command(*fVp);
        log.clear();
        record(*c);
        char address[64];
        std::snprintf(address, sizeof address, "FilterViewpointCommandCommon %x",
                      static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(c.get())));
        std::string expected = text;
        for (auto at = expected.find("$C"); at != std::string::npos; at = expected.find("$C")) {
            expected.replace(at, 2, address);
        }
        std::string traced;
        for (std::string const& line : log.lines()) {
            if (line.rfind("FilterViewpointCommandCommon", 0) == 0) {
                traced += (traced.empty() ? "" : "|") + line;
            }
        }
        EXPECT_EQ(traced, expected);
    }
}

// A renamed unique name reaches the children's filters too; validation marks by the layout
// unless skipped once; a dimension leaving the cube takes its filters; a tuple filter that
// refers to a parameter is cleared by the next query.
TEST_F(FilterTest, RenamesValidationRemovalsAndParameterTuples) {
    add(*fChild, *tupleFilter(1, {dim(1)}, {"[B].[B1]"}, "C1"), &fKeep);
    fVp->changeFilterUNameInstances("[B].[B1]", "[B].[B2]");
    for (Ref const& vp : {fVp, fChild}) {
        ZELT_o::Filter* filter = nullptr;
        vp->getFilter(0, &filter, 1);
        EXPECT_EQ(filter->getNameVec(), std::vector<PovaString>{"[B].[B2]"});
        filter->setValid(false);
    }
    testing_support::RecordingListener listener;
    fVp->addListener(&listener);
    fVp->skipNextFilterValidation();
    fVp->validateFiltersAndFireEvents();
    EXPECT_EQ(state(*fVp), " F0 F1 | | T1! | link 0");
    fVp->validateFiltersAndFireEvents();
    fVp->sendEvents();
    EXPECT_EQ(state(*fVp), " F0 F1 | | T1 | link 0");
    std::vector<std::string> const everything{"axisChanged(0)", "axisChanged(1)", "axisChanged(2)",
                                              "cellsChanged()", "viewpointChanged()"};
    EXPECT_EQ(std::vector<std::string>(listener.calls().end() - 5, listener.calls().end()),
              everything);
    fVp->removeListener(&listener);

    fVp->removeSpecsUName("[B]");
    EXPECT_EQ(state(*fVp), " F0 | | | link 0");
    auto reference = support::adopt<ZELT_o::Expression>(new common::ExpressionBase(nullptr));
    reference->setType(ZELT_o::Expression::kParameterReference);
    reference->setStringValue(u"P");
    FilterRef parametric = tupleFilter(0, {dim(0)}, {}, "TP");
    parametric->addExpression(reference.get());
    add(*fVp, *parametric, &fKeep);
    EXPECT_EQ(fVp->does_axis_contain_parameters(0), 1);
    std::vector<ZELT_o::PropertySpecification> properties;
    auto const result = support::adopt(fVp->query(&properties));
    EXPECT_EQ(fVp->does_axis_contain_parameters(0), 0);
    EXPECT_EQ(state(*fVp), " F0 | | | link 0");
}

// Mode 0: the child has filters of its own. Mode 1: it shows its base's, and changes its own.
// Mode 2: it shows and changes its base's. A linked child hears of its base's filter changes.
TEST_F(FilterTest, LinkModesOnADerivedViewpoint) {
    struct Case {
        ZELT_o::LinkMode mode;
        char const* child;
        char const* base;
        std::vector<std::string> heard;
    };
    std::vector<Case> const cases{
        {ZELT_o::kLinkOwn, " C | | | link 0", " F1 | | T1 | link 0", {}},
        {ZELT_o::kLinkFollow,
         " F1 | | T1 | link 1",
         " F1 | | T1 | link 0",
         {"axisChanged(0)", "cellsChanged()", "viewpointChanged()"}},
        {ZELT_o::kLinkBase,
         " F1 C | | T1 | link 2",
         " F1 C | | T1 | link 0",
         {"axisChanged(0)", "cellsChanged()", "viewpointChanged()"}},
    };
    for (Case const& test : cases) {
        SCOPED_TRACE(test.mode);
        reset();
        ASSERT_TRUE(fChild->doSetFilterLinkMode(test.mode));
        testing_support::RecordingListener listener;
        fChild->addListener(&listener);
        fVp->doRemoveFilter(0, -1);
        EXPECT_EQ(listener.calls(), test.heard);
        add(*fChild, *filterOn({dim(0)}, nullptr, "C"), &fKeep);
        EXPECT_EQ(state(*fChild), test.child);
        EXPECT_EQ(state(*fVp), test.base);
        fChild->removeListener(&listener);
    }
}

// Save, load into a fresh viewpoint of the cube, save again: the same text, the filters
// replayed under their names. A cube without B drops the filters that name it.
TEST_F(FilterTest, SectionsRoundTripAndWhatNoLongerFitsIsDropped) {
    FilterRef f2 = filterOn({dim(0)}, "[Measures].[Value] > 3 AND [A] Is [A].[A1]", "F2");
    f2->getNameVec() = {"[A].[A]"};
    f2->getHierVec() = {hier(0)};
    add(*fVp, *f2, &fKeep);
    fKeep.front()->undo();  // F0 removed: not saved
    std::string const text = saved(*fVp);
    Ref again = loaded(text, fCube.get());
    EXPECT_EQ(saved(*again), text);
    EXPECT_EQ(state(*again), " F1 F2 | | T1 | link 0");
    LONG id = -1;
    again->getFilterIndexFromName("F2", &id, -1);
    EXPECT_EQ(id, 1);
    auto other = makeCube({"A", "C"});
    EXPECT_EQ(state(*loaded(text, other.get())), " F2 | | | link 0");
}

// A move, swap or new sides that parts a tuple filter's dimensions marks it invalid; the undo
// makes it valid again. Layout: A | B | C,D,Measures | (empty).
TEST_F(FilterTest, TupleFiltersFitTheirAxisOrAreInvalidUntilUndone) {
    struct Case {
        char const* name;
        LONG axis;
        std::vector<LONG> dims;
        std::function<void(Basic&)> record;
        bool valid;
    };
    auto cube = makeCube({"A", "B", "C", "D"});
    auto d = [&cube](LONG ordinal) { return cube->getDimension(ordinal); };
    std::vector<Case> const cases{
        {"it loses a dimension", 2, {2}, [](auto& c) { c.MoveDimensions(2, 0, 1, 1); }, false},
        {"a dimension comes between two of it",
         2,
         {2, 3},
         [](auto& c) { c.MoveDimensions(2, 2, 2, 1); },
         false},
        {"a dimension comes beside it",
         2,
         {2, 3},
         [](auto& c) { c.MoveDimensions(2, 2, 2, 0); },
         true},
        {"a dimension from another axis comes between two of it",
         2,
         {3, 4},
         [](auto& c) { c.MoveDimensions(3, 0, 2, 1); },
         false},
        {"a swap takes one of it away",
         2,
         {2},
         [](auto& c) { c.SwapDimensions(2, 0, 1, 0); },
         false},
        {"new sides part it",
         2,
         {2, 3},
         [&](auto& c) {
             c.SetSides({{d(0)}, {d(1)}, {d(3), d(4)}, {d(2)}});
         },
         false},
    };
    for (Case const& test : cases) {
        SCOPED_TRACE(test.name);
        Ref vp = bind(cube.get(), 2, 2);
        ZELT_o::DimensionPosition from{2, 0};
        ZELT_o::DimensionPosition to{3, 0};
        if (test.name == cases[3].name) {
            vp->doMoveDim(from, to);  // C alone on axis 3
        }
        Dims dims;
        for (LONG ordinal : test.dims) {
            dims.push_back(d(ordinal));
        }
        add(*vp, *tupleFilter(test.axis, dims, {}, "T"));
        ASSERT_EQ(state(*vp).find('!'), std::string::npos);
        auto c = support::adopt(static_cast<Basic*>(vp->createCommand(Type::Basic)));
        test.record(*c);
        c->execute();
        EXPECT_EQ(state(*vp).find('!') == std::string::npos, test.valid) << state(*vp);
        c->undo();
        EXPECT_EQ(state(*vp).find('!'), std::string::npos) << state(*vp);
    }
}

// memcube: P (Cat > Item: X > x1, x2; Y > y1) on axis 0, R on axis 1, Sales sliced.
//        r1   r2  | total  Units
//   X    60   20  |   80     7
//   x1   10   20  |   30     5
//   x2   50   --  |   50     2
//   Y     5  100  |  105     8
//   y1    5  100  |  105     8
class MemcubeFilterTest : public ::testing::Test {
protected:
    support::Ref<memcube::MemCube> fShop =
        memcube::CubeBuilder("Shop")
            .hierarchy("P", {"Cat", "Item"}, {{"X", "x1"}, {"X", "x2"}, {"Y", "y1"}})
            .dimension("R", {"r1", "r2"})
            .measures({"Sales", "Units"})
            .fact({"x1", "r1"}, {10, 1})
            .fact({"x2", "r1"}, {50, 2})
            .fact({"y1", "r1"}, {5, 3})
            .fact({"x1", "r2"}, {20, 4})
            .fact({"y1", "r2"}, {100, 5})
            .build();
    ZELT_o::Dimension* fP = fShop->getDimension(0);

    Ref shop() {
        Ref vp = bind(fShop.get());
        std::vector<ZELT_o::Member*> members;
        for (char const* name : {"X", "x1", "x2", "Y", "y1"}) {
            members.push_back(fShop->findMember(name));
        }
        vp->setActiveSet(
            *fP, support::adopt(fShop->createMemberSet(fP->getDefaultHierarchy(), members)).get());
        return vp;
    }
};

// The names of an axis's members, and the cells, of the viewpoint's result.
std::string grid(common::ViewpointCommon& vp) {
    std::vector<ZELT_o::PropertySpecification> properties;
    auto result = support::adopt(vp.query(&properties));
    std::string text;
    for (LONG axis = 0; axis < 2; ++axis) {
        for (auto const& tuple : memcube_test::readAxis(*result, axis)) {
            text += tuple.front().substr(tuple.front().rfind('[') + 1);
            text.back() = ' ';
        }
        text += "| ";
    }
    for (auto const& cell : memcube_test::readCells(*result)) {
        text += cell ? std::to_string(static_cast<int>(*cell)) + " " : "- ";
    }
    return text;
}

TEST_F(MemcubeFilterTest, FilteredGridsCheckedByHand) {
    struct Case {
        char const* text;
        PovaString level;
        char const* grid;
    };
    std::vector<Case> const cases{
        {nullptr, "", "X x1 x2 Y y1 | r1 r2 | 60 10 50 5 5 20 20 - 100 100 "},
        {"[Measures].[Sales] > 40", "", "X x2 Y y1 | r1 r2 | 60 50 5 5 20 - 100 100 "},
        {"[Measures].[Sales] > 90", "", "Y y1 | r1 r2 | 5 5 100 100 "},
        {"[Measures].[Sales] > 90", "[P].[Item]", "X Y y1 | r1 r2 | 60 5 5 20 100 100 "},
        {"IsAncestor( [P].[X] , CurrentMember( [P] ) )", "", "x1 x2 | r1 r2 | 10 50 20 - "},
        {"NOT ( [P] Is [P].[X] ) AND [Measures].[Units] >= 5", "",
         "x1 Y y1 | r1 r2 | 10 5 5 20 100 100 "},
        // Ranks keep the best lines in their order; ties go to the first line.
        {"TopCount( [P] , 1 , [Measures].[Sales] )", "", "Y | r1 r2 | 5 100 "},
        {"BottomCount( [P] , 2 , [Measures].[Units] )", "", "x1 x2 | r1 r2 | 10 50 20 - "},
        {"TopCount( [P] , 2 )", "", "X x1 | r1 r2 | 60 10 20 20 "},
        {"TopCount( [P] , 1 , - [Measures].[Sales] )", "[P].[Item]",
         "X x1 Y | r1 r2 | 60 10 5 20 20 100 "},
        {"TopCount( [P] , 0 , [Measures].[Sales] )", "", "| r1 r2 | "},
    };
    for (Case const& test : cases) {
        SCOPED_TRACE(test.text != nullptr ? test.text : "no filter");
        Ref vp = shop();
        if (test.text != nullptr) {
            FilterRef filter = filterOn({fP}, test.text);
            if (!test.level.empty()) {
                filter->getNameVec() = {test.level};
            }
            add(*vp, *filter);
        }
        EXPECT_EQ(grid(*vp), test.grid);
    }
}

// Tuple filters take their tuples out; an axis that leaves out empty lines loses the ones
// that became empty; an invalid tuple filter takes nothing out; what memcube cannot evaluate
// is refused when the grid is asked for.
TEST_F(MemcubeFilterTest, TupleFiltersEmptyLinesAndRefusals) {
    Ref vp = shop();
    add(*vp, *tupleFilter(0, {fP}, {"[P].[Y]", "[P].[X].[x1]"}));
    EXPECT_EQ(grid(*vp), "X x2 y1 | r1 r2 | 60 50 5 20 - 100 ");
    add(*vp, *filterOn({fP}, "[P] Is [P].[X].[x2]"));
    vp->setAxisExcludeNULLs(1, true);
    EXPECT_EQ(grid(*vp), "x2 | r1 | 50 ");

    Ref swapped = shop();
    add(*swapped, *tupleFilter(0, {fP}, {"[P].[Y]"}));
    auto swap = support::adopt(static_cast<Basic*>(swapped->createCommand(Type::Basic)));
    swap->SwapDimensions(0, 0, 1, 0);
    swap->execute();
    swap->undo();
    EXPECT_EQ(grid(*swapped), "X x1 x2 y1 | r1 r2 | 60 10 50 5 20 20 - 100 ");
    ZELT_o::Filter* filter = nullptr;
    swapped->getFilter(0, &filter, 0);
    filter->setValid(false);
    swapped->dropLastQuery();
    EXPECT_EQ(grid(*swapped), "X x1 x2 Y y1 | r1 r2 | 60 10 50 5 5 20 20 - 100 100 ");

    for (char const* text : {"[Measures].[Sales] + 1 > 3", "TopCount( [R] , 1 )",
                             "TopCount( [P] , 1.5 )", "BottomCount( [P] , -1 )"}) {
        Ref refused = shop();
        add(*refused, *filterOn({fP}, text));
        EXPECT_EQ(codeOf([&] { grid(*refused); }), kNotEvaluated) << text;
    }
}

}  // namespace
}  // namespace viewpoint_test
