#include "Help.h"

#include "ClientError.h"

#include <iomanip>
#include <ostream>

namespace pova_tool {

namespace {

struct Page {
    char const* name;
    char const* usage;    // The arguments, after the name.
    char const* summary;  // One line for the list.
    char const* details;  // A few lines for "help COMMAND".
};

constexpr Page kPages[] = {
    {"layout", "", "print the axes, their dimensions and the slices",
     "Axes are numbered from 0: 0 the columns, 1 the rows, 2 the paged axis. Each line\n"
     "shows the axis type and its dimensions, outermost first, with the slices of a\n"
     "slice axis. Axis and position numbers of the other commands refer to this list.\n"},
    {"cells", "[--rows N] [--columns N] [--format F]", "print the grid of the current layout",
     "Prints at most N rows (1 to 10000, 20 unless told) and N columns (1 to 10000, 6\n"
     "unless told), each cell in the number format of its measure, or in the number\n"
     "format string F (see 'help format'). A last line counts the rows and columns.\n"},
    {"move", "FROM_AXIS FROM_POS TO_AXIS TO_POS", "move a dimension to another place",
     "Moves the dimension at position FROM_POS of axis FROM_AXIS to position TO_POS of\n"
     "axis TO_AXIS; TO_POS may be one past the last position. An axis that would be\n"
     "left with too few dimensions, or hold too many, refuses the move. Undoable.\n"},
    {"swap", "AXIS POS AXIS POS", "swap two dimensions",
     "Puts each of the two dimensions in the place of the other. Undoable.\n"},
    {"swapaxes", "AXIS AXIS", "swap the contents of two axes",
     "Every dimension of the first axis goes to the second, and the other way. Undoable.\n"},
    {"axistype", "AXIS TYPE", "set the type of an axis",
     "TYPE is view, slice, hidden or excluded (or 1 to 4). A view axis keeps its type.\n"
     "Undoable.\n"},
    {"nulls", "AXIS on|off", "leave out (on) or show (off) the empty lines of an axis",
     "With on, the rows (or columns) of AXIS whose cells are all empty are left out of\n"
     "the grid. Undoable.\n"},
    {"slice", "DIM MEMBER", "make MEMBER the slice of dimension DIM",
     "The cells show the values of MEMBER while DIM stands on a slice axis. DIM and\n"
     "MEMBER are names or unique names, such as Product and [Product].[Bikes]. Undoable.\n"},
    {"members", "DIM MEMBER...", "show only these members of dimension DIM",
     "The lines of DIM are the members named, in the order given. Undoable.\n"},
    {"hierarchy", "DIM HIER", "make HIER the active hierarchy of dimension DIM",
     "DIM shows the members of HIER from then on. Undoable.\n"},
    {"undo", "", "undo the last command done",
     "Takes back the newest change still done; a transaction is taken back as one.\n"},
    {"redo", "", "do again the last command undone",
     "Does the oldest change undone again. A new change drops the changes undone.\n"},
    {"history", "", "list the commands done, newest last",
     "Lists every change of the session; those undone are marked.\n"},
    {"query", "", "what the grids asked for and what the cache answered",
     "Prints the property lists of the queries, the provider's last query and how many\n"
     "grids the viewpoint's result cache answered.\n"},
    {"save", "FILE", "write the viewpoint to FILE as XML",
     "Writes the layout, sets, slices, sorts and filters of the viewpoint to FILE.\n"},
    {"load", "FILE", "take the viewpoint saved in FILE instead",
     "Replaces the viewpoint by the one saved in FILE, on the same cube, and starts the\n"
     "history afresh. A file that does not load leaves the viewpoint as it was.\n"},
    {"filter", "[AXIS EXPRESSION]", "keep the lines of AXIS for which EXPRESSION holds",
     "Keeps the lines of AXIS for which EXPRESSION holds, for example\n"
     "  filter 1 [Measures].[Sales] > 5000000\n"
     "An expression compares measures and numbers with = <> < <= > >= and joins\n"
     "comparisons with AND, OR and NOT. Without arguments, lists the filters. Undoable.\n"},
    {"unfilter", "", "remove every filter", "Removes every filter of the viewpoint. Undoable.\n"},
    {"sort", "AXIS asc|desc [break]", "order the lines of AXIS by their totals",
     "Orders the lines of AXIS by their totals, ascending or descending, in place of\n"
     "the sorts AXIS had; with break, as one flat list rather than within each parent.\n"
     "Undoable.\n"},
    {"unsort", "[AXIS]", "take away the sorts of AXIS, or every sort",
     "Without AXIS, every sort goes. Undoable.\n"},
    {"stats", "row|column N", "summary and trend lines of one line of the grid",
     "Prints the count, mean, median, quartiles and deviations of the values of row (or\n"
     "column) N of the grid, counted from 1, and its trend line in every family, the\n"
     "best fit marked.\n"},
    {"format", "[OPTIONS] | render FORMAT VALUE...", "number format strings",
     "With options, prints the format string they describe ('format --help' lists\n"
     "them). With render, prints each VALUE rendered with the format string FORMAT:\n"
     "sections for positive;negative;zero;text, 0 # ? placeholders, thousands and\n"
     "scaling commas, %, E+, quoted text, [Red] colours and [<100] conditions.\n"},
    {"refused", "COMMAND...", "run a command that is expected to be refused",
     "In a script: runs COMMAND and shows its refusal on standard output. A command that\n"
     "is not refused counts as a failure.\n"},
    {"help", "[COMMAND]", "list the commands, or say what one does",
     "Without COMMAND, lists the options and commands.\n"},
    {"quit", "", "end the session", "Ends the session; so does the end of the input.\n"},
};

Page const* find_page(std::string const& name) {
    for (Page const& page : kPages) {
        if (name == page.name) {
            return &page;
        }
    }
    return nullptr;
}

std::string head_of(Page const& page) {
    return *page.usage == '\0' ? page.name : std::string(page.name) + " " + page.usage;
}

}  // namespace

void printHelp(std::ostream& out) {
    out << "usage: pova [OPTIONS] [COMMAND ARGUMENTS...]\n"
           "With a command, runs it on a fresh viewpoint of the cube. Without one, reads one\n"
           "command per line from standard input, all on the same viewpoint. Changes can be\n"
           "undone; several on one line, separated by \";\", form one transaction. A line\n"
           "that starts with \"#\" is a comment. DIM, MEMBER and HIER are names or unique names.\n"
           "\noptions (before the command):\n"
           "  --provider NAME    the provider of the cube: memcube (the sample \"Sales\" cube in\n"
           "                     memory, the default), sqlite or postgres\n"
           "  --database FILE    sqlite: the database file; a missing one becomes the sample\n"
           "  --connection TEXT  postgres: a libpq connection string (\"host=... dbname=...\")\n"
           "  --version          print the version\n"
           "  --help             this text\n"
           "\ncommands ('help COMMAND' says more):\n";
    for (Page const& page : kPages) {
        std::string const head = head_of(page);
        // A long head puts its summary on the next line.
        out << "  " << std::left << std::setw(38) << head
            << (head.size() >= 38 ? "\n" + std::string(40, ' ') : "") << page.summary << "\n";
    }
    out << "\nexit status: 0 done, 1 a command failed, 2 a usage error (the worst line of a\n"
           "script counts; an interactive session ends with 0)\n";
}

void printCommandHelp(std::string const& command, std::ostream& out) {
    Page const* page = find_page(command);
    if (page == nullptr) {
        throw UsageError("unknown command '" + command + "'", "type 'help' to see the commands");
    }
    out << "usage: " << head_of(*page) << "\n" << page->details;
}

std::string usageOf(std::string const& command) {
    Page const* page = find_page(command);
    return page != nullptr ? "usage: " + head_of(*page) : "";
}

}  // namespace pova_tool
