#include "Grid.h"

#include <pova/Chunk.h>
#include <pova/ChunkHandler.h>
#include <pova/Member.h>
#include <pova/ViewResultSet.h>
#include <pova/support/Ref.h>

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <vector>

namespace pova_tool {

namespace {

constexpr std::size_t kMostWidth = 18;

// Keeps every chunk a result set delivers, in order.
class ChunkCollector : public ZELT_o::ChunkHandler {
public:
    bool handleChunk(ZELT_o::Chunk* chunk, bool) override {
        fChunks.push_back(support::Ref<ZELT_o::Chunk>::adopt(chunk));
        return true;
    }
    std::vector<support::Ref<ZELT_o::Chunk>> fChunks;
};

// The captions of the first `count` tuples of an axis, one list per tuple, outermost first.
using Tuple = std::vector<std::string>;
std::vector<Tuple> tuples(ZELT_o::ViewResultSet& result, LONG axis, LONG count) {
    std::vector<Tuple> found;
    if (count <= 0) {
        return found;
    }
    ChunkCollector collector;
    result.requestAxisChunks(&collector, axis, 0, count - 1);
    for (auto const& chunk : collector.fChunks) {
        auto* axisChunk = dynamic_cast<ZELT_o::AxisChunk*>(chunk.get());
        for (LONG i = 0; axisChunk != nullptr && i < axisChunk->getValueCount(); ++i) {
            Tuple& tuple = found.emplace_back();
            for (LONG depth = 0; depth < axisChunk->getDepth(); ++depth) {
                ZELT_o::Member* member = axisChunk->getMember(i, depth);
                tuple.push_back(member != nullptr ? member->getCaption().string() : "?");
            }
        }
    }
    return found;
}

// The header of tuple i at `depth`: blank inside a block, where the tuple shares every member
// down to that depth with the one before it.
std::string header(std::vector<Tuple> const& all, std::size_t i, std::size_t depth) {
    if (depth >= all[i].size()) {
        return "";
    }
    if (i > 0 && all[i - 1].size() == all[i].size() &&
        std::equal(all[i].begin(), all[i].begin() + static_cast<long>(depth) + 1,
                   all[i - 1].begin())) {
        return "";
    }
    return all[i][depth];
}

std::string fit(std::string const& text, std::size_t width) {
    return text.size() <= width ? text : text.substr(0, width - 1) + "~";
}

void pad(std::ostream& out, std::string const& text, std::size_t width, bool right) {
    std::string const shown = fit(text, width);
    std::string const space(width - shown.size(), ' ');
    out << (right ? space + shown : shown + space);
}

}  // namespace

std::string cellText(VARIANT const& value) {
    char text[32];
    switch (value.vt) {
        case VT_EMPTY:
            return "";
        case VT_R8:
            std::snprintf(text, sizeof text, "%.2f", value.dblVal);
            return text;
        case VT_I4:
            return std::to_string(value.lVal);
        default: {
            basekit::Variant copy(value);
            basekit::Variant converted;
            if (FAILED(VariantChangeType(converted.get(), copy.get(), 0, VT_BSTR))) {
                return "?";
            }
            PovaString string;
            string.fillFromBSTR(converted->bstrVal);
            return string.string();
        }
    }
}

void printGrid(ZELT_o::ViewResultSet& result, GridSize const& size, std::ostream& out) {
    LONG const columns = result.getAxisCount() > 0 ? result.getAxisLength(0) : 1;
    LONG const rows = result.getAxisCount() > 1 ? result.getAxisLength(1) : 1;
    LONG const shownColumns = std::min(columns, size.columns);
    LONG const shownRows = std::min(rows, size.rows);
    std::vector<Tuple> const columnTuples = tuples(result, 0, shownColumns);
    std::vector<Tuple> const rowTuples = tuples(result, 1, shownRows);
    std::size_t columnDepth = 0;
    for (Tuple const& tuple : columnTuples) {
        columnDepth = std::max(columnDepth, tuple.size());
    }
    std::size_t rowDepth = 0;
    for (Tuple const& tuple : rowTuples) {
        rowDepth = std::max(rowDepth, tuple.size());
    }

    // The cells, row by row.
    std::vector<std::vector<std::string>> cells(static_cast<std::size_t>(shownRows));
    for (LONG row = 0; row < shownRows; ++row) {
        ChunkCollector collector;
        LONG const first = row * columns;
        result.requestCellChunks(&collector, first, first + shownColumns - 1);
        for (auto const& chunk : collector.fChunks) {
            for (LONG i = 0; i < chunk->getValueCount(); ++i) {
                basekit::Variant value;
                chunk->getValue(i, value.get());
                cells[static_cast<std::size_t>(row)].push_back(cellText(*value));
            }
        }
    }

    // Widths: each row-header level as wide as its longest caption, each column as wide as its
    // captions and cells.
    std::vector<std::size_t> rowWidths(rowDepth, 1);
    for (std::size_t i = 0; i < rowTuples.size(); ++i) {
        for (std::size_t depth = 0; depth < rowDepth; ++depth) {
            rowWidths[depth] = std::max(rowWidths[depth], header(rowTuples, i, depth).size());
        }
    }
    std::vector<std::size_t> widths(static_cast<std::size_t>(shownColumns), 1);
    for (std::size_t c = 0; c < widths.size(); ++c) {
        for (std::size_t depth = 0; depth < columnDepth && c < columnTuples.size(); ++depth) {
            widths[c] = std::max(widths[c], header(columnTuples, c, depth).size());
        }
        for (auto const& line : cells) {
            widths[c] = std::max(widths[c], c < line.size() ? line[c].size() : 0);
        }
    }
    for (std::size_t& width : rowWidths) {
        width = std::min(width, kMostWidth);
    }
    for (std::size_t& width : widths) {
        width = std::min(width, kMostWidth);
    }

    auto const row_header = [&](std::size_t row) {
        for (std::size_t depth = 0; depth < rowDepth; ++depth) {
            pad(out, row < rowTuples.size() ? header(rowTuples, row, depth) : "", rowWidths[depth],
                false);
            out << "  ";
        }
    };
    for (std::size_t depth = 0; depth < columnDepth; ++depth) {
        for (std::size_t level = 0; level < rowDepth; ++level) {
            out << std::string(rowWidths[level] + 2, ' ');
        }
        for (std::size_t c = 0; c < widths.size(); ++c) {
            out << (c == 0 ? "" : "  ");
            // Outer members head their block from its left; the innermost stand over numbers.
            pad(out, c < columnTuples.size() ? header(columnTuples, c, depth) : "", widths[c],
                depth + 1 == columnDepth);
        }
        out << "\n";
    }
    for (std::size_t row = 0; row < cells.size(); ++row) {
        row_header(row);
        for (std::size_t c = 0; c < widths.size(); ++c) {
            out << (c == 0 ? "" : "  ");
            pad(out, c < cells[row].size() ? cells[row][c] : "", widths[c], true);
        }
        out << "\n";
    }
    out << "(" << rows << (rows == 1 ? " row" : " rows") << ", " << columns
        << (columns == 1 ? " column" : " columns");
    if (shownRows < rows || shownColumns < columns) {
        out << "; left out:";
        auto const count = [](LONG n, char const* what) {
            return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
        };
        if (shownRows < rows) {
            out << " " << count(rows - shownRows, "row");
        }
        if (shownColumns < columns) {
            out << (shownRows < rows ? " and " : " ") << count(columns - shownColumns, "column");
        }
        out << " (cells --rows N --columns N)";
    }
    out << ")\n";
}

}  // namespace pova_tool
