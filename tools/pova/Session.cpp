#include "Session.h"

#include "ClientError.h"
#include "FilterCommand.h"
#include "FormatCommand.h"
#include "Grid.h"
#include "Help.h"
#include "SortCommand.h"
#include "StatsCommand.h"

#include <basekit/BaseError.h>
#include <memcube/MemCube.h>
#include <pova/Dimension.h>
#include <pova/Factories.h>
#include <pova/Hierarchy.h>
#include <pova/Member.h>
#include <pova/MemberSet.h>
#include <pova/QueryFieldsData.h>
#include <pova/ViewResultSet.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <ostream>
#include <sstream>

namespace pova_tool {

namespace {

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
    LONG value = 0;
    try {
        value = parseNumber(text);
    } catch (UsageError const&) {
        value = 0;
    }
    if (value < 1 || value > 4) {
        throw UsageError(
            "unknown axis type '" + text + "': use view, slice, hidden or excluded (or 1 to 4)",
            usageOf("axistype"));
    }
    return static_cast<ZELT_o::Viewpoint::AxisType>(value);
}

}  // namespace

Session::Session(support::Ref<ZELT_o::Cube> cube)
    : fCube(std::move(cube)), fViewpoint(support::adopt(createCommonViewpoint())) {
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
        {"layout", 0, false, &Session::layout, nullptr},
        {"cells", 0, true, &Session::cells, nullptr},
        {"move", 4, false, nullptr, &Session::move},
        {"swap", 4, false, nullptr, &Session::swap},
        {"swapaxes", 2, false, nullptr, &Session::swapAxes},
        {"axistype", 2, false, nullptr, &Session::axisType},
        {"nulls", 2, false, nullptr, &Session::nulls},
        {"slice", 2, false, nullptr, &Session::slice},
        {"members", 2, true, nullptr, &Session::members},
        {"hierarchy", 2, false, nullptr, &Session::hierarchy},
        {"undo", 0, false, &Session::undo, nullptr},
        {"redo", 0, false, &Session::redo, nullptr},
        {"history", 0, false, &Session::history, nullptr},
        {"query", 0, false, &Session::queryInfo, nullptr},
        {"save", 1, false, &Session::save, nullptr},
        {"load", 1, false, &Session::load, nullptr},
        {"help", 0, true, &Session::help, nullptr},
        {"format", 0, true, &Session::format, nullptr},
        {"sort", 2, true, &Session::sort, nullptr},
        {"unsort", 0, true, &Session::unsort, nullptr},
        {"filter", 0, true, &Session::filter, nullptr},
        {"unfilter", 0, false, &Session::unfilter, nullptr},
        {"stats", 2, false, &Session::stats, nullptr},
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

int Session::execute(std::vector<std::string> const& words, std::ostream& out, std::ostream& err) {
    std::string name = words.empty() ? "" : words[0];
    auto const report = [&](std::string const& message, std::string const& hint) {
        out << std::flush;
        err << "pova: " << (name.empty() ? "" : name + ": ") << message << "\n";
        if (!hint.empty()) {
            err << "pova: " << hint << "\n";
        }
    };
    try {
        run_line(words, out, name);
        return 0;
    } catch (ClientError const& error) {
        report(error.what(), error.hint());
        return error.isUsage() ? 2 : 1;
    } catch (BaseError const& error) {
        // A refused change may have told the listeners of what it did before it failed.
        print_events(out);
        report(describe(error), hintFor(error.code()));
    } catch (ResultError const& error) {
        print_events(out);
        report(describe(error), hintFor(static_cast<std::uint32_t>(error.result())));
    }
    return 1;
}

void Session::run_line(std::vector<std::string> const& words, std::ostream& out,
                       std::string& name) {
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
    if (groups.empty()) {
        return;
    }
    // Every command's words are checked before any of them runs.
    for (Arguments const& group : groups) {
        name = group[0];
        Command const* command = find_command(name);
        if (command == nullptr) {
            name.clear();
            throw UsageError("unknown command '" + group[0] + "'",
                             "type 'help' to see the commands");
        }
        std::size_t const count = group.size() - 1;
        if (count < command->argumentCount ||
            (!command->variadic && count != command->argumentCount)) {
            std::string const expected = std::to_string(command->argumentCount) +
                                         (command->argumentCount == 1 ? " argument" : " arguments");
            throw UsageError(std::string(command->variadic ? "needs at least " : "takes ") +
                                 expected + ", not " + std::to_string(count),
                             usageOf(name));
        }
        if (groups.size() > 1 && command->change == nullptr) {
            throw UsageError("only changes of the layout can form a transaction with ';'",
                             usageOf(name));
        }
    }
    name = groups[0][0];
    if (groups.size() == 1 && find_command(name)->run != nullptr) {
        Command const& command = *find_command(name);
        (this->*command.run)({groups[0].begin() + 1, groups[0].end()}, out);
        return;
    }
    run_changes(groups, out, name);
}

void Session::run_changes(std::vector<Arguments> const& groups, std::ostream& out,
                          std::string& name) {
    std::vector<CommandRef> children;
    std::string label;
    for (Arguments const& group : groups) {
        name = group[0];
        Command const& command = *find_command(group[0]);
        children.push_back((this->*command.change)({group.begin() + 1, group.end()}));
        for (std::string const& word : group) {
            label += (label.empty() || label.back() == ' ' ? "" : " ") + word;
        }
        label += "; ";
    }
    label.resize(label.size() - 2);
    name = groups[0][0];
    if (children.size() == 1) {
        fHistory.execute(std::move(children.front()), label);
    } else {
        name = "transaction";
        auto transaction =
            support::adopt(fViewpoint->createCommand(ZELT_o::Viewpoint::CommandType::Transaction));
        auto* group = dynamic_cast<ZELT_o::Transaction*>(transaction.get());
        if (group == nullptr) {
            throw Refusal("the viewpoint cannot group commands into a transaction");
        }
        for (CommandRef const& child : children) {
            group->addCommand(child.get());
        }
        fHistory.execute(std::move(transaction), label);
    }
    print_events(out);
    print_layout(out);
}

support::Ref<ZELT_o::BasicViewpointCommand> Session::basic_command() {
    auto command = support::adopt(fViewpoint->createCommand(ZELT_o::Viewpoint::CommandType::Basic));
    auto* basic = dynamic_cast<ZELT_o::BasicViewpointCommand*>(command.get());
    if (basic == nullptr) {
        throw Refusal("the viewpoint hands out no layout commands");
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
    throw UsageError("no dimension '" + name + "': the dimensions are " + known);
}

ZELT_o::Member& Session::member_named(ZELT_o::Dimension& dimension, std::string const& name) {
    ZELT_o::Hierarchy* hierarchy = fViewpoint->getActiveHierarchy(dimension);
    ZELT_o::Member* member = hierarchy->findMember(PovaString(name));
    if (member == nullptr) {
        throw UsageError("no member '" + name + "' in " + hierarchy->getName().string(),
                         "a member is a name or a unique name, such as [Product].[Bikes]");
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

void Session::layout(Arguments const&, std::ostream& out) {
    print_layout(out);
}

void Session::cells(Arguments const& args, std::ostream& out) {
    GridSize size;
    CellFormats formats;
    std::string const usage = usageOf("cells");
    for (std::size_t i = 0; i < args.size(); i += 2) {
        bool const rows = args[i] == "--rows";
        bool const format = args[i] == "--format";
        if (!rows && !format && args[i] != "--columns") {
            throw UsageError("unknown option '" + args[i] + "'", usage);
        }
        if (i + 1 == args.size()) {
            throw UsageError(args[i] + " needs a value", usage);
        }
        if (format) {
            // A format string that does not compile is the library's error, with its code.
            formats.all = common::NumberFormatter(args[i + 1]);
            continue;
        }
        (rows ? size.rows : size.columns) = parseInRange(
            args[i + 1], 1, 10000, rows ? "the number of rows" : "the number of columns", usage);
    }
    auto result = support::adopt(fViewpoint->query(&fProperties));
    ++fQueries;
    // The cache hands back the result it holds: the same object as the last time.
    if (result && result.get() == fLastResult.get()) {
        ++fCacheAnswers;
    }
    fLastResult = result;
    if (!result) {
        throw Refusal("the viewpoint's query gave no result");
    }
    // Providers other than memcube give their measures no format: General.
    formats.measureFormat = [](ZELT_o::Member const* measure) {
        return memcube::MemCube::measureFormat(measure).string();
    };
    // The cells of a layout whose rows and columns name no measure show the sliced one.
    LONG const axes = fViewpoint->countAxes() + fViewpoint->countPagedAxes();
    for (LONG axis = 0; axis < axes; ++axis) {
        if (fViewpoint->getAxisType(axis) != ZELT_o::Viewpoint::kSlice) {
            continue;
        }
        // A copy: reading a slice may make the dimension's defaults.
        std::vector<ZELT_o::Dimension*> const dimensions = fViewpoint->getAxisDimensions(axis);
        for (ZELT_o::Dimension* dimension : dimensions) {
            if (dimension->isMeasures()) {
                formats.slicedMeasure = fViewpoint->getCurrentSection(*dimension);
            }
        }
    }
    printGrid(*result, size, formats, out);
}

void Session::queryInfo(Arguments const&, std::ostream& out) {
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
}

void Session::history(Arguments const&, std::ostream& out) {
    auto const& entries = fHistory.entries();
    if (entries.empty()) {
        out << "no commands yet\n";
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        out << std::setw(4) << i + 1 << "  " << entries[i].label
            << (i < fHistory.doneCount() ? "" : "  (undone)") << "\n";
    }
}

void Session::undo(Arguments const&, std::ostream& out) {
    if (fHistory.doneCount() == 0) {
        throw Refusal("nothing to undo", "type 'history' to see the commands done");
    }
    std::string const label = fHistory.entries()[fHistory.doneCount() - 1].label;
    fHistory.undo();
    out << "undone: " << label << "\n";
    print_events(out);
    print_layout(out);
}

void Session::redo(Arguments const&, std::ostream& out) {
    if (fHistory.doneCount() == fHistory.entries().size()) {
        throw Refusal("nothing to redo", "type 'history' to see the commands undone");
    }
    std::string const label = fHistory.entries()[fHistory.doneCount()].label;
    fHistory.redo();
    out << "redone: " << label << "\n";
    print_events(out);
    print_layout(out);
}

void Session::help(Arguments const& args, std::ostream& out) {
    if (args.size() > 1) {
        throw UsageError("takes at most 1 argument, not " + std::to_string(args.size()),
                         usageOf("help"));
    }
    if (args.empty()) {
        printHelp(out);
    } else {
        printCommandHelp(args[0], out);
    }
}

void Session::format(Arguments const& args, std::ostream& out) {
    runFormat(args, out);
}

void Session::sort(Arguments const& args, std::ostream& out) {
    runSortCommand(*fViewpoint, fHistory, fEvents, "sort", args, out);
}

void Session::unsort(Arguments const& args, std::ostream& out) {
    runSortCommand(*fViewpoint, fHistory, fEvents, "unsort", args, out);
}

void Session::filter(Arguments const& args, std::ostream& out) {
    runFilterCommand(*fViewpoint, fHistory, fEvents, "filter", args, out);
}

void Session::unfilter(Arguments const& args, std::ostream& out) {
    runFilterCommand(*fViewpoint, fHistory, fEvents, "unfilter", args, out);
}

void Session::stats(Arguments const& args, std::ostream& out) {
    runStatsCommand(*fViewpoint, args, out);
}

void Session::save(Arguments const& args, std::ostream& out) {
    std::string const& path = args[0];
    // The whole text first: a failing save leaves no truncated file behind.
    std::ostringstream text;
    fViewpoint->save(text, true);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        throw Refusal("cannot write '" + path + "': " + std::strerror(errno));
    }
    file << text.str();
    file.close();
    if (!file) {
        throw Refusal("cannot write '" + path + "': the text did not reach the file");
    }
    out << "saved " << path << "\n";
}

void Session::load(Arguments const& args, std::ostream& out) {
    std::string const& path = args[0];
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        throw Refusal("cannot read '" + path + "': it is a directory");
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw Refusal("cannot read '" + path + "': " + std::strerror(errno));
    }
    auto loaded = support::adopt(createCommonViewpoint());
    auto const refuse = [&](std::string const& reason) {
        // A connection that failed may have left the viewpoint on its defaults, listening
        // to the cube: it lets go of the cube before it goes.
        try {
            loaded->setCube(nullptr, 2, 1);
        } catch (...) {
        }
        return Refusal("cannot load '" + path + "': " + reason,
                       "the file must hold a viewpoint written by 'save'");
    };
    try {
        loaded->load(file);
        // Connecting builds the layout, sets and slices from the XML.
        loaded->setCube(fCube.get(), 2, 1);
    } catch (BaseError const& error) {
        throw refuse(describe(error));
    } catch (ResultError const& error) {
        throw refuse(describe(error));
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
}

Session::CommandRef Session::move(Arguments const& args) {
    LONG const fromAxis = parseAxis(*fViewpoint, args[0], kLayoutHint);
    LONG const fromPosition = parsePosition(*fViewpoint, fromAxis, args[1], false, kLayoutHint);
    LONG const toAxis = parseAxis(*fViewpoint, args[2], kLayoutHint);
    LONG const toPosition = parsePosition(*fViewpoint, toAxis, args[3], true, kLayoutHint);
    auto command = basic_command();
    command->MoveDimensions(fromAxis, fromPosition, toAxis, toPosition);
    return command;
}

Session::CommandRef Session::swap(Arguments const& args) {
    LONG const firstAxis = parseAxis(*fViewpoint, args[0], kLayoutHint);
    LONG const firstPosition = parsePosition(*fViewpoint, firstAxis, args[1], false, kLayoutHint);
    LONG const secondAxis = parseAxis(*fViewpoint, args[2], kLayoutHint);
    LONG const secondPosition = parsePosition(*fViewpoint, secondAxis, args[3], false, kLayoutHint);
    auto command = basic_command();
    command->SwapDimensions(firstAxis, firstPosition, secondAxis, secondPosition);
    return command;
}

Session::CommandRef Session::swapAxes(Arguments const& args) {
    LONG const first = parseAxis(*fViewpoint, args[0], kLayoutHint);
    LONG const second = parseAxis(*fViewpoint, args[1], kLayoutHint);
    auto command = basic_command();
    command->SwapAxes(first, second);
    return command;
}

Session::CommandRef Session::axisType(Arguments const& args) {
    LONG const axis = parseAxis(*fViewpoint, args[0], kLayoutHint);
    ZELT_o::Viewpoint::AxisType const type = axisTypeOf(args[1]);
    auto command = basic_command();
    command->ChangeAxisType(axis, type);
    return command;
}

Session::CommandRef Session::nulls(Arguments const& args) {
    LONG const axis = parseAxis(*fViewpoint, args[0], kLayoutHint);
    if (args[1] != "on" && args[1] != "off") {
        throw UsageError("'" + args[1] + "' is neither on nor off", usageOf("nulls"));
    }
    auto command = basic_command();
    command->SetExcludeNULLLines(axis, args[1] == "on");
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
    // A set of chosen members is made by the provider's own cube.
    auto* cube = dynamic_cast<memcube::MemCube*>(fCube.get());
    if (cube == nullptr) {
        throw Refusal("the provider cannot make a set of chosen members");
    }
    auto set =
        support::adopt(cube->createMemberSet(fViewpoint->getActiveHierarchy(dimension), chosen));
    if (!set) {
        throw Refusal("the members must all belong to the active hierarchy of " +
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
    throw UsageError("no hierarchy '" + args[1] + "' in " + dimension.getName().string() +
                     ": its hierarchies are " + known);
}

}  // namespace pova_tool
