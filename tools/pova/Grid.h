// Grid: prints a result set as a pivot table. Columns are the tuples of axis 0, rows those of
// axis 1; an axis that nests several dimensions gets one header line (or column) per
// dimension, each outer member printed once at the start of its block.
#pragma once

#include <basekit/OleAuto.h>
#include <pova/Types.h>

#include <iosfwd>
#include <string>

namespace ZELT_o {
class ViewResultSet;
}

namespace pova_tool {

struct GridSize {
    LONG rows = 20;
    LONG columns = 6;
};

// Prints at most `size` rows and columns, then a line saying how much was left out.
void printGrid(ZELT_o::ViewResultSet& result, GridSize const& size, std::ostream& out);

// The text of one cell: numbers with two decimals, empty cells blank.
std::string cellText(VARIANT const& value);

}  // namespace pova_tool
