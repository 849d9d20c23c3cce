// memcube behind a live viewpoint: queries of the viewpoint's layout, and lifetimes.
#include "ResultReader.h"

#include <pova/Factories.h>
#include <pova/common/ViewpointCommon.h>

#include <gtest/gtest.h>

namespace {

using namespace memcube_test;

class BoundViewpoint : public ::testing::Test {
protected:
    BoundViewpoint() { fViewpoint->setCube(fCube.get(), 2, 1); }
    // memcube does not look at the property list.
    support::Ref<ZELT_o::ViewResultSet> query() {
        return support::adopt(fViewpoint->query(nullptr));
    }

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
    EXPECT_EQ(fViewpoint->query(nullptr), nullptr);
}

}  // namespace
