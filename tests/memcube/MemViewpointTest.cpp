// memcube behind a live viewpoint: the provider registration and queries of the viewpoint's
// layout.
#include "ResultReader.h"
#include "SmallCubes.h"

#include <pova/Factories.h>
#include <pova/common/ViewpointCommon.h>
#include <provkit/ProviderLibrary.h>

#include <gtest/gtest.h>

namespace {

using memcube_test::readAxis;
using memcube_test::readCells;
using memcube_test::Tuple;
using Cells = std::vector<std::optional<double>>;

// The 2x2x2 cube of the hand-checked tests.
support::Ref<memcube::MemCube> makeTiny() {
    return memcube::CubeBuilder("Tiny")
        .dimension("A", {"a1", "a2"})
        .dimension("B", {"b1", "b2"})
        .dimension("C", {"c1", "c2"})
        .measures({"Value"})
        .fact({"a1", "b1", "c1"}, {1})
        .fact({"a1", "b1", "c2"}, {2})
        .fact({"a1", "b2", "c1"}, {4})
        .fact({"a2", "b1", "c1"}, {8})
        .fact({"a2", "b2", "c2"}, {16})
        .fact({"a2", "b2", "c2"}, {32})
        .build();
}

class BoundViewpoint : public ::testing::Test {
protected:
    BoundViewpoint() { fViewpoint->setCube(fCube.get(), 2, 1); }
    ~BoundViewpoint() override {
        if (fViewpoint) {
            fViewpoint->setCube(nullptr, 2, 1);
        }
    }

    support::Ref<ZELT_o::ViewResultSet> query() {
        // memcube does not look at the property list.
        return support::adopt(fViewpoint->query(nullptr));
    }

    support::Ref<memcube::MemCube> fCube = makeTiny();
    support::Ref<common::ViewpointCommon> fViewpoint = support::Ref<common::ViewpointCommon>::adopt(
        static_cast<common::ViewpointCommon*>(createCommonViewpoint()));
};

TEST(MemcubeProvider, IsRegisteredUnderItsName) {
    common::ProviderLibrary* library = common::createProviderLibrary("memcube");
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(library->getName(), "memcube");
    EXPECT_EQ(common::createProviderLibrary("MemCube"), library);
}

TEST_F(BoundViewpoint, QueriesTheDefaultLayout) {
    // A on axis 0, B on axis 1, C and Measures paged at their defaults.
    ASSERT_NE(fViewpoint->getDerivedViewpoint(), nullptr);
    auto result = query();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->getAxisCount(), 2);
    EXPECT_EQ(readAxis(*result, 0), (std::vector<Tuple>{{"[A].[a1]"}, {"[A].[a2]"}}));
    EXPECT_EQ(readAxis(*result, 1), (std::vector<Tuple>{{"[B].[b1]"}, {"[B].[b2]"}}));
    EXPECT_EQ(readCells(*result), (Cells{3, 8, 4, 48}));
}

TEST_F(BoundViewpoint, FollowsMovesAndEmptyTupleRemoval) {
    // C nested inside B on axis 1.
    ZELT_o::DimensionPosition from{2, 0};
    ZELT_o::DimensionPosition to{1, 1};
    fViewpoint->doMoveDim(from, to);
    auto result = query();
    EXPECT_EQ(readAxis(*result, 1), (std::vector<Tuple>{{"[B].[b1]", "[C].[c1]"},
                                                        {"[B].[b1]", "[C].[c2]"},
                                                        {"[B].[b2]", "[C].[c1]"},
                                                        {"[B].[b2]", "[C].[c2]"}}));
    EXPECT_EQ(readCells(*result),
              (Cells{1, 8, 2, std::nullopt, 4, std::nullopt, std::nullopt, 48}));

    // No (b, c) row is empty across A: dropping empty rows keeps all four.
    fViewpoint->setAxisExcludeNULLs(1, true);
    EXPECT_EQ(query()->getAxisLength(1), 4);
}

TEST_F(BoundViewpoint, DropsEmptyColumnsWhenAsked) {
    auto sparse = memcube::CubeBuilder("Sparse")
                      .dimension("A", {"a1", "a2", "a3"})
                      .dimension("B", {"b1"})
                      .measures({"Value"})
                      .fact({"a1", "b1"}, {1})
                      .fact({"a3", "b1"}, {3})
                      .build();
    fViewpoint->setCube(nullptr, 2, 1);
    fViewpoint->setCube(sparse.get(), 2, 1);
    EXPECT_EQ(readCells(*query()), (Cells{1, std::nullopt, 3}));
    fViewpoint->setAxisExcludeNULLs(0, true);
    auto result = query();
    EXPECT_EQ(readAxis(*result, 0), (std::vector<Tuple>{{"[A].[a1]"}, {"[A].[a3]"}}));
    EXPECT_EQ(readCells(*result), (Cells{1, 3}));
    fViewpoint->setCube(nullptr, 2, 1);
}

TEST_F(BoundViewpoint, AResultOutlivesTheViewpointAndTheCube) {
    auto result = query();
    fViewpoint->setCube(nullptr, 2, 1);
    fViewpoint.reset();
    fCube.reset();
    EXPECT_EQ(readCells(*result), (Cells{3, 8, 4, 48}));
}

TEST_F(BoundViewpoint, TheViewpointForgetsACubeThatGoes) {
    // The cube dies while the viewpoint is bound: the viewpoint hears stopListening and drops
    // its derived viewpoint with everything else it held of the cube.
    fCube.reset();
    EXPECT_FALSE(fViewpoint->isConnected());
    EXPECT_EQ(fViewpoint->getDerivedViewpoint(), nullptr);
    EXPECT_EQ(fViewpoint->query(nullptr), nullptr);
}

}  // namespace
