// Builds layouts of members by name and reads whole result sets through their chunks.
#pragma once

#include "SmallCubes.h"

#include <basekit/BaseError.h>
#include <basekit/OleAuto.h>
#include <pova/Chunk.h>
#include <pova/ChunkHandler.h>

#include <cmath>
#include <optional>

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

// A tuple as the unique names of its members, outermost first.
using Tuple = std::vector<std::string>;
// Cell values, nothing for an empty cell.
using Cells = std::vector<std::optional<double>>;
inline constexpr std::nullopt_t kEmpty = std::nullopt;

inline std::vector<Tuple> readAxis(ZELT_o::ViewResultSet& result, LONG axis) {
    CollectingHandler handler;
    result.requestAxisChunks(&handler, axis, 0, 2147483647);
    std::vector<Tuple> tuples;
    for (auto const& chunk : handler.chunks) {
        auto& axisChunk = dynamic_cast<ZELT_o::AxisChunk&>(*chunk);
        for (LONG i = 0; i < chunk->getValueCount(); ++i) {
            Tuple& tuple = tuples.emplace_back();
            for (LONG depth = 0; depth < axisChunk.getDepth(); ++depth) {
                tuple.push_back(nameOf(axisChunk.getMember(i, depth)));
            }
        }
    }
    return tuples;
}

// Every cell in order. A value neither VT_R8 nor VT_EMPTY reads as NaN, which equals nothing.
inline Cells readCells(ZELT_o::ViewResultSet& result) {
    CollectingHandler handler;
    result.requestCellChunks(&handler, 0, 2147483647);
    Cells cells;
    for (auto const& chunk : handler.chunks) {
        for (LONG i = 0; i < chunk->getValueCount(); ++i) {
            VARIANT value;
            chunk->getValue(i, &value);
            cells.push_back(value.vt == VT_EMPTY ? std::optional<double>()
                            : value.vt == VT_R8  ? value.dblVal
                                                 : std::nan(""));
            VariantClear(&value);
        }
    }
    return cells;
}

// One axis as its nested member lists, outermost first, by the names findMember takes.
using AxisNames = std::vector<std::vector<char const*>>;

// A layout of named members; a name the cube does not know stands for a null member.
inline memcube::Layout layoutOf(memcube::MemCube& cube, std::vector<AxisNames> const& axes,
                                std::vector<char const*> const& slices = {}) {
    auto members = [&cube](std::vector<char const*> const& names) {
        std::vector<ZELT_o::Member*> found;
        for (char const* name : names) {
            found.push_back(cube.findMember(name));
        }
        return found;
    };
    memcube::Layout layout{{}, members(slices)};
    for (AxisNames const& axis : axes) {
        for (auto& nests = layout.axes.emplace_back().nests; auto const& names : axis) {
            nests.push_back(members(names));
        }
    }
    return layout;
}

inline Cells cellsOf(memcube::MemCube& cube, memcube::Layout const& layout) {
    return readCells(*cube.evaluate(layout));
}

// The result code evaluate throws for the layout, S_OK when it computes it.
inline HRESULT refusalOf(memcube::MemCube& cube, memcube::Layout const& layout) {
    try {
        cube.evaluate(layout);
    } catch (ResultError const& error) {
        return error.result();
    }
    return S_OK;
}

}  // namespace memcube_test
