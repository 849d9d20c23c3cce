// The client's filter commands: "filter AXIS EXPRESSION" keeps the lines of an axis for which
// the expression holds (a filter over the dimensions standing on that axis), "unfilter" removes
// every filter, and "filter" alone lists the filters in force. The changes run as filter
// commands of the viewpoint through the session's history, so undo and redo take them back and
// do them again; they cannot be part of a ";" transaction.
#pragma once

#include "CommandHistory.h"
#include "EventPrinter.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace ZELT_o {
class Viewpoint;
}

namespace pova_tool {

bool isFilterCommand(std::string const& word);

// `words` is the whole line, its command first. False when the command was refused, with the
// reason (the library's message text, or what was expected) written to `err`.
bool runFilterCommand(ZELT_o::Viewpoint& viewpoint, CommandHistory& history, EventPrinter& events,
                      std::vector<std::string> const& words, std::ostream& out, std::ostream& err);

}  // namespace pova_tool
