#include "Session.h"

#include "FilterCommand.h"
#include "FormatCommand.h"
#include "Grid.h"
#include "SortCommand.h"
#include "StatsCommand.h"

#include <basekit/BaseError.h>
#include <memcube/SalesCube.h>
#include <pova/Dimension.h>
#include <pova/Factories.h>
#include <pova/Hierarchy.h>
#include <pova/Member.h>
#include <pova/MemberSet.h>
#include <pova/QueryFieldsData.h>
#include <pova/ViewResultSet.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <ostream>
#include <sstream>
#include <stdexcept>

namespace pova_tool {

namespace {

// A bad command line: the message says what was expected.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

LONG number(std::string const& text) {
    LONG value = 0;
    auto const [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        throw UsageError("expected a number, not \"" + text + "\"");
    }
    return value;
}

ZELT_o::Viewpoint::AxisType axisTypeOf(std::string const& text) {
    static std::pair<char const*, ZELT_o::Viewpoint::AxisType> const names[] = {
        {"view", ZELT_o::Viewpoint::kView},
        {"slice", ZELT_o::Viewpoint::kSlice},
        {"hidden", ZELT_o::Viewpoint::kHidden},
        {"excluded", ZELT_o::Viewpoint::kExcluded}};
    for (auto const& [name, type] : names) {
        if (PovaString(text).strcmp(name, true) == 0) {
            return type;
        }
    }
    LONG const value = number(text);
    if (value < 1 || value > 4) {
        throw UsageError("an axis type is view, slice, hidden or excluded (or 1 to 4)");
    }
    return static_cast<ZELT_o::Viewpoint::AxisType>(value);
}

}  // namespace

Session::Session()
    : fCube(memcube::makeSalesCube()), fViewpoint(support::adopt(createCommonViewpoint())) {
    fViewpoint->addListener(&fEvents);
    fViewpoint->setCube(fCube.get(), 2, 1);
    fEvents.take();
}

Session::~Session() {
    fViewpoint->removeListener(&fEvents);
    fViewpoint->setCube(nullptr, 2, 1);
}

std::vector<Session::Command> const& Session::commands() {
    static std::vector<Command> const table = {
        {"layout", "", "print the axes, their dimensions and the slices", 0, false,
         &Session::layout, nullptr},
        {"cells", "[--rows N] [--columns N] [--format F]",
         "print the grid of the current layout (20 rows and 6 columns unless told), each cell "
         "in the number format of its measure, or F",
         0, true, &Session::cells, nullptr},
        {"move", "FROM_AXIS FROM_POS TO_AXIS TO_POS",
         "move a dimension (TO_POS may be one past the end)", 4, false, nullptr, &Session::move},
        {"swap", "AXIS POS AXIS POS", "swap two dimensions", 4, false, nullptr, &Session::swap},
        {"swapaxes", "A B", "swap the contents of two axes", 2, false, nullptr, &Session::swapAxes},
        {"axistype", "AXIS TYPE", "set an axis's type: view, slice, hidden or excluded", 2, false,
         nullptr, &Session::axisType},
        {"nulls", "AXIS on|off", "exclude (on) or show (off) empty lines of an axis", 2, false,
         nullptr, &Session::nulls},
        {"slice", "DIM MEMBER", "make MEMBER the slice of dimension DIM", 2, false, nullptr,
         &Session::slice},
        {"members", "DIM MEMBER...", "show only these members of dimension DIM", 2, true, nullptr,
         &Session::members},
        {"hierarchy", "DIM HIER", "make HIER the active hierarchy of dimension DIM", 2, false,
         nullptr, &Session::hierarchy},
        {"undo", "", "undo the last command done", 0, false, &Session::undo, nullptr},
        {"redo", "", "do again the last command undone", 0, false, &Session::redo, nullptr},
        {"history", "", "list the commands done, newest last", 0, false, &Session::history,
         nullptr},
        {"query", "", "print the property lists of the queries and what the cache answered", 0,
         false, &Session::queryInfo, nullptr},
        {"save", "FILE", "write the viewpoint to FILE as XML", 1, false, &Session::save, nullptr},
        {"load", "FILE", "take the viewpoint saved in FILE instead (clears the history)", 1, false,
         &Session::load, nullptr},
    };
    return table;
}

Session::Command const* Session::find_command(std::string const& name) {
    for (Command const& command : commands()) {
        if (name == command.name) {
            return &command;
        }
    }
    return nullptr;
}

void Session::printHelp(std::ostream& out) {
    out << "usage: pova [COMMAND ARGUMENTS...]\n"
           "With a command, runs it on a fresh viewpoint of the sample \"Sales\" cube. Without\n"
           "one, reads one command per line from standard input (a prompt when it is a\n"
           "terminal), all on the same viewpoint. Commands that change the viewpoint can be\n"
           "undone; several of them on one line, separated by \";\", form one transaction.\n"
           "DIM, MEMBER and HIER are names or unique names.\n\ncommands:\n";
    for (Command const& command : commands()) {
        std::string const head = std::string(command.name) + " " + command.arguments;
        // A long head puts its help on the next line.
        out << "  " << std::left << std::setw(40) << head
            << (head.size() >= 40 ? "\n" + std::string(42, ' ') : "") << command.help << "\n";
    }
    out << "  " << std::left << std::setw(40) << "format [OPTIONS]"
        << "print the number format string the options describe (format --help)\n";
    out << "  " << std::left << std::setw(40) << "format render FORMAT VALUE..."
        << "render values with a number format string\n";
    out << "  " << std::left << std::setw(40) << "filter AXIS EXPRESSION"
        << "keep the lines of AXIS for which EXPRESSION holds, e.g.\n"
        << std::string(42, ' ') << "filter 1 [Measures].[Sales] > 5000000 (undoable)\n";
    out << "  " << std::left << std::setw(40) << "unfilter"
        << "remove every filter (undoable); \"filter\" alone lists them\n";
    out << "  " << std::left << std::setw(40) << "stats row N | stats column N"
        << "summary and trend lines of one line of the grid\n";
    out << "  " << std::left << std::setw(40) << "sort AXIS asc|desc [break]"
        << "order the lines of AXIS by their totals (break: as one flat list)\n";
    out << "  " << std::left << std::setw(40) << "unsort [AXIS]"
        << "take away the sorts of AXIS, or every sort\n";
    out << "  " << std::left << std::setw(40) << "refused COMMAND"
        << "in a script: run a command that is expected to be refused\n";
    out << "  " << std::left << std::setw(40) << "help"
        << "this list\n";
}

bool Session::execute(std::vector<std::string> const& words, std::ostream& out, std::ostream& err) {
    if (words.empty()) {
        return true;
    }
    if (words[0] == "help" || words[0] == "--help") {
        printHelp(out);
        return true;
    }
    if (words[0] == "format") {
        return runFormatCommand({words.begin() + 1, words.end()}, out, err) == 0;
    }
    if (isSortCommand(words)) {
        return runSortCommand(*fViewpoint, fHistory, fEvents, words, out, err);
    }
    if (isFilterCommand(words[0])) {
        return runFilterCommand(*fViewpoint, fHistory, fEvents, words, out, err);
    }
    if (words[0] == "stats") {
        try {
            return runStatsCommand(*fViewpoint, {words.begin() + 1, words.end()}, out, err);
        } catch (std::invalid_argument const& error) {
            err << error.what() << "\n";
            return false;
        }
    }
    // The line's commands, split at ";".
    std::vector<Arguments> groups(1);
    for (std::string const& word : words) {
        if (word == ";") {
            groups.emplace_back();
        } else {
            groups.back().push_back(word);
        }
    }
    std::erase_if(groups, [](Arguments const& group) { return group.empty(); });
    try {
        for (Arguments const& group : groups) {
            Command const* command = find_command(group[0]);
            if (command == nullptr) {
                throw UsageError("unknown command \"" + group[0] + "\" (try help)");
            }
            std::size_t const count = group.size() - 1;
            if (count < command->argumentCount ||
                (!command->variadic && count != command->argumentCount)) {
                throw UsageError(std::string("usage: ") + command->name + " " + command->arguments);
            }
            if (groups.size() > 1 && command->change == nullptr) {
                throw UsageError(std::string("\"") + command->name +
                                 "\" is no undoable change and cannot be part of a transaction");
            }
        }
        if (groups.size() == 1 && find_command(groups[0][0])->run != nullptr) {
            Command const& command = *find_command(groups[0][0]);
            return (this->*command.run)({groups[0].begin() + 1, groups[0].end()}, out);
        }
        return run_changes(groups, out);
    } catch (UsageError const& error) {
        err << error.what() << "\n";
    } catch (BaseError const& error) {
        print_events(out);
        err << error.what() << "\n";
    } catch (ResultError const& error) {
        print_events(out);
        err << error.what() << "\n";
    }
    return false;
}

bool Session::run_changes(std::vector<Arguments> const& groups, std::ostream& out) {
    std::vector<CommandRef> children;
    std::string label;
    for (Arguments const& group : groups) {
        Command const& command = *find_command(group[0]);
        children.push_back((this->*command.change)({group.begin() + 1, group.end()}));
        for (std::string const& word : group) {
            label += (label.empty() || label.back() == ' ' ? "" : " ") + word;
        }
        label += "; ";
    }
    label.resize(label.size() - 2);
    if (children.size() == 1) {
        fHistory.execute(std::move(children.front()), label);
    } else {
        auto transaction =
            support::adopt(fViewpoint->createCommand(ZELT_o::Viewpoint::CommandType::Transaction));
        auto* group = dynamic_cast<ZELT_o::Transaction*>(transaction.get());
        if (group == nullptr) {
            throw UsageError("the viewpoint cannot group commands into a transaction");
        }
        for (CommandRef const& child : children) {
            group->addCommand(child.get());
        }
        fHistory.execute(std::move(transaction), label);
    }
    print_events(out);
    print_layout(out);
    return true;
}

support::Ref<ZELT_o::BasicViewpointCommand> Session::basic_command() {
    auto command = support::adopt(fViewpoint->createCommand(ZELT_o::Viewpoint::CommandType::Basic));
    auto* basic = dynamic_cast<ZELT_o::BasicViewpointCommand*>(command.get());
    if (basic == nullptr) {
        throw UsageError("the viewpoint hands out no layout commands");
    }
    return support::retain(basic);
}

ZELT_o::Dimension& Session::dimension_named(std::string const& name) {
    std::vector<ZELT_o::Dimension*> dimensions;
    fCube->getDimensions(dimensions);
    std::string known;
    for (ZELT_o::Dimension* dimension : dimensions) {
        if (dimension->getName().strcmp(name.c_str(), true) == 0 ||
            dimension->getUniqueName().strcmp(name.c_str(), true) == 0) {
            return *dimension;
        }
        known += (known.empty() ? "" : ", ") + dimension->getName().string();
    }
    throw UsageError("no dimension \"" + name + "\" (the dimensions are " + known + ")");
}

ZELT_o::Member& Session::member_named(ZELT_o::Dimension& dimension, std::string const& name) {
    ZELT_o::Hierarchy* hierarchy = fViewpoint->getActiveHierarchy(dimension);
    ZELT_o::Member* member = hierarchy->findMember(PovaString(name));
    if (member == nullptr) {
        throw UsageError("no member \"" + name + "\" in " + hierarchy->getName().string());
    }
    return *member;
}

void Session::print_layout(std::ostream& out) {
    LONG const axes = fViewpoint->countAxes() + fViewpoint->countPagedAxes();
    for (LONG axis = 0; axis < axes; ++axis) {
        ZELT_o::Viewpoint::AxisType const type = fViewpoint->getAxisType(axis);
        out << "axis " << axis << " (" << axisTypeName(type) << ")";
        if (fViewpoint->isAxisNULLFiltered(axis)) {
            out << " [empty lines excluded]";
        }
        out << ":";
        char const* separator = " ";
        // A copy: reading a slice may make the dimension's defaults.
        std::vector<ZELT_o::Dimension*> const dimensions = fViewpoint->getAxisDimensions(axis);
        for (ZELT_o::Dimension* dimension : dimensions) {
            out << separator << dimension->getName().string();
            if (type == ZELT_o::Viewpoint::kSlice) {
                ZELT_o::Member* slice = fViewpoint->getCurrentSection(*dimension);
                out << " = " << (slice != nullptr ? slice->getCaption().string() : "?");
            }
            separator = ", ";
        }
        out << "\n";
    }
}

void Session::print_events(std::ostream& out) {
    for (std::string const& event : fEvents.take()) {
        out << "  event: " << event << "\n";
    }
}

bool Session::layout(Arguments const&, std::ostream& out) {
    print_layout(out);
    return true;
}

bool Session::cells(Arguments const& args, std::ostream& out) {
    GridSize size;
    CellFormats formats;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        bool const rows = args[i] == "--rows";
        bool const format = args[i] == "--format";
        if ((!rows && !format && args[i] != "--columns") || i + 1 == args.size()) {
            throw UsageError("usage: cells [--rows N] [--columns N] [--format F]");
        }
        if (format) {
            try {
                formats.all = common::NumberFormatter(args[i + 1]);
            } catch (BaseError const& error) {
                throw UsageError(error.what());
            }
            continue;
        }
        LONG const value = number(args[i + 1]);
        if (value < 1 || value > 10000) {
            throw UsageError("the number of " + std::string(rows ? "rows" : "columns") +
                             " shown is 1 to 10000, not " + args[i + 1]);
        }
        (rows ? size.rows : size.columns) = value;
    }
    auto result = support::adopt(fViewpoint->query(&fProperties));
    ++fQueries;
    // The cache hands back the result it holds: the same object as the last time.
    if (result && result.get() == fLastResult.get()) {
        ++fCacheAnswers;
    }
    fLastResult = result;
    if (!result) {
        out << "no result\n";
        return false;
    }
    formats.measureFormat = [](ZELT_o::Member const* measure) {
        return memcube::MemCube::measureFormat(measure).string();
    };
    // The cells of a layout whose rows and columns name no measure show the sliced one.
    ZELT_o::Dimension* measures = fCube->getMeasures();
    LONG const axes = fViewpoint->countAxes() + fViewpoint->countPagedAxes();
    for (LONG axis = 0; measures != nullptr && axis < axes; ++axis) {
        std::vector<ZELT_o::Dimension*> const dimensions = fViewpoint->getAxisDimensions(axis);
        if (fViewpoint->getAxisType(axis) == ZELT_o::Viewpoint::kSlice &&
            std::find(dimensions.begin(), dimensions.end(), measures) != dimensions.end()) {
            formats.slicedMeasure = fViewpoint->getCurrentSection(*measures);
        }
    }
    printGrid(*result, size, formats, out);
    return true;
}

bool Session::queryInfo(Arguments const&, std::ostream& out) {
    auto const print = [&out](char const* what, ZELT_o::QueryFieldsData* fields) {
        std::vector<ZELT_o::PropertySpecification> properties;
        if (fields != nullptr) {
            fields->GetProperties(properties);
        }
        out << what << ":";
        for (ZELT_o::PropertySpecification const& property : properties) {
            out << " " << property.name.string();
        }
        out << (properties.empty() ? " none\n" : "\n");
    };
    print("cell properties", fViewpoint->getCellQueryFields());
    LONG const axes = fViewpoint->countAxes() + fViewpoint->countPagedAxes();
    for (LONG axis = 0; axis < axes; ++axis) {
        print(("axis " + std::to_string(axis) + " properties").c_str(),
              fViewpoint->getAxisQueryFields(axis));
    }
    std::string const text = fViewpoint->retrieveLastQuery(&fProperties).string();
    out << "provider's query: " << (text.empty() ? "(the provider shows none)" : text) << "\n";
    out << "grids asked for: " << fQueries
        << ", answered from the viewpoint's cache: " << fCacheAnswers << "\n";
    return true;
}

bool Session::history(Arguments const&, std::ostream& out) {
    auto const& entries = fHistory.entries();
    if (entries.empty()) {
        out << "no commands yet\n";
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        out << std::setw(4) << i + 1 << "  " << entries[i].label
            << (i < fHistory.doneCount() ? "" : "  (undone)") << "\n";
    }
    return true;
}

bool Session::undo(Arguments const&, std::ostream& out) {
    if (fHistory.doneCount() == 0) {
        throw UsageError("nothing to undo");
    }
    std::string const label = fHistory.entries()[fHistory.doneCount() - 1].label;
    fHistory.undo();
    out << "undone: " << label << "\n";
    print_events(out);
    print_layout(out);
    return true;
}

bool Session::redo(Arguments const&, std::ostream& out) {
    if (fHistory.doneCount() == fHistory.entries().size()) {
        throw UsageError("nothing to redo");
    }
    std::string const label = fHistory.entries()[fHistory.doneCount()].label;
    fHistory.redo();
    out << "redone: " << label << "\n";
    print_events(out);
    print_layout(out);
    return true;
}

bool Session::save(Arguments const& args, std::ostream& out) {
    std::string const& path = args[0];
    // The whole text first: a failing save leaves no truncated file behind.
    std::ostringstream text;
    fViewpoint->save(text, true);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        throw UsageError("cannot write \"" + path + "\": " + std::strerror(errno));
    }
    file << text.str();
    file.close();
    if (!file) {
        throw UsageError("cannot write \"" + path + "\": the text did not reach the file");
    }
    out << "saved " << path << "\n";
    return true;
}

bool Session::load(Arguments const& args, std::ostream& out) {
    std::string const& path = args[0];
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        throw UsageError("cannot read \"" + path + "\": it is a directory");
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw UsageError("cannot read \"" + path + "\": " + std::strerror(errno));
    }
    auto loaded = support::adopt(createCommonViewpoint());
    auto const refuse = [&](char const* reason) {
        // A connection that failed may have left the viewpoint on its defaults, listening
        // to the cube: it lets go of the cube before it goes.
        try {
            loaded->setCube(nullptr, 2, 1);
        } catch (...) {
        }
        return UsageError("cannot load \"" + path + "\": " + reason);
    };
    try {
        loaded->load(file);
        // Connecting builds the layout, sets and slices from the XML.
        loaded->setCube(fCube.get(), 2, 1);
    } catch (BaseError const& error) {
        throw refuse(error.what());
    } catch (ResultError const& error) {
        throw refuse(error.what());
    }
    // The old commands and result belong to the old viewpoint.
    fHistory = CommandHistory();
    fLastResult.reset();
    fQueries = 0;
    fCacheAnswers = 0;
    fViewpoint->removeListener(&fEvents);
    fViewpoint->setCube(nullptr, 2, 1);
    fViewpoint = std::move(loaded);
    fViewpoint->addListener(&fEvents);
    fEvents.take();
    out << "loaded " << path << "\n";
    print_layout(out);
    return true;
}

Session::CommandRef Session::move(Arguments const& args) {
    auto command = basic_command();
    command->MoveDimensions(number(args[0]), number(args[1]), number(args[2]), number(args[3]));
    return command;
}

Session::CommandRef Session::swap(Arguments const& args) {
    auto command = basic_command();
    command->SwapDimensions(number(args[0]), number(args[1]), number(args[2]), number(args[3]));
    return command;
}

Session::CommandRef Session::swapAxes(Arguments const& args) {
    auto command = basic_command();
    command->SwapAxes(number(args[0]), number(args[1]));
    return command;
}

Session::CommandRef Session::axisType(Arguments const& args) {
    auto command = basic_command();
    command->ChangeAxisType(number(args[0]), axisTypeOf(args[1]));
    return command;
}

Session::CommandRef Session::nulls(Arguments const& args) {
    bool exclude = false;
    if (args[1] == "on") {
        exclude = true;
    } else if (args[1] != "off") {
        throw UsageError("usage: nulls AXIS on|off");
    }
    auto command = basic_command();
    command->SetExcludeNULLLines(number(args[0]), exclude);
    return command;
}

Session::CommandRef Session::slice(Arguments const& args) {
    ZELT_o::Dimension& dimension = dimension_named(args[0]);
    ZELT_o::Member& member = member_named(dimension, args[1]);
    auto command = basic_command();
    command->SetActiveSlice(&dimension, &member);
    return command;
}

Session::CommandRef Session::members(Arguments const& args) {
    ZELT_o::Dimension& dimension = dimension_named(args[0]);
    std::vector<ZELT_o::Member*> chosen;
    for (std::size_t i = 1; i < args.size(); ++i) {
        chosen.push_back(&member_named(dimension, args[i]));
    }
    auto set =
        support::adopt(fCube->createMemberSet(fViewpoint->getActiveHierarchy(dimension), chosen));
    if (!set) {
        throw UsageError("the members must all belong to the active hierarchy of " +
                         dimension.getName().string());
    }
    auto command = basic_command();
    command->SetActiveMemberSet(&dimension, set.get());
    return command;
}

Session::CommandRef Session::hierarchy(Arguments const& args) {
    ZELT_o::Dimension& dimension = dimension_named(args[0]);
    std::string known;
    for (ZELT_o::Hierarchy* hierarchy : fViewpoint->getHierarchies(dimension)) {
        if (hierarchy->getName().strcmp(args[1].c_str(), true) == 0 ||
            hierarchy->getUniqueName().strcmp(args[1].c_str(), true) == 0) {
            auto command = basic_command();
            command->SetActiveHierarchy(&dimension, hierarchy);
            return command;
        }
        known += (known.empty() ? "" : ", ") + hierarchy->getName().string();
    }
    throw UsageError("no hierarchy \"" + args[1] + "\" in " + dimension.getName().string() +
                     " (its hierarchies are " + known + ")");
}

}  // namespace pova_tool
