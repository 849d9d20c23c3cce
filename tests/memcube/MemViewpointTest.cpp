// memcube behind a live viewpoint: queries of the viewpoint's layout, and lifetimes.
#include "ResultReader.h"

#include <support/CapturingLog.h>

#include <pova/Factories.h>
#include <pova/Level.h>
#include <pova/PropertySpecification.h>
#include <pova/common/ViewpointCommon.h>
#include <provkit/ViewpointBase.h>

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

using namespace memcube_test;

// memcube does not look at the property list.
support::Ref<ZELT_o::ViewResultSet> query(support::Ref<common::ViewpointCommon> const& viewpoint) {
    std::vector<ZELT_o::PropertySpecification> none;
    return support::adopt(viewpoint->query(&none));
}

class BoundViewpoint : public ::testing::Test {
protected:
    BoundViewpoint() { fViewpoint->setCube(fCube.get(), 2, 1); }
    support::Ref<ZELT_o::ViewResultSet> query() { return ::query(fViewpoint); }

    // The cube goes first, which the viewpoint hears of.
    support::Ref<common::ViewpointCommon> fViewpoint = support::Ref<common::ViewpointCommon>::adopt(
        static_cast<common::ViewpointCommon*>(createCommonViewpoint()));
    support::Ref<memcube::MemCube> fCube = makeTinyCube();
};

TEST_F(BoundViewpoint, QueriesTheLayoutAsItChanges) {
    // The provider gave a derived viewpoint. A, B on axes 0, 1; C, Measures paged at defaults.
    ASSERT_NE(fViewpoint->getDerivedViewpoint(), nullptr);
    auto result = query();
    ASSERT_TRUE(result);
    EXPECT_EQ(readCells(*result), (Cells{3, 8, 4, 48}));

    // C nested inside B on axis 1.
    ZELT_o::DimensionPosition from{2, 0}, to{1, 1};
    fViewpoint->doMoveDim(from, to);
    EXPECT_EQ(readCells(*query()), (Cells{1, 8, 2, kEmpty, 4, kEmpty, kEmpty, 48}));
    // No (b, c) row is empty across A: dropping empty rows keeps all four.
    fViewpoint->setAxisExcludeNULLs(1, true);
    EXPECT_EQ(query()->getAxisLength(1), 4);

    // Another cube, whose store without facts is an empty row, which goes.
    auto calendar = makeCalendarCube();
    fViewpoint->setCube(nullptr, 2, 1);
    fViewpoint->setCube(calendar.get(), 2, 1);
    fViewpoint->setAxisExcludeNULLs(1, true);
    EXPECT_EQ(readCells(*query()), (Cells{50, kEmpty, 20, 80}));
}

TEST_F(BoundViewpoint, AResultOutlivesTheViewpointAndTheCube) {
    auto result = query();
    fViewpoint->setCube(nullptr, 2, 1);
    fViewpoint.reset();
    fCube.reset();
    EXPECT_EQ(readCells(*result), (Cells{3, 8, 4, 48}));
}

TEST_F(BoundViewpoint, TheViewpointForgetsACubeThatGoes) {
    // The cube dies while bound: the viewpoint hears it and drops all it held of the cube.
    fCube.reset();
    EXPECT_FALSE(fViewpoint->isConnected());
    EXPECT_EQ(fViewpoint->getDerivedViewpoint(), nullptr);
    EXPECT_THROW(::query(fViewpoint), BaseError);
}

// Time on the view axis; Store and Measures paged. Facts: Jan North 10, Feb South 20, Apr
// North 40, 2024's Q1 South 80.
class ActiveState : public ::testing::Test {
protected:
    ActiveState() { fViewpoint->setCube(fCube.get(), 1, 1); }
    ~ActiveState() override { fViewpoint->setCube(nullptr, 1, 1); }
    ZELT_o::Member* time(char const* name) { return fCube->findMember(name); }
    ZELT_o::Member* season(char const* name) { return fSeason->findMember(name); }
    ZELT_o::MemberSet* set(ZELT_o::Hierarchy* hierarchy, std::vector<ZELT_o::Member*> members) {
        return fSets.emplace_back(support::adopt(fCube->createMemberSet(hierarchy, members))).get();
    }

    support::Ref<memcube::MemCube> fCube = makeCalendarCube();
    support::Ref<common::ViewpointCommon> fViewpoint = support::Ref<common::ViewpointCommon>::adopt(
        static_cast<common::ViewpointCommon*>(createCommonViewpoint()));
    ZELT_o::Dimension& fTime = *fCube->getDimension(0);
    ZELT_o::Dimension& fStore = *fCube->getDimension(1);
    ZELT_o::Hierarchy* fSeason = fTime.findHierarchy("Season");
    std::vector<support::Ref<ZELT_o::MemberSet>> fSets;
};

TEST_F(ActiveState, TheNumbersFollowTheSliceTheMemberSetAndTheHierarchy) {
    ZELT_o::DimensionPosition timePlace{0, 0}, storePlace{1, 0};
    struct Step {
        char const* what;
        std::function<void()> change;
        Cells cells;
    };
    Step const steps[] = {
        {"the default sets and slices", [] {}, {70, 80}},
        {"a slice",
         [&] { fViewpoint->setActiveSlice(fStore, fCube->findMember("North"), false); },
         {50, kEmpty}},
        {"a member set",
         [&] {
             fViewpoint->setActiveSet(fTime,
                                      set(fTime.getDefaultHierarchy(),
                                          {time("[Time].[2023].[Q1]"), time("[Time].[2023].[Q2]"),
                                           time("[Time].[2024].[Q1]")}));
         },
         {10, 40, kEmpty}},
        {"another slice",
         [&] { fViewpoint->setActiveSlice(fStore, fCube->findMember("South"), false); },
         {20, kEmpty, 80}},
        {"a member set of another hierarchy",
         [&] {
             fViewpoint->setActiveSet(fTime,
                                      set(fSeason, {season("[Time].[Season].[Winter].[Feb]"),
                                                    season("[Time].[Season].[Spring].[Apr]")}));
         },
         {20, kEmpty}},
        {"another hierarchy, with its top members",
         [&] { fViewpoint->setActiveHierarchy(fTime, fSeason); },
         {100, kEmpty}},
        {"Store shown, Time sliced at the hierarchy's All member",
         [&] { fViewpoint->doSwapDim(timePlace, storePlace); },
         {50, 100, kEmpty}},
        {"a slice of the active hierarchy",
         [&] { fViewpoint->setActiveSlice(fTime, season("Winter"), false); },
         {10, 100, kEmpty}},
        {"a slice of another hierarchy",
         [&] { fViewpoint->setActiveSlice(fTime, time("[Time].[2023].[Q2]"), false); },
         {40, kEmpty, kEmpty}},
    };
    for (Step const& step : steps) {
        step.change();
        EXPECT_FALSE(fViewpoint->getDerivedViewpoint()->isInError()) << step.what;
        EXPECT_EQ(readCells(*query(fViewpoint)), step.cells) << step.what;
    }
    EXPECT_EQ(readAxis(*query(fViewpoint), 0),
              (std::vector<Tuple>{{"[Store].[North]"}, {"[Store].[South]"}, {"[Store].[East]]]"}}));
}

// Any state a seeded walk reaches, also ones the viewpoint refuses: the quick check answers as
// the full one does. Each step moves or swaps a dimension, sets the axes' empty-tuple rule, now
// and then hides or excludes the paged axis (a View type would be for good), changes one
// dimension's state, and may hold for one step what the setters refuse: another dimension's
// member, another cube's set.
TEST(LayoutCheck, AnswersAsTheFullCheck) {
    // A by B is exactly the cell limit; nesting C or D goes over it unless empty tuples go.
    memcube::CubeBuilder edge("Edge");
    std::vector<std::string> many;
    for (int i = 0; i < 4096; ++i) {
        many.push_back(std::to_string(i));
    }
    edge.dimension("A", many).dimension("B", many).dimension("C", {"c1", "c2"});
    edge.dimension("D", {"d1", "d2"}).measures({"V", "W"}).fact({"0", "1", "c1", "d2"}, {1, 2});
    testing_support::CapturingLog log;  // Changes of excluded dimensions report assertions.
    for (auto const& cube : {makeTinyCube(), makeCalendarCube(), edge.build()}) {
        auto foreign = makeTinyCube();  // Outlives the viewpoint that may hold its objects.
        auto viewpoint = support::Ref<common::ViewpointCommon>::adopt(
            static_cast<common::ViewpointCommon*>(createCommonViewpoint()));
        viewpoint->setCube(cube.get(), 2, 1);
        ZELT_o::Viewpoint::AxisType const pagedType = viewpoint->getAxisType(2);
        std::vector<ZELT_o::Dimension*> dimensions;
        cube->getDimensions(dimensions);
        std::mt19937 random(17);
        auto pick = [&random](std::size_t count) {
            return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
        };
        auto some_hierarchy = [&](ZELT_o::Dimension& dimension) {
            std::vector<ZELT_o::Hierarchy*> hierarchies;
            dimension.getHierarchies(hierarchies);
            return hierarchies[pick(hierarchies.size())];
        };
        // The members of some level of some hierarchy, or an empty selection.
        auto some_set = [&](ZELT_o::Dimension& dimension) {
            std::vector<ZELT_o::Level*> levels;
            some_hierarchy(dimension)->getLevels(levels);
            return support::adopt(pick(4) == 0
                                      ? levels[0]->getHierarchy()->createMemberSet(8, nullptr)
                                      : levels[pick(levels.size())]->getMemberSet());
        };
        auto some_member = [&](ZELT_o::Dimension& dimension) {
            auto set = some_set(dimension);
            return set->getCount() > 0 ? set->getMember(static_cast<LONG>(pick(set->getCount())))
                                       : dimension.getDefaultHierarchy()->getDefaultMember();
        };
        auto attempt = [](auto change) {
            try {
                change();
            } catch (...) {  // Refused changes are walked through as well.
            }
        };
        int answers[2] = {0, 0};
        for (int step = 0; step < 1000; ++step) {
            attempt([&] {
                auto some_place = [&](std::size_t end) -> ZELT_o::DimensionPosition {
                    auto const axis = static_cast<LONG>(pick(3));
                    return {axis, static_cast<LONG>(
                                      pick(viewpoint->getAxisDimensions(axis).size() + end))};
                };
                auto from = some_place(0), to = some_place(1);
                pick(2) == 0 ? viewpoint->doMoveDim(from, to) : viewpoint->doSwapDim(from, to);
            });
            for (LONG axis = 0; axis < 3; ++axis) {
                attempt([&] { viewpoint->setAxisExcludeNULLs(axis, pick(2) == 0); });
            }
            attempt([&] {
                viewpoint->doChangeAxisType(
                    2, pick(4) == 0 ? static_cast<ZELT_o::Viewpoint::AxisType>(2 + pick(3))
                                    : pagedType);
            });
            ZELT_o::Dimension& dimension = *dimensions[pick(dimensions.size())];
            attempt([&] {
                std::size_t const what = pick(3);
                what == 0   ? viewpoint->setActiveSet(dimension, some_set(dimension).get())
                : what == 1 ? viewpoint->setActiveSlice(dimension, some_member(dimension), false)
                            : viewpoint->setActiveHierarchy(dimension, some_hierarchy(dimension));
            });
            auto const heldSet = support::retain(viewpoint->getCurrentSet(dimension));
            ZELT_o::Member* const heldSlice = viewpoint->getCurrentSection(dimension);
            if (std::size_t const odd = pick(4); odd == 0) {
                viewpoint->replaceCurrentSet(dimension, some_set(*foreign->getDimension(0)).get(),
                                             false);
            } else if (odd == 1) {
                viewpoint->replaceCurrentSection(
                    dimension,
                    some_member(pick(2) == 0 ? *dimensions[pick(dimensions.size())]
                                             : *foreign->getDimension(0)),
                    false);
            }
            bool const full = cube->canEvaluate(memcube::MemCube::layoutOf(*viewpoint));
            ASSERT_EQ(cube->canEvaluate(*viewpoint), full) << nameOf(cube.get()) << " " << step;
            ++answers[full ? 1 : 0];
            viewpoint->replaceCurrentSet(dimension, heldSet.get(), false);
            viewpoint->replaceCurrentSection(dimension, heldSlice, false);
        }
        EXPECT_TRUE(answers[0] > 0 && answers[1] > 0) << nameOf(cube.get());
        viewpoint->setCube(nullptr, 2, 1);
    }
}

}  // namespace
