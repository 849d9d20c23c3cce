// Delivery of a result set's axes and cells in chunks, and the references involved.
#include "ResultReader.h"

#include <basekit/BaseError.h>
#include <memcube/CubeBuilder.h>
#include <pova/Dimension.h>
#include <pova/Hierarchy.h>
#include <pova/MemberSet.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using memcube::Layout;
using memcube_test::CollectingHandler;

// One dimension of 3000 members m0 .. m2999, one fact of value i on member mi (none on m0).
class LongAxis : public ::testing::Test {
protected:
    static constexpr LONG kLength = 3000;

    LongAxis() {
        std::vector<std::string> names;
        for (LONG i = 0; i < kLength; ++i) {
            names.push_back(std::string("m").append(std::to_string(i)));
        }
        memcube::CubeBuilder builder("Long");
        builder.dimension("M", names).measures({"V"});
        for (LONG i = 1; i < kLength; ++i) {
            builder.fact({names[static_cast<std::size_t>(i)]}, {static_cast<double>(i)});
        }
        fCube = builder.build();
        ZELT_o::Hierarchy* hierarchy = fCube->getDimension(0)->getDefaultHierarchy();
        auto set = support::adopt(hierarchy->createMemberSet(0, nullptr));
        Layout layout;
        layout.axes.resize(1);
        layout.axes[0].nests.resize(1);
        set->getMembers(layout.axes[0].nests[0]);
        fResult = fCube->evaluate(layout);
    }

    // (first, count) of each chunk.
    static std::vector<std::pair<LONG, LONG>> shape(CollectingHandler const& handler) {
        std::vector<std::pair<LONG, LONG>> result;
        for (auto const& chunk : handler.chunks) {
            result.emplace_back(chunk->getFirst(), chunk->getValueCount());
        }
        return result;
    }

    support::Ref<memcube::MemCube> fCube;
    support::Ref<ZELT_o::ViewResultSet> fResult;
};

TEST_F(LongAxis, ChunksHoldAtMost1024ItemsAndTheLastIsMarked) {
    CollectingHandler cells;
    fResult->requestCellChunks(&cells, 0, 2147483647);
    EXPECT_EQ(shape(cells),
              (std::vector<std::pair<LONG, LONG>>{{0, 1024}, {1024, 1024}, {2048, 952}}));
    EXPECT_EQ(cells.lastFlags, (std::vector<bool>{false, false, true}));

    CollectingHandler tuples;
    fResult->requestAxisChunks(&tuples, 0, 1000, 2047);
    EXPECT_EQ(shape(tuples), (std::vector<std::pair<LONG, LONG>>{{1000, 1024}, {2024, 24}}));
    EXPECT_EQ(tuples.lastFlags, (std::vector<bool>{false, true}));
}

TEST_F(LongAxis, RangesAreClampedAndEmptyRangesDeliverNothing) {
    CollectingHandler below;
    fResult->requestCellChunks(&below, -5, 3);
    EXPECT_EQ(shape(below), (std::vector<std::pair<LONG, LONG>>{{0, 4}}));
    EXPECT_EQ(below.lastFlags, std::vector<bool>{true});

    CollectingHandler beyond;
    fResult->requestCellChunks(&beyond, kLength, 2147483647);
    fResult->requestCellChunks(&beyond, 10, 9);
    fResult->requestAxisChunks(&beyond, 1, 0, 10);
    fResult->requestAxisChunks(&beyond, -1, 0, 10);
    EXPECT_TRUE(beyond.chunks.empty());

    // No handler: nothing to deliver to.
    fResult->requestCellChunks(nullptr, 0, 10);
}

TEST_F(LongAxis, DeliveryStopsWhenTheHandlerSaysSo) {
    CollectingHandler handler(1);
    fResult->requestCellChunks(&handler, 0, 2147483647);
    EXPECT_EQ(handler.chunks.size(), 1u);
    EXPECT_EQ(handler.lastFlags, std::vector<bool>{false});
}

TEST_F(LongAxis, ChunkValuesAreCellsOrCaptions) {
    CollectingHandler cells;
    fResult->requestCellChunks(&cells, 2046, 2049);
    ZELT_o::Chunk& chunk = *cells.chunks.at(0);
    VARIANT value;
    ASSERT_TRUE(chunk.getValue(0, &value));
    EXPECT_EQ(value.vt, VT_R8);
    EXPECT_EQ(value.dblVal, 2046);
    EXPECT_FALSE(chunk.getValue(4, &value));
    EXPECT_FALSE(chunk.getValue(-1, &value));

    CollectingHandler first;
    fResult->requestCellChunks(&first, 0, 0);
    ASSERT_TRUE(first.chunks.at(0)->getValue(0, &value));
    EXPECT_EQ(value.vt, VT_EMPTY) << "no fact on m0";
    EXPECT_DOUBLE_EQ(fResult->getMinimum(), 1);
    EXPECT_DOUBLE_EQ(fResult->getMaximum(), kLength - 1);

    CollectingHandler tuples;
    fResult->requestAxisChunks(&tuples, 0, 7, 8);
    auto* axisChunk = dynamic_cast<ZELT_o::AxisChunk*>(tuples.chunks.at(0).get());
    ASSERT_NE(axisChunk, nullptr);
    EXPECT_EQ(axisChunk->getAxis(), 0);
    EXPECT_EQ(axisChunk->getDepth(), 1);
    EXPECT_EQ(axisChunk->getMember(1, 0)->getUniqueName(), "[M].[m8]");
    EXPECT_EQ(axisChunk->getMember(2, 0), nullptr);
    EXPECT_EQ(axisChunk->getMember(0, 1), nullptr);
    ASSERT_TRUE(axisChunk->getValue(1, &value));
    ASSERT_EQ(value.vt, VT_BSTR);
    EXPECT_EQ(PovaString(value.bstrVal), "m8");
    VariantClear(&value);
}

TEST_F(LongAxis, ChunksAndResultsKeepWhatTheyUse) {
    EXPECT_EQ(fResult->getRefCount(), 1);
    LONG const cubeCount = fCube->getRefCount();
    EXPECT_EQ(cubeCount, 2) << "the result set holds the cube";

    CollectingHandler handler;
    fResult->requestAxisChunks(&handler, 0, 0, 0);
    ASSERT_EQ(handler.chunks.size(), 1u);
    EXPECT_EQ(handler.chunks[0]->getRefCount(), 1) << "the handler owns the only reference";

    // The chunk outlives the result set and the cube's last outside reference.
    fResult.reset();
    fCube.reset();
    auto* chunk = dynamic_cast<ZELT_o::AxisChunk*>(handler.chunks[0].get());
    EXPECT_EQ(chunk->getMember(0, 0)->getUniqueName(), "[M].[m0]");
}

TEST(ResultSet, TooManyCellsAreRefused) {
    std::vector<std::string> names;
    for (int i = 0; i < 5000; ++i) {
        names.push_back(std::string("x").append(std::to_string(i)));
    }
    auto cube = memcube::CubeBuilder("Wide")
                    .dimension("X", names)
                    .dimension("Y", names)
                    .measures({"V"})
                    .fact({"x1", "x2"}, {5})
                    .build();
    auto members = [&](int dimension) {
        auto set = support::adopt(
            cube->getDimension(dimension)->getDefaultHierarchy()->createMemberSet(0, nullptr));
        std::vector<ZELT_o::Member*> list;
        set->getMembers(list);
        return list;
    };
    Layout layout;
    layout.axes = {{{members(0)}}, {{members(1)}}};
    try {
        cube->evaluate(layout);
        ADD_FAILURE() << "25 million cells accepted";
    } catch (ResultError const& error) {
        EXPECT_EQ(error.result(), E_OUTOFMEMORY);
    }
    // Without the empty tuples the same grid is one cell.
    layout.axes[0].excludeEmpty = true;
    layout.axes[1].excludeEmpty = true;
    auto result = cube->evaluate(layout);
    EXPECT_EQ(result->getItemCount(), 1);
    EXPECT_EQ(memcube_test::readAxis(*result, 1), std::vector<memcube_test::Tuple>{{"[Y].[x2]"}});
    EXPECT_EQ(memcube_test::readCells(*result), std::vector<std::optional<double>>{5});
}

}  // namespace
