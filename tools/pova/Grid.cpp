#include "Grid.h"

#include <pova/Chunk.h>
#include <pova/ChunkHandler.h>
#include <pova/Member.h>
#include <pova/ViewResultSet.h>
#include <pova/support/Ref.h>

#include <basekit/BaseError.h>

#include <algorithm>
#include <map>
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

// The captions of the first `count` tuples of an axis, one list per tuple, outermost first;
// with the measure of each tuple (null when it has none).
using Tuple = std::vector<std::string>;
std::vector<Tuple> tuples(ZELT_o::ViewResultSet& result, LONG axis, LONG count,
                          std::vector<ZELT_o::Member const*>& measures) {
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
            ZELT_o::Member const*& measure = measures.emplace_back(nullptr);
            for (LONG depth = 0; depth < axisChunk->getDepth(); ++depth) {
                ZELT_o::Member* member = axisChunk->getMember(i, depth);
                tuple.push_back(member != nullptr ? member->getCaption().string() : "?");
                if (member != nullptr && member->getMemberType() == ZELT_o::Member::kMeasure) {
                    measure = member;
                }
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

// Characters, not bytes: cells may hold currency signs of several bytes.
std::size_t width_of(std::string const& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string fit(std::string const& text, std::size_t width) {
    if (width_of(text) <= width) {
        return text;
    }
    std::size_t end = 0;
    for (std::size_t kept = 0; kept + 1 < width; ++kept) {
        do {
            ++end;
        } while (end < text.size() && (text[end] & 0xC0) == 0x80);
    }
    return text.substr(0, end) + "~";
}

void pad(std::ostream& out, std::string const& text, std::size_t width, bool right) {
    std::string const shown = fit(text, width);
    std::string const space(width - width_of(shown), ' ');
    out << (right ? space + shown : shown + space);
}

struct Cell {
    std::string text;
    std::string fill;  // Repeated at fillAt to fill the column.
    std::size_t fillAt = 0;
};

std::string filled(Cell const& cell, std::size_t width) {
    std::size_t const shown = width_of(cell.text);
    if (cell.fill.empty() || shown >= width) {
        return cell.text;
    }
    std::string text = cell.text.substr(0, cell.fillAt);
    for (std::size_t i = shown; i < width; ++i) {
        text += cell.fill;
    }
    return text + cell.text.substr(cell.fillAt);
}

// Renders cells with the format of their measure, compiling each format once.
class CellRenderer {
public:
    explicit CellRenderer(CellFormats const& formats) : fFormats(formats) {}

    Cell render(VARIANT const& value, ZELT_o::Member const* measure) {
        Cell cell;
        common::NumberFormatter::Rendered const rendered =
            formatter(measure).render(value, cell.text);
        cell.fill = rendered.fill;
        cell.fillAt = rendered.fillAt;
        return cell;
    }

private:
    common::NumberFormatter const& formatter(ZELT_o::Member const* measure) {
        if (fFormats.all) {
            return *fFormats.all;
        }
        measure = measure != nullptr ? measure : fFormats.slicedMeasure;
        auto it = fByMeasure.find(measure);
        if (it == fByMeasure.end()) {
            std::string const format =
                measure != nullptr && fFormats.measureFormat ? fFormats.measureFormat(measure) : "";
            common::NumberFormatter formatter;
            try {
                formatter = common::NumberFormatter(format);
            } catch (BaseError const&) {
                // A provider's bad format string must not hide its cells.
            }
            it = fByMeasure.emplace(measure, std::move(formatter)).first;
        }
        return it->second;
    }

    CellFormats const& fFormats;
    std::map<ZELT_o::Member const*, common::NumberFormatter> fByMeasure;
};

}  // namespace

void printGrid(ZELT_o::ViewResultSet& result, GridSize const& size, CellFormats const& formats,
               std::ostream& out) {
    LONG const columns = result.getAxisCount() > 0 ? result.getAxisLength(0) : 1;
    LONG const rows = result.getAxisCount() > 1 ? result.getAxisLength(1) : 1;
    LONG const shownColumns = std::min(columns, size.columns);
    LONG const shownRows = std::min(rows, size.rows);
    std::vector<ZELT_o::Member const*> columnMeasures;
    std::vector<ZELT_o::Member const*> rowMeasures;
    std::vector<Tuple> const columnTuples = tuples(result, 0, shownColumns, columnMeasures);
    std::vector<Tuple> const rowTuples = tuples(result, 1, shownRows, rowMeasures);
    std::size_t columnDepth = 0;
    for (Tuple const& tuple : columnTuples) {
        columnDepth = std::max(columnDepth, tuple.size());
    }
    std::size_t rowDepth = 0;
    for (Tuple const& tuple : rowTuples) {
        rowDepth = std::max(rowDepth, tuple.size());
    }

    // The cells, row by row, each with the measure of its column, else of its row.
    CellRenderer renderer(formats);
    std::vector<std::vector<Cell>> cells(static_cast<std::size_t>(shownRows));
    for (LONG row = 0; row < shownRows; ++row) {
        auto const r = static_cast<std::size_t>(row);
        ChunkCollector collector;
        LONG const first = row * columns;
        result.requestCellChunks(&collector, first, first + shownColumns - 1);
        for (auto const& chunk : collector.fChunks) {
            for (LONG i = 0; i < chunk->getValueCount(); ++i) {
                basekit::Variant value;
                chunk->getValue(i, value.get());
                std::size_t const c = cells[r].size();
                ZELT_o::Member const* measure =
                    c < columnMeasures.size() ? columnMeasures[c] : nullptr;
                if (measure == nullptr && r < rowMeasures.size()) {
                    measure = rowMeasures[r];
                }
                cells[r].push_back(renderer.render(*value, measure));
            }
        }
    }

    // Widths: each row-header level as wide as its longest caption, each column as wide as its
    // captions and cells.
    std::vector<std::size_t> rowWidths(rowDepth, 1);
    for (std::size_t i = 0; i < rowTuples.size(); ++i) {
        for (std::size_t depth = 0; depth < rowDepth; ++depth) {
            rowWidths[depth] = std::max(rowWidths[depth], width_of(header(rowTuples, i, depth)));
        }
    }
    std::vector<std::size_t> widths(static_cast<std::size_t>(shownColumns), 1);
    for (std::size_t c = 0; c < widths.size(); ++c) {
        for (std::size_t depth = 0; depth < columnDepth && c < columnTuples.size(); ++depth) {
            widths[c] = std::max(widths[c], width_of(header(columnTuples, c, depth)));
        }
        for (auto const& line : cells) {
            widths[c] = std::max(widths[c], c < line.size() ? width_of(line[c].text) : 0);
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
            pad(out, c < cells[row].size() ? filled(cells[row][c], widths[c]) : "", widths[c],
                true);
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
