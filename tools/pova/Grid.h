// Grid: prints a result set as a pivot table. Columns are the tuples of axis 0, rows those of
// axis 1; an axis that nests several dimensions gets one header line (or column) per
// dimension, each outer member printed once at the start of its block.
#pragma once

#include <pova/Types.h>
#include <pova/common/NumberFormatter.h>

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

namespace ZELT_o {
class Member;
class ViewResultSet;
}  // namespace ZELT_o

namespace pova_tool {

struct GridSize {
    LONG rows = 20;
    LONG columns = 6;
};

// How the cells are rendered: with one format for all, or each with the number format of its
// measure (the measure on the cell's row or column, else the sliced one), General when the
// measure has none. A fill ("*x") fills the cell's column.
struct CellFormats {
    // For every cell (cells --format); unset: by measure.
    std::optional<common::NumberFormatter> all;
    // A measure's format string; "" for none.
    std::function<std::string(ZELT_o::Member const*)> measureFormat;
    // The measure of the cells whose row and column name none: the slice of Measures.
    ZELT_o::Member const* slicedMeasure = nullptr;
};

// Prints at most `size` rows and columns, then a line saying how much was left out. A measure
// whose format string does not compile shows its cells as General.
void printGrid(ZELT_o::ViewResultSet& result, GridSize const& size, CellFormats const& formats,
               std::ostream& out);

}  // namespace pova_tool
