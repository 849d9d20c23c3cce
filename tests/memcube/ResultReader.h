// Reads a whole result set through its chunks, for the memcube tests.
#pragma once

#include <basekit/OleAuto.h>
#include <pova/Chunk.h>
#include <pova/ChunkHandler.h>
#include <pova/Member.h>
#include <pova/ViewResultSet.h>
#include <pova/support/Ref.h>

#include <optional>
#include <string>
#include <vector>

namespace memcube_test {

// Keeps every chunk it is handed; answers false once it holds `stopAfter` chunks.
class CollectingHandler : public ZELT_o::ChunkHandler {
public:
    explicit CollectingHandler(std::size_t stopAfter = 0) : fStopAfter(stopAfter) {}

    bool handleChunk(ZELT_o::Chunk* chunk, bool last) override {
        chunks.push_back(support::adopt(chunk));
        lastFlags.push_back(last);
        return fStopAfter == 0 || chunks.size() < fStopAfter;
    }

    std::vector<support::Ref<ZELT_o::Chunk>> chunks;
    std::vector<bool> lastFlags;

private:
    std::size_t fStopAfter;
};

// A tuple as the UTF-8 unique names of its members, outermost first.
using Tuple = std::vector<std::string>;

inline std::vector<Tuple> readAxis(ZELT_o::ViewResultSet& result, LONG axis) {
    CollectingHandler handler;
    result.requestAxisChunks(&handler, axis, 0, 2147483647);
    std::vector<Tuple> tuples;
    for (auto const& chunk : handler.chunks) {
        auto* axisChunk = dynamic_cast<ZELT_o::AxisChunk*>(chunk.get());
        for (LONG i = 0; i < chunk->getValueCount(); ++i) {
            Tuple tuple;
            for (LONG depth = 0; depth < axisChunk->getDepth(); ++depth) {
                tuple.push_back(axisChunk->getMember(i, depth)->getUniqueName().string());
            }
            tuples.push_back(tuple);
        }
    }
    return tuples;
}

// Every cell in order: its value, or nothing for VT_EMPTY. Other types fail the test.
inline std::vector<std::optional<double>> readCells(ZELT_o::ViewResultSet& result) {
    CollectingHandler handler;
    result.requestCellChunks(&handler, 0, 2147483647);
    std::vector<std::optional<double>> cells;
    for (auto const& chunk : handler.chunks) {
        for (LONG i = 0; i < chunk->getValueCount(); ++i) {
            VARIANT value;
            chunk->getValue(i, &value);
            if (value.vt == VT_R8) {
                cells.push_back(value.dblVal);
            } else {
                cells.push_back(std::nullopt);
                if (value.vt != VT_EMPTY) {
                    cells.push_back(-1e300);  // Makes the comparison fail visibly.
                }
            }
            VariantClear(&value);
        }
    }
    return cells;
}

}  // namespace memcube_test
