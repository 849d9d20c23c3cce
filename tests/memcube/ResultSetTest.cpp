// Result sets: axes and cells in chunks, the references involved, and grids too large.
#include "ResultReader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace memcube_test;

constexpr LONG kCells = -100;  // Requests cells rather than an axis.
constexpr LONG kMax = 2147483647;

std::vector<std::string> numbered(char const* prefix, LONG count) {
    std::vector<std::string> names;
    for (LONG i = 0; i < count; ++i) {
        names.push_back(prefix + std::to_string(i));
    }
    return names;
}

// Dimension M: m0 .. m2999; dimension N: n0 .. n5999. One fact of value i at (mi, n0) for
// every i but 0. The result: M on axis 0, all of N.
class LongAxis : public ::testing::Test {
protected:
    static constexpr LONG kLength = 3000;

    LongAxis() {
        auto const names = numbered("m", kLength);
        memcube::CubeBuilder builder("Long");
        builder.dimension("M", names).dimension("N", numbered("n", 2 * kLength)).measures({"V"});
        for (LONG i = 1; i < kLength; ++i) {
            builder.fact({names[static_cast<std::size_t>(i)], "n0"}, {static_cast<double>(i)});
        }
        fCube = builder.build();
        memcube::Layout layout;
        layout.axes = {{{topMembers(*fCube->getDimension(0))}}};
        fResult = fCube->evaluate(layout);
    }

    // The chunks a request delivers, as "first+count" each, marked "!" when sent as the last.
    std::string chunks(LONG axis, LONG first, LONG last, std::size_t stopAfter = 0) {
        CollectingHandler handler(stopAfter);
        if (axis == kCells) {
            fResult->requestCellChunks(&handler, first, last);
        } else {
            fResult->requestAxisChunks(&handler, axis, first, last);
        }
        std::string shape;
        for (std::size_t i = 0; i < handler.chunks.size(); ++i) {
            shape += (i > 0 ? " " : "") + std::to_string(handler.chunks[i]->getFirst()) + "+" +
                     std::to_string(handler.chunks[i]->getValueCount()) +
                     (handler.lastFlags[i] ? "!" : "");
        }
        return shape;
    }

    support::Ref<memcube::MemCube> fCube;
    support::Ref<ZELT_o::ViewResultSet> fResult;
};

TEST_F(LongAxis, ChunksHoldAtMost1024ItemsOfTheClampedRange) {
    EXPECT_EQ(chunks(kCells, 0, kMax), "0+1024 1024+1024 2048+952!");
    EXPECT_EQ(chunks(0, 1000, 2047), "1000+1024 2024+24!");
    EXPECT_EQ(chunks(kCells, -5, 3), "0+4!");
    EXPECT_EQ(chunks(kCells, 0, kMax, 1), "0+1024") << "the handler stops the delivery";
    EXPECT_EQ(chunks(kCells, kLength, kMax) + chunks(kCells, 10, 9), "") << "empty ranges";
    EXPECT_EQ(chunks(1, 0, 10) + chunks(-1, 0, 10), "") << "axes that are not there";
    fResult->requestCellChunks(nullptr, 0, 10);  // No handler: nothing to deliver to.
}

TEST_F(LongAxis, ChunksAreCellsOrTuplesAndKeepWhatTheyUse) {
    CollectingHandler cells;
    fResult->requestCellChunks(&cells, 2046, 2049);
    VARIANT value;
    EXPECT_FALSE(cells.chunks.at(0)->getValue(4, &value) || cells.chunks[0]->getValue(-1, &value));

    CollectingHandler tuples;
    fResult->requestAxisChunks(&tuples, 0, 7, 8);
    auto* axisChunk = dynamic_cast<ZELT_o::AxisChunk*>(tuples.chunks.at(0).get());
    ASSERT_NE(axisChunk, nullptr);
    EXPECT_TRUE(axisChunk->getAxis() == 0 && axisChunk->getDepth() == 1);
    EXPECT_TRUE(axisChunk->getMember(2, 0) == nullptr && axisChunk->getMember(0, 1) == nullptr);
    ASSERT_TRUE(axisChunk->getValue(1, &value));  // The caption of the innermost member.
    ASSERT_EQ(value.vt, VT_BSTR);
    EXPECT_EQ(PovaString(value.bstrVal), "m8");
    VariantClear(&value);
    EXPECT_FALSE(axisChunk->getValue(2, &value));

    // The chunk outlives the result set and the cube's last outside reference.
    fResult.reset();
    fCube.reset();
    EXPECT_EQ(nameOf(axisChunk->getMember(1, 0)), "[M].[m8]");
}

TEST_F(LongAxis, TooManyCellsAreRefusedUnlessTheEmptyOnesGo) {
    memcube::Layout layout;
    layout.axes = {{{topMembers(*fCube->getDimension(0))}},
                   {{topMembers(*fCube->getDimension(1))}}};
    EXPECT_FALSE(fCube->canEvaluate(layout));
    EXPECT_EQ(refusalOf(*fCube, layout), E_OUTOFMEMORY) << "18 million cells";
    layout.axes[0].excludeEmpty = layout.axes[1].excludeEmpty = true;
    auto result = fCube->evaluate(layout);
    EXPECT_EQ(readAxis(*result, 1), std::vector<Tuple>{{"[N].[n0]"}});
    Cells const cells = readCells(*result);
    EXPECT_EQ(cells.size(), 2999u);
    EXPECT_TRUE(cells.front() == 1 && cells.back() == 2999);
}

}  // namespace
